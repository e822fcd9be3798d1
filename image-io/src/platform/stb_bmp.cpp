#include "platform/stb_bmp.hpp"

#include <climits>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_BMP
#define STBI_NO_STDIO
#define STBI_NO_LINEAR
#define STBI_NO_HDR
// No failure strings: stb would keep the last one in a global.
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS 65535
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#pragma GCC diagnostic ignored "-Wimplicit-fallthrough"
#endif
#include <stb/stb_image.h>
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

namespace image_io::detail {

std::uint8_t* stbDecodeBmp(const std::uint8_t* data, std::size_t size, int* width, int* height) {
    if (size > static_cast<std::size_t>(INT_MAX)) return nullptr;
    int channels = 0;
    return stbi_load_from_memory(data, static_cast<int>(size), width, height, &channels, 4);
}

void freeStbPixels(std::uint8_t* pixels) {
    stbi_image_free(pixels);
}

}  // namespace image_io::detail
