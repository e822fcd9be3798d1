#include "glyphsmith_views/action_registry.hpp"

#include <QMenu>

#include "glyphsmith_state/follow_current_editor.hpp"
#include "glyphsmith_views/app_info.hpp"
#include "glyphsmith_views/glyphsmith_app.hpp"

namespace glyphsmith_views {

using glyphsmith_state::allPreviewModes;
using glyphsmith_state::DriverEditor;
using glyphsmith_state::PreviewMode;
using glyphsmith_state::ProjectStore;
using glyphsmith_state::UpdateChecker;

namespace {

struct CommandLook {
    Command command;
    QString text;
    QKeySequence shortcut;
    // Where a platform with an application menu would move the item.
    QAction::MenuRole role = QAction::NoRole;
};

}  // namespace

Command previewCommand(PreviewMode mode) {
    switch (mode) {
        case PreviewMode::icon:
            return Command::previewIcon;
        case PreviewMode::tiles:
            return Command::previewTiles;
        case PreviewMode::mask:
            return Command::previewMask;
        case PreviewMode::overlay:
            return Command::previewOverlay;
    }
    return Command::previewIcon;
}

ActionRegistry::ActionRegistry(GlyphsmithApp& app, QObject* parent) : QObject(parent), app_(app) {
    const CommandLook looks[] = {
        {Command::about, tr("À propos de %1").arg(AppInfo::name()), {}, QAction::AboutRole},
        {Command::checkForUpdates, tr("Rechercher une mise à jour…"), {}, QAction::ApplicationSpecificRole},
        {Command::installCommandLineTool,
         tr("Installer l’outil en ligne de commande…"),
         {},
         QAction::ApplicationSpecificRole},
        {Command::settings, tr("Réglages…"), QKeySequence(Qt::CTRL | Qt::Key_Comma), QAction::PreferencesRole},
        {Command::openHomeyApp, tr("Ouvrir une app Homey…"), QKeySequence(Qt::CTRL | Qt::Key_O)},
        {Command::closeProject, tr("Fermer le projet"), {}},
        {Command::writeDriver, tr("Écrire le pilote…"), QKeySequence(Qt::CTRL | Qt::Key_S)},
        {Command::exportIcon, tr("Exporter l’icône…"), QKeySequence(Qt::CTRL | Qt::Key_E)},
        {Command::exportImages, tr("Exporter les images…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)},
        {Command::saveModel, tr("Enregistrer le modèle…"), {}},
        {Command::openModel, tr("Ouvrir un modèle…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O)},
        {Command::previewIcon, title(PreviewMode::icon), QKeySequence(Qt::CTRL | Qt::Key_1)},
        {Command::previewTiles, title(PreviewMode::tiles), QKeySequence(Qt::CTRL | Qt::Key_2)},
        {Command::previewMask, title(PreviewMode::mask), QKeySequence(Qt::CTRL | Qt::Key_3)},
        {Command::previewOverlay, title(PreviewMode::overlay), QKeySequence(Qt::CTRL | Qt::Key_4)},
        {Command::quit, tr("Quitter"), QKeySequence(Qt::CTRL | Qt::Key_Q), QAction::QuitRole},
    };
    for (const auto& look : looks) {
        auto* action = new QAction(look.text, this);
        action->setShortcut(look.shortcut);
        action->setMenuRole(look.role);
        // Texts from the build (the app's name) are plain, and no "&" makes a mnemonic.
        action->setIconVisibleInMenu(false);
        actions_[static_cast<std::size_t>(look.command)] = action;
    }

    ProjectStore& store = app_.store();
    connect(action(Command::openHomeyApp), &QAction::triggered, &store, &ProjectStore::chooseHomeyAppFolder);
    connect(action(Command::closeProject), &QAction::triggered, &store, &ProjectStore::requestCloseProject);
    connect(action(Command::writeDriver), &QAction::triggered, &store, &ProjectStore::prepareWrite);
    connect(action(Command::exportIcon), &QAction::triggered, &store, &ProjectStore::chooseSVGDestination);
    connect(action(Command::exportImages), &QAction::triggered, &store, &ProjectStore::chooseImagesFolder);
    connect(action(Command::saveModel), &QAction::triggered, &store, &ProjectStore::chooseModelDestination);
    connect(action(Command::openModel), &QAction::triggered, &store, &ProjectStore::chooseModelToOpen);
    connect(action(Command::checkForUpdates), &QAction::triggered, &app_.updates(),
            [this] { app_.updates().checkForUpdates(true); });
    for (const PreviewMode mode : allPreviewModes)
        connect(action(previewCommand(mode)), &QAction::triggered, this,
                [this, mode] { app_.session().setPreviewMode(mode); });

    for (auto signal : {&ProjectStore::appChanged, &ProjectStore::selectedDriverIDChanged})
        connect(&store, signal, this, &ActionRegistry::refreshEnabled);
    connect(&app_.updates(), &UpdateChecker::isCheckingChanged, this, &ActionRegistry::refreshEnabled);
    glyphsmith_state::followCurrentEditor(store, this, [this](DriverEditor& editor) {
        connect(&editor, &DriverEditor::driverImagesChanged, this, &ActionRegistry::refreshEnabled);
        refreshEnabled();
    });
}

QList<QAction*> ActionRegistry::allActions() const {
    return QList<QAction*>(actions_.begin(), actions_.end());
}

void ActionRegistry::addExportCommands(QMenu& menu) const {
    for (const Command command : {Command::exportIcon, Command::exportImages}) menu.addAction(action(command));
    menu.addSeparator();
    for (const Command command : {Command::saveModel, Command::openModel}) menu.addAction(action(command));
}

void ActionRegistry::refreshEnabled() {
    const ProjectStore& store = app_.store();
    action(Command::checkForUpdates)->setEnabled(!app_.updates().isChecking());
    action(Command::closeProject)->setEnabled(store.app().has_value());
    action(Command::writeDriver)->setEnabled(store.selectedDriver().has_value());
    action(Command::exportImages)->setEnabled(!app_.store().currentEditor().driverImages().empty());
}

}  // namespace glyphsmith_views
