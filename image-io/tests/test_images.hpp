#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "image_io/image.hpp"
#include "support/writers.hpp"

namespace image_io::test {

using Bytes = std::vector<std::uint8_t>;

// A uniform straight RGBA image.
inline std::vector<std::uint8_t> filled(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                                        std::uint8_t a = 255) {
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {r, g, b, a});
    return pixels;
}

inline std::vector<std::uint8_t> rgbOf(const std::vector<std::uint8_t>& rgba) {
    std::vector<std::uint8_t> rgb;
    for (std::size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
    return rgb;
}

inline const std::uint8_t* pixelAt(const RgbaImage& image, int x, int y) {
    return &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
}

// Every channel of every pixel within the tolerance; the first difference reported.
inline ::testing::AssertionResult pixelsNear(const std::vector<std::uint8_t>& actual,
                                             const std::vector<std::uint8_t>& expected, int tolerance) {
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size();
    }
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (std::abs(int{actual[i]} - int{expected[i]}) > tolerance) {
            return ::testing::AssertionFailure() << "byte " << i << " (pixel " << i / 4 << ", channel " << i % 4
                                                 << "): " << int{actual[i]} << " instead of " << int{expected[i]};
        }
    }
    return ::testing::AssertionSuccess();
}

}  // namespace image_io::test
