#pragma once

// Images made at test time and encoded as PNG by the project's own encoder.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>

#include "image_io/image.hpp"
#include "image_io/png_encoder.hpp"

namespace homey_project::testing {

struct Rgba {
    std::uint8_t r, g, b, a;
};

inline std::string asString(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

// Straight RGBA pixels, row-major.
inline std::string pngOf(int width, int height, const std::vector<Rgba>& pixels) {
    image_io::RgbaImage image;
    image.width = width;
    image.height = height;
    image.alpha = image_io::AlphaMode::straight;
    for (const Rgba& p : pixels) image.pixels.insert(image.pixels.end(), {p.r, p.g, p.b, p.a});
    return asString(image_io::encodePngRgba(image));
}

inline std::string uniformPng(int width, int height, Rgba colour) {
    return pngOf(width, height, std::vector<Rgba>(static_cast<std::size_t>(width) * height, colour));
}

// A baseline JPEG of one colour, as an image editor would save it.
inline std::string uniformJpeg(int width, int height, Rgba colour) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr error{};
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(width);
    cinfo.image_height = static_cast<JDIMENSION>(height);
    cinfo.input_components = 3;
    cinfo.in_color_space = JCS_RGB;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 90, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    std::vector<unsigned char> row;
    for (int x = 0; x < width; ++x) row.insert(row.end(), {colour.r, colour.g, colour.b});
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&cinfo, &pointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    std::string bytes(reinterpret_cast<const char*>(buffer), size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return bytes;
}

// A product-photo-like picture: a white border band, a shaded device body with
// a few round details, fine grain everywhere inside. Deterministic per seed.
inline std::string photoLikePng(int side, unsigned seed = 1) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(side) * side * 3, 255);
    std::uint32_t state = 2463534242u ^ (seed * 2654435761u);
    const auto noise = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return static_cast<int>(state % 9) - 4;
    };
    const double c = side / 2.0;
    const double body = side * 0.36;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const double dx = (x + 0.5 - c) / body;
            const double dy = (y + 0.5 - c) / body;
            if (std::pow(std::abs(dx), 4) + std::pow(std::abs(dy), 4) > 1) continue;
            double shade = 200 - 60 * (dx + dy) / 2 + 25 * std::sin(7 * dx + seed) * std::cos(5 * dy);
            for (int k = 0; k < 3; ++k) {
                const double kx = 0.45 * std::cos(k * 2.1 + seed);
                const double ky = 0.45 * std::sin(k * 2.1 + seed);
                if ((dx - kx) * (dx - kx) + (dy - ky) * (dy - ky) < 0.03) shade = 60 + 40 * k;
            }
            const std::size_t i = (static_cast<std::size_t>(y) * side + x) * 3;
            const int base = static_cast<int>(std::lround(shade));
            rgb[i] = static_cast<std::uint8_t>(std::clamp(base + noise(), 0, 255));
            rgb[i + 1] = static_cast<std::uint8_t>(std::clamp(base + 8 + noise(), 0, 255));
            rgb[i + 2] = static_cast<std::uint8_t>(std::clamp(base + 20 + noise(), 0, 255));
        }
    }
    return asString(image_io::encodePngRgb(side, side, rgb));
}

}  // namespace homey_project::testing
