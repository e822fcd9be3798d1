#include <QListWidget>

#include "glyphsmith_views/glyphsmith_app.hpp"
#include "project/project_views.hpp"

namespace glyphsmith_views {

QWidget* makeDriverList(GlyphsmithApp&, QWidget* parent) {
    auto* list = new QListWidget(parent);
    list->setAccessibleName(QObject::tr("Pilotes"));
    return list;
}

}  // namespace glyphsmith_views
