#include "glyphsmith_views/photo_overlay.hpp"

#include "glyphsmith_views/glyphsmith_app.hpp"

namespace glyphsmith_views {

PhotoOverlay::PhotoOverlay(GlyphsmithApp& app, QWidget* parent) : QWidget(parent), app_(app) {
    setAccessibleName(tr("Photo"));
}

void PhotoOverlay::setIconImage(const IconImage* image) {
    iconImage_ = image;
    update();
}

}  // namespace glyphsmith_views
