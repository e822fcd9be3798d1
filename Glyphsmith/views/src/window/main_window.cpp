#include "glyphsmith_views/main_window.hpp"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "glyphsmith_views/action_registry.hpp"
#include "glyphsmith_views/canvas_view.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/editing_panel.hpp"
#include "glyphsmith_views/glyphsmith_app.hpp"
#include "glyphsmith_views/plain_text.hpp"
#include "glyphsmith_views/sidebar_column.hpp"
#include "glyphsmith_views/symbols.hpp"
#include "glyphsmith_views/write_sheet.hpp"

namespace glyphsmith_views {

using glyphsmith_state::ProjectStore;

namespace {

// The 1-pixel line in the border colour between two columns.
class ColumnSeparator final : public QWidget {
public:
    explicit ColumnSeparator(QWidget* parent) : QWidget(parent) { setFixedWidth(1); }

protected:
    void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), Palette::border()); }
};

}  // namespace

void bringForward(QWidget& window) {
    if (window.isMinimized()) window.showNormal();
    window.show();
    window.raise();
    window.activateWindow();
}

MainWindow::MainWindow(GlyphsmithApp& app, ActionRegistry& actions, QWidget* parent)
    : QMainWindow(parent), app_(app), actions_(actions) {
    setMinimumSize(WindowMetrics::minWidth, WindowMetrics::minHeight);
    setWindowIcon(appIcon());
    addActions(actions_.allActions());

    // The side columns keep their widths; the canvas takes every change of width.
    columns_ = new QWidget(this);
    sidebar_ = new SidebarColumn(app_, columns_);
    sidebar_->setFixedWidth(WindowMetrics::sidebarWidth);
    canvas_ = new CanvasView(app_, actions_, columns_);
    inspector_ = new InspectorPanel(app_, inspectorSections(), columns_);
    inspector_->setFixedWidth(WindowMetrics::inspectorWidth);
    auto* row = new QHBoxLayout(columns_);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    row->addWidget(sidebar_);
    row->addWidget(new ColumnSeparator(columns_));
    row->addWidget(canvas_, 1);
    row->addWidget(new ColumnSeparator(columns_));
    row->addWidget(inspector_);
    setCentralWidget(columns_);
    buildToolbar();

    ProjectStore& store = app_.store();
    connect(&store, &ProjectStore::appChanged, this, &MainWindow::refresh);
    for (auto signal :
         {&ProjectStore::errorChanged, &ProjectStore::pendingDiscardChanged, &ProjectStore::pendingWriteChanged})
        connect(&store, signal, this, &MainWindow::refreshPresentations);
    refresh();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildToolbar() {
    toolbar_ = addToolBar(tr("Barre d’outils"));
    toolbar_->setObjectName(QStringLiteral("mainToolbar"));
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    toolbar_->setContextMenuPolicy(Qt::PreventContextMenu);
    auto* spacer = new QWidget(toolbar_);
    spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar_->addWidget(spacer);

    exportMenu_ = new QMenu(tr("Exporter"), this);
    actions_.addExportCommands(*exportMenu_);
    auto* exportButton = new QToolButton(toolbar_);
    exportButton->setText(tr("Exporter"));
    exportButton->setAccessibleName(tr("Exporter"));
    exportButton->setIcon(symbolIcon(QStringLiteral("square.and.arrow.up"), palette().color(QPalette::ButtonText)));
    exportButton->setToolTip(tr("Enregistrer l’icône, les images ou le modèle où vous voulez"));
    exportButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    exportButton->setPopupMode(QToolButton::InstantPopup);
    exportButton->setMenu(exportMenu_);
    toolbar_->addWidget(exportButton);

    QAction* write = actions_.action(Command::writeDriver);
    write->setIcon(symbolIcon(QStringLiteral("square.and.arrow.down"), palette().color(QPalette::ButtonText)));
    write->setToolTip(tr("Écrire l’icône, les images et le modèle dans le dossier du pilote"));
    auto* writeButton = new QToolButton(toolbar_);
    writeButton->setDefaultAction(write);
    writeButton->setAccessibleName(write->text());
    writeButton->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    writeButton_ = toolbar_->addWidget(writeButton);
}

void MainWindow::refresh() {
    refreshTitle();
    sidebar_->refresh();
    writeButton_->setVisible(app_.store().app().has_value());
    refreshPresentations();
}

void MainWindow::refreshTitle() {
    const auto& project = app_.store().app();
    QString title =
        project ? QString::fromStdString(project->displayName(ProjectStore::currentLanguageCode().toStdString()))
                : tr("Icône sans projet");
    // A name is shown as it is: "[*]" would otherwise mark unsaved changes.
    title.replace(QStringLiteral("[*]"), QStringLiteral("[*][*]"));
    setWindowTitle(title);
}

void MainWindow::refreshPresentations() {
    const ProjectStore& store = app_.store();
    if (presentation_) {
        // A field cleared elsewhere closes its presentation.
        const bool stillWanted = (presented_ == Presented::error && store.error()) ||
                                 (presented_ == Presented::discard && store.pendingDiscard()) ||
                                 (presented_ == Presented::write && store.pendingWrite());
        if (!stillWanted) presentation_->done(QDialog::Rejected);
        return;
    }
    if (const auto& error = store.error()) {
        auto* box = plainMessageBox(this, tr("Erreur"), error->message());
        box->setIcon(QMessageBox::Warning);
        box->addButton(tr("OK"), QMessageBox::AcceptRole);
        present(Presented::error, box);
    } else if (store.pendingDiscard()) {
        auto* box = plainMessageBox(this, tr("Abandonner les modifications non écrites ?"),
                                    unwrittenChangesMessage(store.unwrittenDriverNames()));
        box->setIcon(QMessageBox::Warning);
        QPushButton* cancel = box->addButton(tr("Annuler"), QMessageBox::RejectRole);
        QPushButton* abandon = box->addButton(tr("Abandonner"), QMessageBox::DestructiveRole);
        box->setDefaultButton(cancel);
        box->setEscapeButton(cancel);
        connect(box, &QDialog::finished, this, [this, box, abandon] {
            if (box->clickedButton() == abandon) app_.store().confirmDiscard();
        });
        present(Presented::discard, box);
    } else if (store.pendingWrite()) {
        QDialog* sheet = makeWriteSheet(app_.store(), this);
        sheet->setAttribute(Qt::WA_DeleteOnClose);
        present(Presented::write, sheet);
    }
}

void MainWindow::present(Presented kind, QDialog* dialog) {
    presented_ = kind;
    presentation_ = dialog;
    connect(dialog, &QDialog::finished, this, [this, kind] { dismissed(kind); });
    dialog->open();
}

void MainWindow::dismissed(Presented kind) {
    presented_ = Presented::none;
    presentation_ = nullptr;
    // Any dismissal clears the field the presentation stood for (the discard
    // alert's own button has already carried the action out).
    ProjectStore& store = app_.store();
    switch (kind) {
        case Presented::error:
            store.setError(std::nullopt);
            break;
        case Presented::discard:
            store.setPendingDiscard(std::nullopt);
            break;
        case Presented::write:
            if (store.pendingWrite()) store.setPendingWrite(std::nullopt);
            break;
        case Presented::none:
            break;
    }
    // The next presentation waits until this one has gone.
    QTimer::singleShot(0, this, &MainWindow::refreshPresentations);
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    if (shown_) return;
    shown_ = true;
    emit firstShown();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (closeGuard_ && !closeGuard_()) {
        event->ignore();
        return;
    }
    event->accept();
    emit closing();
}

}  // namespace glyphsmith_views
