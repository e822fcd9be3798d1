#pragma once

#include <cstdint>
#include <vector>

namespace photo_analysis {

// An opaque 8-bit RGB image: width × height × 3 bytes, row-major, row 0 at the top.
struct RgbImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgb;

    friend bool operator==(const RgbImage&, const RgbImage&) = default;
};

}  // namespace photo_analysis
