#include "glyphsmith_views/write_sheet.hpp"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

#include "editing/compliance_rows.hpp"
#include "glyphsmith_state/follow_current_editor.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/plain_text.hpp"
#include "glyphsmith_views/symbols.hpp"
#include "glyphsmith_views/text_roles.hpp"
#include "homey_project/driver_package_writer.hpp"

namespace glyphsmith_views {

using glyphsmith_state::ProjectStore;
using homey_project::ComplianceCheck;
using homey_project::ComplianceStatus;
using homey_project::PlannedWrite;

namespace {

// Driver images are written: the user says they are photographs first. They
// are the files under an images folder of the assets, or wherever the selected
// driver's manifest names them.
bool writesDriverImages(const ProjectStore& store, const ProjectStore::PlannedWrites& plan) {
    std::vector<std::string> images;
    if (const std::optional<homey_project::HomeyDriver> driver = store.selectedDriver(); driver && store.app())
        for (homey_project::DriverImageSize size : homey_project::allDriverImageSizes)
            images.push_back(
                homey_project::HomeyProjectWriter::relativePath(driver->imageFile(size), store.app()->root));
    return std::any_of(plan.begin(), plan.end(), [&images](const PlannedWrite& write) {
        return write.path.find("/assets/images/") != std::string::npos ||
               std::find(images.begin(), images.end(), write.path) != images.end();
    });
}

long long replacedCount(const ProjectStore::PlannedWrites& plan) {
    return std::count_if(plan.begin(), plan.end(), [](const PlannedWrite& write) { return write.exists; });
}

}  // namespace

WriteSheet::WriteSheet(ProjectStore& store, QWidget* parent) : QDialog(parent), store_(store) {
    setWindowModality(Qt::WindowModal);
    setWindowTitle(tr("Écrire le pilote"));
    setMinimumWidth(WindowMetrics::sheetWidth);
    auto* layout = new QVBoxLayout(this);
    const int large = static_cast<int>(Spacing::large);
    layout->setContentsMargins(large, large, large, large);
    layout->setSpacing(static_cast<int>(Spacing::medium));

    QLabel* title = plainLabel(tr("Écrire le pilote"), this);
    QFont titleFont = roleFont(title->font(), TextRole::title);
    titleFont.setBold(true);
    title->setFont(titleFont);
    layout->addWidget(title);

    files_ = new QListWidget(this);
    files_->setAccessibleName(tr("Fichiers à écrire"));
    files_->setMinimumHeight(WindowMetrics::fileListMinHeight);
    files_->setSelectionMode(QAbstractItemView::NoSelection);
    files_->setFocusPolicy(Qt::NoFocus);
    files_->setTextElideMode(Qt::ElideMiddle);
    layout->addWidget(files_, 1);

    replaced_ = plainLabel(QString(), this);
    setTextColour(*replaced_, Palette::warning());
    layout->addWidget(replaced_);

    clean_ = new QLabel(this);
    auto* cleanRow = new QHBoxLayout(clean_);
    cleanRow->setContentsMargins(0, 0, 0, 0);
    auto* seal = new QLabel(clean_);
    seal->setPixmap(symbolPixmap(QStringLiteral("checkmark.seal"), Palette::passed(), 16, devicePixelRatioF()));
    cleanRow->addWidget(seal);
    QLabel* cleanText = plainLabel(tr("Rapport de conformité sans erreur ni avertissement"), clean_);
    setTextColour(*cleanText, Palette::passed());
    cleanRow->addWidget(cleanText, 1);
    clean_->setAccessibleName(cleanText->text());
    layout->addWidget(clean_);

    rows_ = new ComplianceRows(this);
    layout->addWidget(rows_);

    photograph_ = new QCheckBox(tr("Les images de pilote sont des photographies de l’objet, pas des dessins."), this);
    photograph_->setAccessibleName(photograph_->text());
    layout->addWidget(photograph_);
    connect(photograph_, &QCheckBox::toggled, this, &WriteSheet::refreshGate);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    cancel_ = new QPushButton(tr("Annuler"), this);
    cancel_->setAccessibleName(cancel_->text());
    write_ = new QPushButton(tr("Écrire"), this);
    // Return belongs to the write button alone, and only while it is enabled;
    // Escape to the dialog's rejection.
    cancel_->setAutoDefault(false);
    write_->setAutoDefault(false);
    write_->setDefault(true);
    buttons->addWidget(cancel_);
    buttons->addWidget(write_);
    layout->addLayout(buttons);
    connect(cancel_, &QPushButton::clicked, this, &WriteSheet::reject);
    // The store clears the plan first, which closes the sheet; a plan that
    // changed meanwhile comes back to be confirmed again.
    connect(write_, &QPushButton::clicked, this, [this] {
        if (write_->isEnabled()) store_.writeSelectedDriver();
    });

    connect(&store_, &ProjectStore::pendingWriteChanged, this, &WriteSheet::refreshPlan);
    glyphsmith_state::followCurrentEditor(
        store_, this, [this](glyphsmith_state::DriverEditor& editor, QObject& context) {
            connect(&editor, &glyphsmith_state::DriverEditor::reportChanged, &context, [this] { refreshReport(); });
            refreshReport();
        });
    refreshPlan();
}

void WriteSheet::reject() {
    if (store_.pendingWrite()) store_.setPendingWrite(std::nullopt);
    // The main window closes its sheet when the plan goes; alone, the sheet closes itself.
    if (isVisible()) QDialog::reject();
}

void WriteSheet::refreshPlan() {
    const auto& pending = store_.pendingWrite();
    if (!pending) {
        // Written or dropped: nothing is left to confirm.
        if (isVisible()) QDialog::done(QDialog::Rejected);
        return;
    }
    if (shown_ == pending) return;
    shown_ = pending;
    const ProjectStore::PlannedWrites& plan = *pending;

    files_->clear();
    for (const PlannedWrite& write : plan) {
        const QString path = QString::fromStdString(write.path);
        const QColor colour = write.exists ? Palette::warning() : Palette::passed();
        auto* item = new QListWidgetItem(
            symbolIcon(write.exists ? QStringLiteral("arrow.triangle.2.circlepath") : QStringLiteral("plus.circle"),
                       colour),
            path);
        item->setForeground(colour);
        item->setToolTip(path);
        item->setData(Qt::AccessibleTextRole, (write.exists ? tr("Remplacé : %1") : tr("Nouveau : %1")).arg(path));
        files_->addItem(item);
    }
    // Tall enough for a driver's usual files without scrolling, within reason.
    if (files_->count() > 0) {
        const int rows = std::min(files_->count(), 10);
        const int height = rows * files_->sizeHintForRow(0) + 2 * files_->frameWidth() + 4;
        files_->setMinimumHeight(std::max(WindowMetrics::fileListMinHeight, height));
    }
    const long long replaced = replacedCount(plan);
    replaced_->setVisible(replaced > 0);
    replaced_->setText(tr("%1 fichiers existants seront remplacés.").arg(replaced));
    write_->setText(replaced > 0 ? tr("Remplacer et écrire") : tr("Écrire"));
    write_->setAccessibleName(write_->text());
    // The destructive write reads in the failure colour.
    setTextColour(*write_, replaced > 0 ? Palette::failed() : palette().color(QPalette::ButtonText));

    // A plan the user has not seen is confirmed afresh.
    photograph_->setVisible(writesDriverImages(store_, plan));
    {
        const QSignalBlocker quiet(photograph_);
        photograph_->setChecked(false);
    }
    refreshGate();
}

void WriteSheet::refreshReport() {
    const auto& report = store_.currentEditor().report();
    std::vector<ComplianceCheck> shown;
    if (report)
        std::copy_if(report->checks.begin(), report->checks.end(), std::back_inserter(shown),
                     [](const ComplianceCheck& check) {
                         return check.status == ComplianceStatus::warning || check.status == ComplianceStatus::failed;
                     });
    clean_->setVisible(report && shown.empty());
    rows_->setChecks(shown);
    rows_->setVisible(!shown.empty());
}

void WriteSheet::refreshGate() {
    const bool gated = shown_ && writesDriverImages(store_, *shown_) && !photograph_->isChecked();
    write_->setEnabled(!gated);
}

QDialog* makeWriteSheet(ProjectStore& store, QWidget* parent) {
    return new WriteSheet(store, parent);
}

}  // namespace glyphsmith_views
