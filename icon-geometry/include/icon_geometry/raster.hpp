#pragma once

// Filling Bézier paths into 8-bit grey rasters, for ink masks and for the masks
// of photo analysis.

#include <cstdint>
#include <vector>

#include "icon_geometry/affine_transform.hpp"
#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/vector.hpp"

namespace icon_geometry {

enum class Antialiasing { none, smooth };

// Rasterises paths, each filled on its own by the even-odd rule, into a
// width × height grey buffer (row-major, row 0 at the top, one byte a pixel).
// `toPixels` maps path coordinates onto pixel coordinates, y downwards. Without
// antialiasing a pixel is 255 when its centre is inside a path and 0 otherwise;
// with it, the coverage of the pixel. Subpaths with a non-finite coordinate are
// left out. Sides outside 1…8192 give the empty buffer.
[[nodiscard]] std::vector<std::uint8_t> rasterizeEvenOdd(const std::vector<BezierPath>& paths, int width, int height,
                                                         const AffineTransform& toPixels,
                                                         Antialiasing antialiasing = Antialiasing::none);

// The square canvas (0, 0)–(canvasSide, canvasSide) scaled onto a side × side
// buffer, without antialiasing; a canvas side that is not positive and finite
// gives a buffer without ink.
[[nodiscard]] std::vector<std::uint8_t> rasterizeEvenOdd(const std::vector<BezierPath>& paths, int side,
                                                         double canvasSide = Canvas::side);

}  // namespace icon_geometry
