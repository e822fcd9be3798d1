#pragma once

#include <cstdint>
#include <span>

#include "image_io/rgba_image.hpp"

// The orientation a file stores, and the image turned upright by it.
namespace image_io::detail {

// Turns an image as stored upright by the EXIF / TIFF orientation value (1–8; anything else
// leaves it as it is).
[[nodiscard]] RgbaImage orient(RgbaImage image, int orientation);

// The orientation in an EXIF block (TIFF header, with or without the "Exif\0\0" prefix); 1 when
// absent or unreadable.
[[nodiscard]] int exifOrientation(std::span<const std::uint8_t> exif);

}  // namespace image_io::detail
