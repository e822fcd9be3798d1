#pragma once

#include <cstdint>
#include <vector>

#include "icon_geometry/bezier_path.hpp"

namespace photo_analysis::platform {

// How paths are painted into an 8-bit coverage raster.
struct Paint {
    enum class Mode { fillEvenOdd, stroke };
    Mode mode = Mode::fillEvenOdd;
    double lineWidth = 1;  // strokes: default caps and joins
};

// The antialiased coverage (0–255) of the paths drawn into width × height cells,
// each point p placed at offset + scale × p (y downwards, row 0 at the top).
// Subpaths with a non-finite point are left out. Empty when the raster cannot be
// made or exceeds 16 Mpx.
std::vector<std::uint8_t> coverage(const std::vector<icon_geometry::BezierPath>& paths, int width, int height,
                                   icon_geometry::Vector2 offset, double scale, Paint paint);

}  // namespace photo_analysis::platform
