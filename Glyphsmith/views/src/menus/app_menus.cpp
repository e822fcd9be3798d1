#include "glyphsmith_views/app_menus.hpp"

#include <QMenuBar>
#include <QStyleOptionMenuItem>

#include "glyphsmith_views/about_window.hpp"
#include "glyphsmith_views/action_registry.hpp"
#include "glyphsmith_views/glyphsmith_app.hpp"
#include "glyphsmith_views/install_help.hpp"
#include "glyphsmith_views/main_window.hpp"
#include "glyphsmith_views/settings_window.hpp"
#include "glyphsmith_views/update_alerts.hpp"

namespace glyphsmith_views {

using glyphsmith_state::allPreviewModes;
using glyphsmith_state::PreviewMode;

namespace {

// The "Aperçu" menu lists the modes as plain commands: the canvas's buttons
// show which one is on, the menu carries no check mark.
class PlainCommandsMenu final : public QMenu {
public:
    using QMenu::QMenu;

protected:
    void initStyleOption(QStyleOptionMenuItem* option, const QAction* action) const override {
        QMenu::initStyleOption(option, action);
        option->menuHasCheckableItems = false;
        option->checkType = QStyleOptionMenuItem::NotCheckable;
        option->checked = false;
    }
};

}  // namespace

AppWindows::AppWindows(MainWindow& window) : QObject(&window), window_(window) {
    updateAlerts_ = new UpdateAlerts(window.app().updates(), &window);
}

void AppWindows::showAbout() {
    if (!about_) about_ = new AboutWindow(AboutFacts::current(), &window_);
    bringForward(*about_);
}

void AppWindows::showSettings() {
    if (!settings_) settings_ = new SettingsWindow(window_.app().updates(), &window_);
    bringForward(*settings_);
}

void AppWindows::showInstallHelp() {
    showCLIInstallAlert(&window_);
}

AppMenus installAppMenus(MainWindow& window) {
    ActionRegistry& actions = window.actions();
    QMenuBar* bar = window.menuBar();
    const auto add = [&](QMenu* menu, std::initializer_list<Command> commands) {
        for (const Command command : commands) menu->addAction(actions.action(command));
    };

    AppMenus menus;
    // Alt and the underlined letter open a menu, F10 the first one.
    menus.file = bar->addMenu(QObject::tr("&Fichier"));
    add(menus.file, {Command::openHomeyApp, Command::closeProject});
    menus.file->addSeparator();
    add(menus.file, {Command::writeDriver});
    menus.file->addSeparator();
    actions.addExportCommands(*menus.file);
    menus.file->addSeparator();
    add(menus.file, {Command::settings, Command::quit});

    menus.preview = new PlainCommandsMenu(QObject::tr("A&perçu"), bar);
    bar->addMenu(menus.preview);
    for (const PreviewMode mode : allPreviewModes) menus.preview->addAction(actions.previewAction(mode));

    menus.help = bar->addMenu(QObject::tr("&Aide"));
    add(menus.help, {Command::checkForUpdates, Command::installCommandLineTool});
    menus.help->addSeparator();
    add(menus.help, {Command::about});

    for (QMenu* menu : {menus.file, menus.preview, menus.help}) {
        menu->setAccessibleName(QString(menu->title()).remove(u'&'));
        menu->menuAction()->setMenuRole(QAction::NoRole);
    }
    auto* openMenuBar = new QAction(QObject::tr("Menus"), &window);
    openMenuBar->setShortcut(Qt::Key_F10);
    openMenuBar->setMenuRole(QAction::NoRole);
    window.addAction(openMenuBar);
    QObject::connect(openMenuBar, &QAction::triggered, bar,
                     [bar, file = menus.file] { bar->setActiveAction(file->menuAction()); });

    auto* windows = new AppWindows(window);
    menus.windows = windows;
    QObject::connect(actions.action(Command::about), &QAction::triggered, windows, &AppWindows::showAbout);
    QObject::connect(actions.action(Command::settings), &QAction::triggered, windows, &AppWindows::showSettings);
    QObject::connect(actions.action(Command::installCommandLineTool), &QAction::triggered, windows,
                     &AppWindows::showInstallHelp);
    return menus;
}

}  // namespace glyphsmith_views
