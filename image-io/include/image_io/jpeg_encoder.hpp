#pragma once

#include <cstdint>
#include <vector>

#include "image_io/rgba_image.hpp"

namespace image_io {

// Deterministic baseline JPEG bytes of the image laid on white: a JPEG holds no alpha, so each
// pixel is what it shows over a white page. Quality 95 without chroma subsampling (4:4:4), so a
// 75-pixel image keeps its edges and colours; optimised Huffman tables, JFIF header, no other
// marker. Throws ImageIOError on a size over the caps or pixels that do not fill it.
[[nodiscard]] std::vector<std::uint8_t> encodeJpegOnWhite(const RgbaImage& image);

}  // namespace image_io
