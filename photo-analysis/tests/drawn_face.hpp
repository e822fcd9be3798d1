#pragma once

#include <cairo.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "photo_analysis/rgba_view.hpp"

namespace photo_analysis::testing {

// A face image drawn with cairo, as premultiplied RGBA bytes.
struct DrawnFace {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rgba;

    RgbaView view() const { return {width, height, rgba, true}; }
};

// Paints the face colour over the whole image, then lets `draw` add details in
// pixels (y down).
inline DrawnFace drawFace(int width, int height, const std::function<void(cairo_t*)>& draw, double grey = 0.93) {
    DrawnFace face{width, height, {}};
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, width, height), cairo_surface_destroy);
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface.get()), cairo_destroy);
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, grey, grey, grey - 0.01);
    cairo_paint(cr);
    draw(cr);
    cairo_surface_flush(surface.get());
    // cairo keeps premultiplied 0xAARRGGBB words; the view wants R, G, B, A bytes.
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    face.rgba.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (int y = 0; y < height; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < width; ++x) {
            const std::uint32_t p = row[x];
            face.rgba.insert(face.rgba.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                                               static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 24)});
        }
    }
    return face;
}

}  // namespace photo_analysis::testing
