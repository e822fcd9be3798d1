#pragma once

// The main window's left-hand column: the project sidebar while no project is
// open, the driver list while one is. The choice follows the store's `app` at
// once, in the same change that swaps the title and the toolbar.

#include <QStackedWidget>

namespace glyphsmith_views {

class GlyphsmithApp;

class SidebarColumn : public QStackedWidget {
    Q_OBJECT
public:
    explicit SidebarColumn(GlyphsmithApp& app, QWidget* parent = nullptr);

    QWidget* projectSidebar() const { return projectSidebar_; }
    QWidget* driverList() const { return driverList_; }
    // Shows the one that the store's state asks for.
    void refresh();

private:
    GlyphsmithApp& app_;
    QWidget* projectSidebar_;
    QWidget* driverList_;
};

}  // namespace glyphsmith_views
