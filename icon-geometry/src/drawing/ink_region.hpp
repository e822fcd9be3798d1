#pragma once

#include "icon_geometry/icon_drawing.hpp"
#include "platform/platform_path.hpp"

namespace icon_geometry {

// The body's elements combined in order into one region: strokes and fills add
// ink, a hole clears what came before it. A region operation that fails leaves
// the ink as it was before that operation.
Region inkRegion(const IconBody& body);

}  // namespace icon_geometry
