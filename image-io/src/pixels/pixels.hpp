#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image_io/rgba_image.hpp"

// Pixel buffers shared by the format decoders and the encoder.
namespace image_io::detail {

// Refuses a size above the caps (or not positive) before any pixel buffer is made.
void checkImageSize(std::int64_t width, std::int64_t height);

// Byte count of a width × height RGBA buffer whose size passed checkImageSize.
[[nodiscard]] std::size_t rgbaBytes(int width, int height);

// Makes `pixels` hold `rows` rows of `stride` bytes, growing towards `totalRows` as rows are
// decoded: a header that claims a huge image over a few bytes of data fails on its first missing
// row having cost memory for the rows it really held, not for the size it claimed.
void growForRows(std::vector<std::uint8_t>& pixels, std::size_t stride, std::size_t rows, std::size_t totalRows);

}  // namespace image_io::detail
