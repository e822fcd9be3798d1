#include "editing/compliance_rows.hpp"

#include <QCoreApplication>
#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>
#include <cmath>
#include <type_traits>

#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/plain_text.hpp"
#include "glyphsmith_views/symbols.hpp"
#include "glyphsmith_views/text_roles.hpp"

namespace glyphsmith_views {

using homey_project::ComplianceCheck;
using homey_project::ComplianceItem;
using homey_project::ComplianceStatus;
using homey_project::DriverImageIssue;
using homey_project::DriverImageSize;
using icon_geometry::FaceDetail;
using icon_geometry::Pictogram;

namespace {

QString tr(const char* text) {
    return QCoreApplication::translate("Inspector", text);
}

// Languages whose percent format leaves a space before the sign, and which space.
QString percentSpacing(const QLocale& locale) {
    switch (locale.language()) {
        case QLocale::French:
            return QString(QChar(0x202F));
        case QLocale::German:
        case QLocale::Spanish:
        case QLocale::Catalan:
        case QLocale::Swedish:
        case QLocale::NorwegianBokmal:
        case QLocale::Danish:
        case QLocale::Finnish:
        case QLocale::Czech:
        case QLocale::Slovak:
        case QLocale::Russian:
        case QLocale::Ukrainian:
        case QLocale::Polish:
            return QString(QChar(0x00A0));
        default:
            return QString();
    }
}

QString sideText(DriverImageSize size) {
    return QString::number(homey_project::rawValue(size));
}

QString fileNameText(const std::string& file) {
    return QString::fromStdString(file);
}

bool namesJpeg(const std::string& file) {
    return homey_project::driverImageFormat(file) == homey_project::DriverImageFormat::jpeg;
}

QString idText(const std::string& id) {
    return QString::fromStdString(id);
}

}  // namespace

QString wholeNumberText(double value, const QLocale& locale) {
    if (!std::isfinite(value)) return locale.toString(value, 'f', 0);
    return locale.toString(std::round(value) + 0.0, 'f', 0);
}

QString percentText(double fraction, const QLocale& locale) {
    const QString number = wholeNumberText(fraction * 100.0, locale);
    const QString sign = locale.percent();
    // Languages written right to left that put the sign first are not among ours.
    return number + percentSpacing(locale) + sign;
}

QString oneDecimalText(double value, const QLocale& locale) {
    QLocale plain = locale;
    plain.setNumberOptions(locale.numberOptions() | QLocale::OmitGroupSeparator);
    // A value that rounds to zero is written without a sign.
    const double rounded = std::isfinite(value) ? std::round(value * 10) / 10 + 0.0 : value;
    return plain.toString(rounded, 'f', 1);
}

QString complianceStatusLabel(ComplianceStatus status) {
    switch (status) {
        case ComplianceStatus::passed:
            return tr("Conforme");
        case ComplianceStatus::manual:
            return tr("À vérifier soi-même");
        case ComplianceStatus::warning:
            return tr("Avertissement");
        case ComplianceStatus::failed:
            return tr("Non conforme");
    }
    return {};
}

QString complianceStatusSymbol(ComplianceStatus status) {
    switch (status) {
        case ComplianceStatus::passed:
            return QStringLiteral("checkmark.circle.fill");
        case ComplianceStatus::manual:
            return QStringLiteral("eye.circle");
        case ComplianceStatus::warning:
            return QStringLiteral("exclamationmark.triangle.fill");
        case ComplianceStatus::failed:
            return QStringLiteral("xmark.octagon.fill");
    }
    return {};
}

QColor complianceStatusColor(ComplianceStatus status) {
    switch (status) {
        case ComplianceStatus::passed:
            return Palette::passed();
        case ComplianceStatus::manual:
            return Palette::neutral();
        case ComplianceStatus::warning:
            return Palette::warning();
        case ComplianceStatus::failed:
            return Palette::failed();
    }
    return Palette::neutral();
}

QString complianceMessage(const ComplianceItem& item, const QLocale& locale) {
    return std::visit(
        [&](const auto& c) -> QString {
            using C = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<C, ComplianceItem::IconFillsCanvas>) {
                return tr("Icône : touche deux bords opposés du canevas (tolérance %1)")
                    .arg(wholeNumberText(c.tolerance, locale));
            } else if constexpr (std::is_same_v<C, ComplianceItem::IconReadableStroke>) {
                return tr("Icône : trait le plus fin %1 sur 960, lisible à 50 pixels à partir de %2")
                    .arg(wholeNumberText(c.thinnest, locale), wholeNumberText(19.2, locale));
            } else if constexpr (std::is_same_v<C, ComplianceItem::IconDistinctFromApp>) {
                return tr("Icône distincte de celle de l’app (recouvrement %1)").arg(percentText(c.overlap, locale));
            } else if constexpr (std::is_same_v<C, ComplianceItem::IconDistinctFromDriver>) {
                return tr("Icône trop proche de celle du pilote %1 (recouvrement %2)")
                    .arg(idText(c.id), percentText(c.overlap, locale));
            } else if constexpr (std::is_same_v<C, ComplianceItem::ImageSize>) {
                return tr("%1 : %2 × %3 pixels").arg(fileNameText(c.file), sideText(c.size), sideText(c.size));
            } else if constexpr (std::is_same_v<C, ComplianceItem::ImageBackground>) {
                return tr("%1 : fond blanc ou transparent").arg(fileNameText(c.file));
            } else if constexpr (std::is_same_v<C, ComplianceItem::ImageFormat>) {
                if (namesJpeg(c.file)) return tr("%1 n’est pas un fichier JPEG").arg(fileNameText(c.file));
                return tr("%1 n’est pas un fichier PNG").arg(fileNameText(c.file));
            } else if constexpr (std::is_same_v<C, ComplianceItem::ImageDistinctFromApp>) {
                return tr("Images distinctes de l’image de l’app (écart d’empreinte %1)")
                    .arg(percentText(c.distance, locale));
            } else if constexpr (std::is_same_v<C, ComplianceItem::ImageDistinctFromDriver>) {
                return tr("Images trop proches de celles du pilote %1 (écart d’empreinte %2) : à comparer à l’œil")
                    .arg(idText(c.id), percentText(c.distance, locale));
            } else if constexpr (std::is_same_v<C, ComplianceItem::IconCanvas>) {
                return tr("Icône : canevas de 960 × 960, fond transparent");
            } else if constexpr (std::is_same_v<C, ComplianceItem::IconSingleColor>) {
                return tr("Icône : une seule couleur, sans dégradé ni image");
            } else if constexpr (std::is_same_v<C, ComplianceItem::IconCommands>) {
                return tr("Icône : commandes M, L, C, Z seulement, sans arc ni segment nul");
            } else if constexpr (std::is_same_v<C, ComplianceItem::PhotographReminder>) {
                return tr("Est-ce une photographie de l’objet, oui ou non ?");
            } else {
                static_assert(sizeof(C) == 0, "every compliance item has its sentence");
            }
        },
        item.value);
}

