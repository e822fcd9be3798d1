#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <vector>

#include "image_io/image.hpp"

// Image files written at test time.
namespace test_photo {

// The pixels to store so that a reader applying the EXIF orientation (1…8)
// shows `upright`.
image_io::RgbaImage storedForOrientation(const image_io::RgbaImage& upright, int orientation);

// PNG bytes, with an eXIf chunk holding the orientation when it is 1…8.
std::vector<std::uint8_t> encodePng(const image_io::RgbaImage& image, int orientation = 0);
// JPEG bytes of the image over white, with an EXIF orientation when it is 1…8.
std::vector<std::uint8_t> encodeJpeg(const image_io::RgbaImage& image, int quality = 80, int orientation = 0);
// HEIC bytes when libheif has an encoder here; nothing otherwise.
std::optional<std::vector<std::uint8_t>> encodeHeic(const image_io::RgbaImage& image);

image_io::RgbaImage rgbaImage(int width, int height, std::vector<std::uint8_t> premultiplied);
void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes);

}  // namespace test_photo
