#include "glyphsmith_views/app_menus.hpp"

#include <QMenuBar>

#include "glyphsmith_views/action_registry.hpp"
#include "glyphsmith_views/main_window.hpp"

namespace glyphsmith_views {

void installAppMenus(MainWindow& window) {
    ActionRegistry& actions = window.actions();
    QMenuBar* bar = window.menuBar();
    const auto add = [&](QMenu* menu, std::initializer_list<Command> commands) {
        for (const Command command : commands) menu->addAction(actions.action(command));
    };

    QMenu* file = bar->addMenu(QObject::tr("Fichier"));
    add(file, {Command::openHomeyApp, Command::closeProject});
    file->addSeparator();
    add(file, {Command::writeDriver});
    file->addSeparator();
    add(file, {Command::exportIcon, Command::exportImages});
    file->addSeparator();
    add(file, {Command::saveModel, Command::openModel});
    file->addSeparator();
    add(file, {Command::settings});
    file->addSeparator();
    add(file, {Command::quit});

    QMenu* preview = bar->addMenu(QObject::tr("Aperçu"));
    for (const PreviewMode mode : allPreviewModes) preview->addAction(actions.action(previewCommand(mode)));

    QMenu* help = bar->addMenu(QObject::tr("Aide"));
    add(help, {Command::about, Command::checkForUpdates});
    help->addSeparator();
    add(help, {Command::installCommandLineTool});
}

}  // namespace glyphsmith_views