QString complianceAccessibleText(const ComplianceCheck& check, const QLocale& locale) {
    return tr("%1 : %2").arg(complianceStatusLabel(check.status), complianceMessage(check.item, locale));
}

QString pictogramName(Pictogram pictogram) {
    switch (pictogram.value) {
        case Pictogram::power:
            return tr("Marche/arrêt");
        case Pictogram::chevronUp:
            return tr("Chevron vers le haut");
        case Pictogram::chevronDown:
            return tr("Chevron vers le bas");
        case Pictogram::chevronLeft:
            return tr("Chevron vers la gauche");
        case Pictogram::chevronRight:
            return tr("Chevron vers la droite");
        case Pictogram::sun:
            return tr("Soleil");
        case Pictogram::thermometer:
            return tr("Thermomètre");
        case Pictogram::plus:
            return tr("Plus");
        case Pictogram::minus:
            return tr("Moins");
        case Pictogram::wifi:
            return tr("Wi-Fi");
    }
    return {};
}

QString detailKindName(const FaceDetail& detail) {
    return std::visit(
        [](const auto& c) -> QString {
            using C = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<C, FaceDetail::Button>) {
                return std::holds_alternative<icon_geometry::FaceShape::Ellipse>(c.shape.value) ? tr("Bouton rond")
                                                                                                : tr("Bouton");
            } else if constexpr (std::is_same_v<C, FaceDetail::Indicator>) {
                return tr("Voyant");
            } else if constexpr (std::is_same_v<C, FaceDetail::DotGrid>) {
                return tr("Grille de points");
            } else if constexpr (std::is_same_v<C, FaceDetail::Screen>) {
                return tr("Écran");
            } else if constexpr (std::is_same_v<C, FaceDetail::Slot>) {
                return tr("Fente");
            } else if constexpr (std::is_same_v<C, FaceDetail::SocketHoles>) {
                return tr("Alvéoles de prise");
            } else if constexpr (std::is_same_v<C, FaceDetail::Separator>) {
                return tr("Trait de séparation");
            } else if constexpr (std::is_same_v<C, FaceDetail::Cable>) {
                return tr("Câble sortant");
            } else if constexpr (std::is_same_v<C, FaceDetail::PictogramMark>) {
                return pictogramName(c.pictogram);
            } else if constexpr (std::is_same_v<C, FaceDetail::Imported>) {
                return tr("Forme importée");
            } else if constexpr (std::is_same_v<C, FaceDetail::Elements>) {
                return tr("Éléments libres");
            } else {
                static_assert(sizeof(C) == 0, "every detail kind has its name");
            }
        },
        detail.value);
}

