#include "glyphsmith_views/action_registry.hpp"

#include <QActionGroup>
#include <QMenu>
#include <algorithm>
#include <functional>
#include <optional>

#include "glyphsmith_state/follow_current_editor.hpp"
#include "glyphsmith_views/app_info.hpp"
#include "glyphsmith_views/glyphsmith_app.hpp"

namespace glyphsmith_views {

using glyphsmith_state::AppSession;
using glyphsmith_state::DriverEditor;
using glyphsmith_state::PreviewMode;
using glyphsmith_state::ProjectStore;
using glyphsmith_state::UpdateChecker;

struct ActionRegistry::Row {
    Command command;
    QString text;
    QKeySequence shortcut;
    // Where a platform with an application menu would move the item.
    QAction::MenuRole role = QAction::NoRole;
    // Absent: whoever owns the command's window connects it.
    std::function<void()> run = {};
    // Absent: always enabled.
    std::function<bool()> enabled = {};
    // The preview mode a checkable row shows.
    std::optional<PreviewMode> mode = {};
    QAction* action = nullptr;
};

ActionRegistry::ActionRegistry(GlyphsmithApp& app, QObject* parent) : QObject(parent), app_(app) {
    ProjectStore& store = app_.store();
    UpdateChecker& updates = app_.updates();
    const auto onStore = [&store](void (ProjectStore::*operation)()) {
        return [&store, operation] { (store.*operation)(); };
    };
    const QKeySequence none;
    const auto plain = QAction::NoRole;
    // Each command: its text, its shortcut, its menu role, what it does, when it is enabled.
    rows_ = {
        {Command::about, tr("À propos de %1").arg(AppInfo::name()), none, QAction::AboutRole},
        {Command::checkForUpdates, tr("Rechercher une mise à jour…"), none, QAction::ApplicationSpecificRole,
         [&updates] { updates.checkForUpdates(true); }, [&updates] { return !updates.isChecking(); }},
        {Command::installCommandLineTool, tr("Installer l’outil en ligne de commande…"), none,
         QAction::ApplicationSpecificRole},
        {Command::settings, tr("Réglages…"), Qt::CTRL | Qt::Key_Comma, QAction::PreferencesRole},
        {Command::openHomeyApp, tr("Ouvrir une app Homey…"), Qt::CTRL | Qt::Key_O, plain,
         onStore(&ProjectStore::chooseHomeyAppFolder)},
        {Command::closeProject, tr("Fermer le projet"), none, plain, onStore(&ProjectStore::requestCloseProject),
         [&store] { return store.app().has_value(); }},
        {Command::writeDriver, tr("Écrire le pilote…"), Qt::CTRL | Qt::Key_S, plain,
         onStore(&ProjectStore::prepareWrite), [&store] { return store.selectedDriver().has_value(); }},
        {Command::exportIcon, tr("Exporter l’icône…"), Qt::CTRL | Qt::Key_E, plain,
         onStore(&ProjectStore::chooseSVGDestination)},
        {Command::exportImages, tr("Exporter les images…"), Qt::CTRL | Qt::SHIFT | Qt::Key_E, plain,
         onStore(&ProjectStore::chooseImagesFolder),
         [&store] { return !store.currentEditor().driverImages().empty(); }},
        {Command::saveModel, tr("Enregistrer le modèle…"), none, plain, onStore(&ProjectStore::chooseModelDestination)},
        {Command::openModel, tr("Ouvrir un modèle…"), Qt::CTRL | Qt::SHIFT | Qt::Key_O, plain,
         onStore(&ProjectStore::chooseModelToOpen)},
        // The mode at position i has Ctrl and the digit i + 1.
        {Command::previewIcon, title(PreviewMode::icon), Qt::CTRL | Qt::Key_1, plain, nullptr, nullptr,
         PreviewMode::icon},
        {Command::previewTiles, title(PreviewMode::tiles), Qt::CTRL | Qt::Key_2, plain, nullptr, nullptr,
         PreviewMode::tiles},
        {Command::previewMask, title(PreviewMode::mask), Qt::CTRL | Qt::Key_3, plain, nullptr, nullptr,
         PreviewMode::mask},
        {Command::previewOverlay, title(PreviewMode::overlay), Qt::CTRL | Qt::Key_4, plain, nullptr, nullptr,
         PreviewMode::overlay},
        {Command::quit, tr("Quitter"), Qt::CTRL | Qt::Key_Q, QAction::QuitRole},
    };

    auto* modes = new QActionGroup(this);
    for (Row& row : rows_) {
        row.action = new QAction(row.text, this);
        row.action->setShortcut(row.shortcut);
        row.action->setMenuRole(row.role);
        // Texts from the build (the app's name) are plain, and no "&" makes a mnemonic.
        row.action->setIconVisibleInMenu(false);
        if (row.mode) {
            row.action->setCheckable(true);
            modes->addAction(row.action);
            // Toggled, not triggered: a button's accessible toggle checks its
            // action without triggering it.
            connect(row.action, &QAction::toggled, this,
                    [this, mode = *row.mode](bool checked) { modeToggled(mode, checked); });
        } else if (row.run) {
            connect(row.action, &QAction::triggered, this, row.run);
        }
    }

    connect(&app_.session(), &AppSession::previewModeChanged, this, &ActionRegistry::showMode);
    showMode();
    for (auto signal : {&ProjectStore::appChanged, &ProjectStore::selectedDriverIDChanged})
        connect(&store, signal, this, &ActionRegistry::refreshEnabled);
    connect(&updates, &UpdateChecker::isCheckingChanged, this, &ActionRegistry::refreshEnabled);
    glyphsmith_state::followCurrentEditor(store, this, [this](DriverEditor& editor, QObject& context) {
        connect(&editor, &DriverEditor::driverImagesChanged, &context, [this] { refreshEnabled(); });
        refreshEnabled();
    });
}

ActionRegistry::~ActionRegistry() = default;

QAction* ActionRegistry::action(Command command) const {
    const auto row = std::find_if(rows_.begin(), rows_.end(), [command](const Row& r) { return r.command == command; });
    return row == rows_.end() ? nullptr : row->action;
}

QAction* ActionRegistry::previewAction(PreviewMode mode) const {
    const auto row = std::find_if(rows_.begin(), rows_.end(), [mode](const Row& r) { return r.mode == mode; });
    return row == rows_.end() ? nullptr : row->action;
}

QList<QAction*> ActionRegistry::allActions() const {
    QList<QAction*> actions;
    for (const Row& row : rows_) actions << row.action;
    return actions;
}

void ActionRegistry::addExportCommands(QMenu& menu) const {
    for (const Command command : {Command::exportIcon, Command::exportImages}) menu.addAction(action(command));
    menu.addSeparator();
    for (const Command command : {Command::saveModel, Command::openModel}) menu.addAction(action(command));
}

void ActionRegistry::modeToggled(PreviewMode mode, bool checked) {
    if (checked) {
        app_.session().setPreviewMode(mode);
        return;
    }
    // Unchecked for no other mode (its button's toggle pressed again): the mode stays shown.
    if (std::none_of(rows_.begin(), rows_.end(), [](const Row& row) { return row.mode && row.action->isChecked(); }))
        showMode();
}

void ActionRegistry::showMode() {
    previewAction(app_.session().previewMode())->setChecked(true);
}

void ActionRegistry::refreshEnabled() {
    for (const Row& row : rows_)
        if (row.enabled) row.action->setEnabled(row.enabled());
}

}  // namespace glyphsmith_views
