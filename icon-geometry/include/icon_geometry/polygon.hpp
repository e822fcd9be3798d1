#pragma once

// The plane's small measures shared across the libraries: a polygon's area and a
// point's distance to a segment.

#include <span>

#include "icon_geometry/vector.hpp"

namespace icon_geometry {

// The shoelace area of the closed polygon through the points: positive when
// they turn counter-clockwise with y up (clockwise on screen, y down); 0 for
// fewer than three points.
[[nodiscard]] double signedArea(std::span<const Vector2> points);

// The distance from p to the nearest point of the segment from a to b (to a when
// the segment has no length).
[[nodiscard]] double segmentDistance(Vector2 p, Vector2 a, Vector2 b);

}  // namespace icon_geometry
