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
    QKeySequence shortcut = {};
    // Absent: whoever owns the command's window connects it.
    std::function<void()> run = {};
    // Absent: always enabled.
    std::function<bool()> enabled = {};
    // Where a platform with an application menu would move the item.
    QAction::MenuRole role = QAction::NoRole;
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
    rows_ = {
        {.command = Command::about, .text = tr("À propos de %1").arg(AppInfo::name()), .role = QAction::AboutRole},
        {.command = Command::checkForUpdates,
         .text = tr("Rechercher une mise à jour…"),
         .run = [&updates] { updates.checkForUpdates(true); },
         .enabled = [&updates] { return !updates.isChecking(); },
         .role = QAction::ApplicationSpecificRole},
        {.command = Command::installCommandLineTool,
         .text = tr("Installer l’outil en ligne de commande…"),
         .role = QAction::ApplicationSpecificRole},
        {.command = Command::settings,
         .text = tr("Réglages…"),
         .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Comma),
         .role = QAction::PreferencesRole},
        {.command = Command::openHomeyApp,
         .text = tr("Ouvrir une app Homey…"),
         .shortcut = QKeySequence(Qt::CTRL | Qt::Key_O),
         .run = onStore(&ProjectStore::chooseHomeyAppFolder)},
        {.command = Command::closeProject,
         .text = tr("Fermer le projet"),
         .run = onStore(&ProjectStore::requestCloseProject),
         .enabled = [&store] { return store.app().has_value(); }},
        {.command = Command::writeDriver,
         .text = tr("Écrire le pilote…"),
         .shortcut = QKeySequence(Qt::CTRL | Qt::Key_S),
         .run = onStore(&ProjectStore::prepareWrite),
         .enabled = [&store] { return store.selectedDriver().has_value(); }},
        {.command = Command::exportIcon,
         .text = tr("Exporter l’icône…"),
         .shortcut = QKeySequence(Qt::CTRL | Qt::Key_E),
         .run = onStore(&ProjectStore::chooseSVGDestination)},
        {.command = Command::exportImages,
         .text = tr("Exporter les images…"),
         .shortcut = QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E),
         .run = onStore(&ProjectStore::chooseImagesFolder),
         .enabled = [&store] { return !store.currentEditor().driverImages().empty(); }},
        {.command = Command::saveModel,
         .text = tr("Enregistrer le modèle…"),
         .run = onStore(&ProjectStore::chooseModelDestination)},
        {.command = Command::openModel,
         .text = tr("Ouvrir un modèle…"),
         .shortcut = QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O),
         .run = onStore(&ProjectStore::chooseModelToOpen)},
    };
    // The mode at position i has Ctrl and the digit i + 1.
    const Command previews[] = {Command::previewIcon, Command::previewTiles, Command::previewMask,
                                Command::previewOverlay};
    for (std::size_t i = 0; i < glyphsmith_state::allPreviewModes.size(); ++i) {
        const PreviewMode mode = glyphsmith_state::allPreviewModes[i];
        rows_.push_back({.command = previews[i],
                         .text = title(mode),
                         .shortcut = QKeySequence(Qt::CTRL | static_cast<Qt::Key>(Qt::Key_1 + static_cast<int>(i))),
                         .mode = mode});
    }
    rows_.push_back({.command = Command::quit,
                     .text = tr("Quitter"),
                     .shortcut = QKeySequence(Qt::CTRL | Qt::Key_Q),
                     .role = QAction::QuitRole});

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
    glyphsmith_state::followCurrentEditor(store, this, [this](DriverEditor& editor) {
        connect(&editor, &DriverEditor::driverImagesChanged, this, &ActionRegistry::refreshEnabled);
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
