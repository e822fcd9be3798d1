#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "image_io/image.hpp"

// Pixel helpers shared by the format decoders.
namespace image_io::detail {

// Refuses a size above the caps (or not positive) before any pixel buffer is made.
void checkImageSize(std::int64_t width, std::int64_t height);

// Byte count of a width × height RGBA buffer whose size passed checkImageSize.
[[nodiscard]] std::size_t rgbaBytes(int width, int height);

// Makes `pixels` hold `rows` rows of `stride` bytes, growing towards `totalRows` as rows are
// decoded: a header that claims a huge image over a few bytes of data fails on its first missing
// row having cost memory for the rows it really held, not for the size it claimed.
void growForRows(std::vector<std::uint8_t>& pixels, std::size_t stride, std::size_t rows, std::size_t totalRows);

// Channel × alpha / 255, rounded half away from zero (an exact half never occurs with 255).
[[nodiscard]] inline std::uint8_t premultiplyChannel(std::uint8_t channel, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((channel * alpha + 127) / 255);
}

// Converts RGBA rows in place between straight and premultiplied alpha.
void premultiply(std::span<std::uint8_t> rgba);
void unpremultiply(std::span<std::uint8_t> rgba);
void convertAlpha(RgbaImage& image, AlphaMode wanted);

// Turns an image as stored upright by the EXIF / TIFF orientation value (1–8; anything else
// leaves it as it is).
[[nodiscard]] RgbaImage orient(RgbaImage image, int orientation);

// The orientation in an EXIF block (TIFF header, with or without the "Exif\0\0" prefix); 1 when
// absent or unreadable.
[[nodiscard]] int exifOrientation(std::span<const std::uint8_t> exif);

}  // namespace image_io::detail
