#pragma once

// README-internal: where each piece of the app's views goes.
//
//   Glyphsmith/main.cpp            the program: runApplication() only.
//   views/src/design/              colours and measures (design_system), the text
//                                  roles, our symbols (resources/symbols/*.svg, tinted
//                                  at run time), plain-text labels and message boxes,
//                                  AppInfo and AppLinks.
//   views/src/state/               GlyphsmithApp (store, session, update checker,
//                                  created once), ActionRegistry (one QAction per
//                                  command, enabled in refreshEnabled()), the
//                                  QFileDialog panels. What has no widget (the preview
//                                  mode, opened images, the compliance trigger, the
//                                  free icon's saves) is glyphsmith_state::AppSession;
//                                  a view follows the current editor through
//                                  glyphsmith_state::followCurrentEditor.
//   views/src/canvas/              the centre column: CanvasView, the icon, tiles and
//                                  mask previews, the validation summary, rasterizeIcon,
//                                  and PhotoOverlay (photo_overlay.cpp) for the photo mode.
//   views/src/editing/             the right column: InspectorPanel is a container of
//                                  sections; editing_sections.cpp lists them in order,
//                                  and each section's content is one file
//                                  (<name>_section.cpp, declared in sections.hpp). Beside
//                                  them: the compliance rows and their texts,
//                                  NumberField, the shared
//                                  pickers and sliders (section_parts), the focus order.
//   views/src/project/             the left column: SidebarColumn swaps the project
//                                  sidebar (project_sidebar.cpp) and the driver list
//                                  (driver_list.cpp); the write sheet (write_sheet.cpp).
//   views/src/window/              MainWindow: the three columns side by side, the
//                                  title, the toolbar, and the window's presentations
//                                  (the "Erreur" alert, the discard alert, the write
//                                  sheet), one at a time, each bound to a store field.
//   views/src/menus/               the menu bar (installAppMenus), the export commands,
//                                  Settings, the update alerts, About, the command-line
//                                  tool help: they hang on MainWindow's menuBar(),
//                                  exportMenu() and the registry's actions.
//   views/src/app/                 the application: arguments, single instance, the
//                                  delegate (opened files, quit confirmation,
//                                  termination save), start-up.

#include <QDialog>
#include <QMainWindow>
#include <QPointer>
#include <functional>

class QMenu;
class QToolBar;
class QToolButton;

namespace glyphsmith_views {

// Shows a window of the app in front of the others, restored when minimised.
void bringForward(QWidget& window);

class ActionRegistry;
class CanvasView;
class GlyphsmithApp;
class InspectorPanel;
class SidebarColumn;

class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    // The registry's actions become the window's, so their shortcuts work
    // whether or not a menu shows them.
    MainWindow(GlyphsmithApp& app, ActionRegistry& actions, QWidget* parent = nullptr);
    ~MainWindow() override;

    GlyphsmithApp& app() const { return app_; }
    ActionRegistry& actions() const { return actions_; }

    // ----- The three columns -----
    QWidget* columns() const { return columns_; }
    SidebarColumn* sidebar() const { return sidebar_; }
    CanvasView* canvas() const { return canvas_; }
    InspectorPanel* inspector() const { return inspector_; }

    // ----- Hook points -----
    QToolBar* toolbar() const { return toolbar_; }
    // The toolbar's "Exporter" menu, holding the export commands.
    QMenu* exportMenu() const { return exportMenu_; }
    // Asked before the window closes (the quit confirmation); false keeps it open.
    void setCloseGuard(std::function<bool()> mayClose) { closeGuard_ = std::move(mayClose); }

    // The presentation on screen: the "Erreur" alert, the discard alert or the
    // write sheet; null when none is.
    QDialog* presentation() const { return presentation_; }

    // Title, sidebar, toolbar and presentations from the store as it stands.
    void refresh();

signals:
    // The window came on screen for the first time.
    void firstShown();
    // The window closes, the close guard having agreed.
    void closing();

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    enum class Presented { none, error, discard, write };
    void buildToolbar();
    void refreshTitle();
    void refreshPresentations();
    void present(Presented kind, QDialog* dialog);
    void dismissed(Presented kind);

    GlyphsmithApp& app_;
    ActionRegistry& actions_;
    QWidget* columns_ = nullptr;
    SidebarColumn* sidebar_ = nullptr;
    CanvasView* canvas_ = nullptr;
    InspectorPanel* inspector_ = nullptr;
    QToolBar* toolbar_ = nullptr;
    QMenu* exportMenu_ = nullptr;
    QAction* writeButton_ = nullptr;
    std::function<bool()> closeGuard_;
    QPointer<QDialog> presentation_;
    Presented presented_ = Presented::none;
    bool shown_ = false;
};

}  // namespace glyphsmith_views