QString driverImageIssueText(const DriverImageIssue& issue, const QLocale& locale) {
    return std::visit(
        [&](const auto& c) -> QString {
            using C = std::decay_t<decltype(c)>;
            if constexpr (std::is_same_v<C, DriverImageIssue::WrongSize>) {
                return tr("Taille %1 × %2 au lieu de %3 × %4.")
                    .arg(QString::number(c.width), QString::number(c.height), QString::number(c.expected),
                         QString::number(c.expected));
            } else if constexpr (std::is_same_v<C, DriverImageIssue::BackgroundNotWhite>) {
                return tr("Le fond n’est ni blanc ni transparent.");
            } else if constexpr (std::is_same_v<C, DriverImageIssue::Upscaled>) {
                return tr("Photo trop petite : l’objet est agrandi %1 fois.").arg(oneDecimalText(c.factor, locale));
            } else if constexpr (std::is_same_v<C, DriverImageIssue::Unreadable>) {
                return tr("Image illisible.");
            } else if constexpr (std::is_same_v<C, DriverImageIssue::WrongFormat>) {
                if (c.expected == homey_project::DriverImageFormat::jpeg) return tr("Ce n’est pas un fichier JPEG.");
                return tr("Ce n’est pas un fichier PNG.");
            } else {
                static_assert(sizeof(C) == 0, "every image issue has its text");
            }
        },
        issue.value);
}

// ----- ComplianceRows -----

namespace {

constexpr int symbolSide = 16;

}  // namespace

ComplianceRows::ComplianceRows(QWidget* parent) : QWidget(parent) {
    layout_ = new QVBoxLayout(this);
    layout_->setContentsMargins(0, 0, 0, 0);
    layout_->setSpacing(static_cast<int>(Spacing::extraSmall));
}

void ComplianceRows::setChecks(const std::vector<ComplianceCheck>& checks) {
    if (checks == checks_ && static_cast<std::size_t>(rowCount()) == checks.size()) return;
    checks_ = checks;
    rebuild();
}

QLabel* ComplianceRows::messageLabel(int index) const {
    return row(index)->findChild<QLabel*>(QStringLiteral("message"));
}

QLabel* ComplianceRows::symbolLabel(int index) const {
    return row(index)->findChild<QLabel*>(QStringLiteral("symbol"));
}

void ComplianceRows::rebuild() {
    for (QWidget* row : rows_) {
        layout_->removeWidget(row);
        delete row;
    }
    rows_.clear();
    const QFont font = roleFont(this->font(), TextRole::callout);
    for (const ComplianceCheck& check : checks_) {
        auto* row = new QWidget(this);
        auto* rowLayout = new QHBoxLayout(row);
        rowLayout->setContentsMargins(0, 0, 0, 0);
        rowLayout->setSpacing(static_cast<int>(Spacing::small));
        auto* symbol = new QLabel(row);
        symbol->setObjectName(QStringLiteral("symbol"));
        symbol->setPixmap(symbolPixmap(complianceStatusSymbol(check.status), complianceStatusColor(check.status),
                                       symbolSide, devicePixelRatioF()));
        symbol->setFixedSize(symbolSide, symbolSide);
        symbol->setAccessibleName(complianceStatusLabel(check.status));
        auto* message = plainLabel(complianceMessage(check.item), row);
        message->setObjectName(QStringLiteral("message"));
        message->setWordWrap(true);
        message->setAlignment(Qt::AlignTop | Qt::AlignLeft);
        message->setFont(font);
        rowLayout->addWidget(symbol, 0, Qt::AlignTop);
        rowLayout->addWidget(message, 1);
        const QString spoken = complianceAccessibleText(check);
        row->setAccessibleName(spoken);
        message->setAccessibleName(spoken);
        layout_->addWidget(row);
        rows_.push_back(row);
    }
}

void ComplianceRows::changeEvent(QEvent* event) {
    // Numbers follow the locale; the sentences are built again when it changes.
    if (event->type() == QEvent::LocaleChange || event->type() == QEvent::LanguageChange) rebuild();
    QWidget::changeEvent(event);
}

}  // namespace glyphsmith_views
