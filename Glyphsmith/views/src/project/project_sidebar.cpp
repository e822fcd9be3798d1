#include <QVBoxLayout>

#include "glyphsmith_views/glyphsmith_app.hpp"
#include "project/project_views.hpp"

namespace glyphsmith_views {

QWidget* makeProjectSidebar(GlyphsmithApp&, QWidget* parent) {
    auto* sidebar = new QWidget(parent);
    sidebar->setAccessibleName(QObject::tr("Projet"));
    new QVBoxLayout(sidebar);
    return sidebar;
}

}  // namespace glyphsmith_views
