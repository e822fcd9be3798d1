#pragma once

#include <cstdint>
#include <span>
#include <vector>

// How much larger than its image a coded picture or a grid tile may be: the padding to whole
// coding blocks.
inline constexpr std::int64_t codingPadding = 64;

// What a HEVC pixel costs to decode against the cheapest formats, so that a file may claim that
// many times fewer: decoded three times (twice to check the coded data), each several times
// slower than a PNG pixel.
inline constexpr int heifPixelCost = 8;

// The item structure of a HEIF file, read by this library before libheif decodes anything: the
// sizes libheif would decode at (a grid's canvas, each coded stream's own picture size) and the
// transforms of the primary image.
namespace image_io::detail {

// A transform of the primary image, in the order the file lists it.
struct HeifTransform {
    enum class Kind { rotation, mirror, crop };
    Kind kind = Kind::rotation;
    int quarterTurns = 0;        // rotation: anticlockwise
    bool topToBottom = false;    // mirror: about the horizontal axis (rows reversed)
    std::int64_t cropWidth = 0;  // crop: the clean aperture, rounded as libheif rounds it
    std::int64_t cropHeight = 0;
    std::int64_t cropLeft = 0;
    std::int64_t cropTop = 0;
};

// One HEVC-coded image (the primary one, or a tile of its grid): its parameter sets and its
// coded data, as NAL units.
struct HevcImage {
    std::vector<std::vector<std::uint8_t>> units;
};

struct HeifLayout {
    std::int64_t width = 0;  // the primary image as stored: the size it is decoded at
    std::int64_t height = 0;
    std::vector<HeifTransform> transforms;
    std::vector<HevcImage> codedImages;
};

// Reads the boxes and refuses, with ImageIOError, a file libheif would decode at another size
// than it declares: the primary image must be one coded HEVC image or a grid of them; the grid's
// canvas must be the declared size and its tiles must cover it without reaching past a tile; every
// coded stream's pictures must fit the size its item declares. AVIF is refused by its brand, and
// a declared size the file is too small to hold (at heifPixelCost) before any other check.
[[nodiscard]] HeifLayout readHeifLayout(std::span<const std::uint8_t> bytes);

}  // namespace image_io::detail
