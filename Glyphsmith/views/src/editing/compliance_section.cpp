#include "editing/sections.hpp"

namespace glyphsmith_views {

QWidget* makeComplianceSection(glyphsmith_state::ProjectStore&, glyphsmith_state::DriverEditor&) {
    return emptySection();
}

}  // namespace glyphsmith_views
