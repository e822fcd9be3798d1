#pragma once

#include "icon_geometry/icon_model.hpp"

namespace glyphsmith_state {

// Whether the model, once written, reads back through the guarded model input:
// it encodes (every number finite) and decodes again within the input's bounds.
// A model that is not storable would come back as no model at all.
[[nodiscard]] bool isStorable(const icon_geometry::IconModel& model);

}  // namespace glyphsmith_state
