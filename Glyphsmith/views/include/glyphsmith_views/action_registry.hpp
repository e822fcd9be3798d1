#pragma once

// One QAction per app command, shared by every menu, toolbar and button that
// shows it. Each command is one row of the registry (its text, its shortcut,
// what it does and when it is enabled); menus and toolbars look its action up.
// The four preview modes are checkable actions of one exclusive group: the
// canvas's mode buttons, the "Aperçu" menu and Ctrl+1 to Ctrl+4 are those four
// actions, and the one checked is the session's mode. The actions that open a
// window of their own (about, settings, install help) and quitting do what
// whoever owns that window connects to them.

#include <QAction>
#include <QObject>
#include <vector>

#include "glyphsmith_state/preview_mode.hpp"

class QMenu;

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

class ActionRegistry : public QObject {
    Q_OBJECT
public:
    explicit ActionRegistry(GlyphsmithApp& app, QObject* parent = nullptr);
    ~ActionRegistry() override;

    QAction* action(Command command) const;
    // The checkable action that shows the mode.
    QAction* previewAction(glyphsmith_state::PreviewMode mode) const;
    // Every action, in command order, for a window to take their shortcuts.
    QList<QAction*> allActions() const;
    // The export commands as the toolbar's "Exporter" menu and the "Fichier"
    // menu both show them: the icon and the images, a separator, the model.
    void addExportCommands(QMenu& menu) const;

private:
    struct Row;
    // Enables each action from the app's state as it stands, by its row.
    void refreshEnabled();
    // Whichever way a mode's action was checked or unchecked.
    void modeToggled(glyphsmith_state::PreviewMode mode, bool checked);
    void showMode();

    GlyphsmithApp& app_;
    std::vector<Row> rows_;
};

}  // namespace glyphsmith_views
