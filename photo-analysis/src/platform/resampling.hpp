#pragma once

#include <cstdint>
#include <vector>

namespace photo_analysis::platform {

// Draws a width × height premultiplied RGBA image scaled by `scale` with its
// top-left corner at (originX, originY) into a canvasWidth × canvasHeight canvas
// of premultiplied float RGBA (4 floats a pixel, 0…255) that starts transparent.
// Shrinking averages every source pixel by the area it covers (no aliasing from
// 8192 to 75); enlarging interpolates cubically.
void drawScaled(const std::vector<std::uint8_t>& rgba, int width, int height, double scale, double originX,
                double originY, int canvasWidth, int canvasHeight, std::vector<float>& canvas);

}  // namespace photo_analysis::platform
