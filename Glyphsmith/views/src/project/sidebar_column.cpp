#include "glyphsmith_views/sidebar_column.hpp"

#include "glyphsmith_views/glyphsmith_app.hpp"
#include "project/project_views.hpp"

namespace glyphsmith_views {

SidebarColumn::SidebarColumn(GlyphsmithApp& app, QWidget* parent)
    : QStackedWidget(parent),
      app_(app),
      projectSidebar_(makeProjectSidebar(app, this)),
      driverList_(makeDriverList(app, this)) {
    setAccessibleName(tr("Barre latérale"));
    addWidget(projectSidebar_);
    addWidget(driverList_);
    refresh();
}

void SidebarColumn::refresh() {
    setCurrentWidget(app_.store().app() ? driverList_ : projectSidebar_);
}

}  // namespace glyphsmith_views
