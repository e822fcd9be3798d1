#include "glyphsmith_views/validation_summary.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>

#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/plain_text.hpp"
#include "glyphsmith_views/symbols.hpp"
#include "glyphsmith_views/text_roles.hpp"

namespace glyphsmith_views {

namespace {

constexpr int symbolSide = 16;

void paintLabel(QLabel* symbol, QLabel* text, const QString& symbolName, const QColor& color) {
    symbol->setPixmap(symbolPixmap(symbolName, color, symbolSide, symbol->devicePixelRatioF()));
    setTextColour(*text, color);
}

}  // namespace

ValidationSummary::ValidationSummary(QWidget* parent)
    : QWidget(parent),
      verdictSymbol_(new QLabel(this)),
      verdictText_(plainLabel(QString(), this)),
      cameraSymbol_(new QLabel(this)),
      cameraText_(plainLabel(tr("Angle propre à ce pilote, différent de celui de la marque"), this)) {
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(static_cast<int>(Spacing::medium));
    const int gap = static_cast<int>(Spacing::extraSmall) + 2;
    for (auto [symbol, text] : {std::pair{verdictSymbol_, verdictText_}, std::pair{cameraSymbol_, cameraText_}}) {
        auto* pair = new QHBoxLayout;
        pair->setSpacing(gap);
        pair->addWidget(symbol);
        pair->addWidget(text);
        layout->addLayout(pair);
    }
    layout->addStretch(1);
    paintLabel(cameraSymbol_, cameraText_, QStringLiteral("camera.rotate"), Palette::warning());
    show({}, false);
}

void ValidationSummary::show(const icon_geometry::ValidationReport& report, bool deviates) {
    if (report.issues.empty()) {
        verdictText_->setText(tr("Conforme aux contraintes de Homey"));
        paintLabel(verdictSymbol_, verdictText_, QStringLiteral("checkmark.seal"), Palette::passed());
    } else {
        const QLocale locale;
        verdictText_->setText(tr("%1 erreurs, %2 avertissements")
                                  .arg(locale.toString(static_cast<qlonglong>(report.errors().size())),
                                       locale.toString(static_cast<qlonglong>(report.warnings().size()))));
        paintLabel(verdictSymbol_, verdictText_, QStringLiteral("exclamationmark.triangle"),
                   report.passes() ? Palette::warning() : Palette::failed());
    }
    verdictText_->setAccessibleName(verdictText_->text());
    cameraSymbol_->setVisible(deviates);
    cameraText_->setVisible(deviates);
}

}  // namespace glyphsmith_views
