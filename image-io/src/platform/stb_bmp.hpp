#pragma once

#include <cstddef>
#include <cstdint>

// stb_image, compiled with its BMP decoder only.
namespace image_io::detail {

// RGBA pixels (straight alpha) that the caller frees with freeStbPixels, or nullptr.
[[nodiscard]] std::uint8_t* stbDecodeBmp(const std::uint8_t* data, std::size_t size, int* width, int* height);
void freeStbPixels(std::uint8_t* pixels);

}  // namespace image_io::detail
