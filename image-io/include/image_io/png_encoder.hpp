#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "image_io/image.hpp"

namespace image_io {

// Deterministic PNG bytes (fixed compression settings, no time chunk). Throws ImageIOError.
[[nodiscard]] std::vector<std::uint8_t> encodePngRgb(int width, int height, std::span<const std::uint8_t> rgb);
// Straight alpha written; premultiplied input is un-premultiplied first.
[[nodiscard]] std::vector<std::uint8_t> encodePngRgba(const RgbaImage& image);

}  // namespace image_io
