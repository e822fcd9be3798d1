#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "image_io/rgba_image.hpp"

// Pixel buffers shared by the format decoders and the encoder.
namespace image_io::detail {

// Refuses a size above the caps (or not positive) before any pixel buffer is made.
void checkImageSize(std::int64_t width, std::int64_t height);

// Refuses `pixels` decoded from `dataBytes` bytes of a file when no real image holds that many a
// byte: any image may have up to 16 Mpx; beyond them a byte backs at most 400 pixels. Camera
// photos (JPEG, HEIC) hold under 20 pixels a byte and PNG screenshots and scans under 100, so
// only a decompression bomb is refused, before its pixels cost seconds and gigabytes; a file
// under 64 KB can claim at most 42 Mpx. `declared` goes with the refusal.
void checkBacked(std::int64_t pixels, std::uint64_t dataBytes, ImageSize declared);

// Byte count of a width × height RGBA buffer whose size passed checkImageSize.
[[nodiscard]] std::size_t rgbaBytes(int width, int height);

// Makes `pixels` hold `rows` rows of `stride` bytes, growing towards `totalRows` as rows are
// decoded: a header that claims a huge image over a few bytes of data fails on its first missing
// row having cost memory for the rows it really held, not for the size it claimed.
void growForRows(std::vector<std::uint8_t>& pixels, std::size_t stride, std::size_t rows, std::size_t totalRows);

}  // namespace image_io::detail
