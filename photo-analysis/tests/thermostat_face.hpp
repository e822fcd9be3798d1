#pragma once

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "photo_analysis/rgba_view.hpp"
#include "photo_analysis/text_lines.hpp"

namespace photo_analysis::testing {

inline constexpr int faceWidth = 1080;
inline constexpr int faceHeight = 720;

struct Label {
    const char* text;
    double size;
    double x;
    double baseline;
};

// A thermostat face: labels, two round buttons, an indicator light and a band
// of ribs, drawn with cairo; the labels' ink boxes are the ground truth.
struct RenderedFace {
    std::vector<std::uint8_t> rgba;
    std::vector<TextLines::Rectangle> labels;
    std::vector<TextLines::Rectangle> details;

    RgbaView view() const { return {faceWidth, faceHeight, rgba, true}; }
};

inline RenderedFace renderFace(bool withText) {
    RenderedFace face;
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, faceWidth, faceHeight), cairo_surface_destroy);
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface.get()), cairo_destroy);
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, 0.93, 0.93, 0.92);
    cairo_paint(cr);

    cairo_set_source_rgb(cr, 0.25, 0.25, 0.27);
    cairo_set_line_width(cr, 6);
    for (const double x : {300.0, 780.0}) {
        cairo_new_path(cr);
        cairo_arc(cr, x, 470, 70, 0, 2 * M_PI);
        cairo_stroke(cr);
        face.details.push_back({x - 73, 397, 146, 146});
    }
    cairo_set_source_rgb(cr, 0.1, 0.75, 0.2);
    cairo_new_path(cr);
    cairo_arc(cr, 540, 470, 14, 0, 2 * M_PI);
    cairo_fill(cr);
    face.details.push_back({526, 456, 28, 28});
    cairo_set_source_rgb(cr, 0.55, 0.55, 0.56);
    for (int i = 0; i < 6; ++i) {
        cairo_rectangle(cr, 200, 600 + i * 16, 680, 7);
    }
    cairo_fill(cr);
    face.details.push_back({200, 600, 680, 87});

    if (withText) {
        cairo_set_source_rgb(cr, 0.12, 0.12, 0.14);
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        for (const Label& label :
             {Label{"THERMOSTAT", 44, 360, 130}, Label{"Salon 21", 36, 450, 230}, Label{"MODE", 30, 740, 360}}) {
            cairo_set_font_size(cr, label.size);
            cairo_text_extents_t extents;
            cairo_text_extents(cr, label.text, &extents);
            cairo_move_to(cr, label.x, label.baseline);
            cairo_show_text(cr, label.text);
            face.labels.push_back(
                {label.x + extents.x_bearing, label.baseline + extents.y_bearing, extents.width, extents.height});
        }
    }
    cairo_surface_flush(surface.get());

    // cairo keeps premultiplied 0xAARRGGBB words; the view wants R, G, B, A bytes.
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < faceHeight; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < faceWidth; ++x) {
            const std::uint32_t p = row[x];
            face.rgba.insert(face.rgba.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                                               static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 24)});
        }
    }
    return face;
}

}  // namespace photo_analysis::testing
