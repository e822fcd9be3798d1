#pragma once

// The menu bar of the main window, made of the registry's actions:
//   "Fichier": open a Homey app, close the project | write the driver | the
//     export commands | "Réglages…", "Quitter";
//   "Aperçu": the four preview modes, Ctrl+1 to Ctrl+4;
//   "Aide": the update check, the command-line tool's install help | About.
// Installing the menus also hangs the app's other windows on the main window:
// About and Settings (one of each, built on first use), the install help and
// the update alerts.

#include <QObject>
#include <QPointer>

#include "glyphsmith_views/about_window.hpp"
#include "glyphsmith_views/settings_window.hpp"
#include "glyphsmith_views/update_alerts.hpp"

class QMenu;

namespace glyphsmith_views {

class MainWindow;

// The windows the menus open, owned by the main window.
class AppWindows : public QObject {
    Q_OBJECT
public:
    explicit AppWindows(MainWindow& window);

    // Shows the one About window (built the first time), brought to the front.
    void showAbout();
    // Shows the one "Réglages" window, likewise.
    void showSettings();
    void showInstallHelp();

    AboutWindow* about() const { return about_; }
    SettingsWindow* settings() const { return settings_; }
    UpdateAlerts* updateAlerts() const { return updateAlerts_; }

private:
    MainWindow& window_;
    QPointer<AboutWindow> about_;
    QPointer<SettingsWindow> settings_;
    UpdateAlerts* updateAlerts_ = nullptr;
};

struct AppMenus {
    QMenu* file = nullptr;
    QMenu* preview = nullptr;
    QMenu* help = nullptr;
    AppWindows* windows = nullptr;
};

AppMenus installAppMenus(MainWindow& window);

}  // namespace glyphsmith_views
