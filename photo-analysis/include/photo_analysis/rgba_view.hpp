#pragma once

#include <cstdint>
#include <span>

#include "photo_analysis/photo.hpp"

namespace photo_analysis {

// Borrowed 8-bit RGBA pixels, rows of 4 × width bytes, top row first.
struct RgbaView {
    int width = 0;
    int height = 0;
    std::span<const std::uint8_t> pixels;
    bool premultiplied = true;

    static RgbaView of(const Photo& photo) { return {photo.width(), photo.height(), photo.pixels(), true}; }
};

}  // namespace photo_analysis
