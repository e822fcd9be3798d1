#pragma once

// One QAction per app command, shared by every menu, toolbar and shortcut that
// shows it. The registry sets each action's text and shortcut, decides in one
// place (refreshEnabled) when it is enabled, and carries out the commands that
// are a single call of the store, the checker or the preview mode. The actions
// that open a window of their own (about, settings, install help) and quitting
// are connected by whoever owns that window.

#include <QAction>
#include <QObject>
#include <array>

class QMenu;

#include "glyphsmith_state/preview_mode.hpp"

namespace glyphsmith_views {

class GlyphsmithApp;

enum class Command {
    about,
    checkForUpdates,
    installCommandLineTool,
    settings,
    openHomeyApp,
    closeProject,
    writeDriver,
    exportIcon,
    exportImages,
    saveModel,
    openModel,
    previewIcon,
    previewTiles,
    previewMask,
    previewOverlay,
    quit,
};

inline constexpr std::size_t commandCount = static_cast<std::size_t>(Command::quit) + 1;

// The command that shows a preview mode.
Command previewCommand(glyphsmith_state::PreviewMode mode);

class ActionRegistry : public QObject {
    Q_OBJECT
public:
    explicit ActionRegistry(GlyphsmithApp& app, QObject* parent = nullptr);

    QAction* action(Command command) const { return actions_[static_cast<std::size_t>(command)]; }
    // Every action, in command order, for a window to take their shortcuts.
    QList<QAction*> allActions() const;
    // The export commands as the toolbar's "Exporter" menu and the "Fichier"
    // menu both show them: the icon and the images, a separator, the model.
    void addExportCommands(QMenu& menu) const;

    // Enables each action from the app's state as it stands: closing needs a
    // project, writing a selected driver, exporting images rendered images, the
    // update check no check running.
    void refreshEnabled();

private:
    GlyphsmithApp& app_;
    std::array<QAction*, commandCount> actions_{};
};

}  // namespace glyphsmith_views
