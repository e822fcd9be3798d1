#include "editing/sections.hpp"

namespace glyphsmith_views {

QWidget* makePhotosSection(glyphsmith_state::ProjectStore&, glyphsmith_state::DriverEditor&) {
    return emptySection();
}

}  // namespace glyphsmith_views
