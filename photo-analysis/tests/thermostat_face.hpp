#pragma once

#include <cairo.h>

#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "detection/text_lines.hpp"
#include "drawn_face.hpp"
#include "photo_analysis/rgba_view.hpp"

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
    face.rgba = drawFace(faceWidth, faceHeight, [&](cairo_t* cr) {
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

                    if (!withText) return;
                    cairo_set_source_rgb(cr, 0.12, 0.12, 0.14);
                    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
                    for (const Label& label : {Label{"THERMOSTAT", 44, 360, 130}, Label{"Salon 21", 36, 450, 230},
                                               Label{"MODE", 30, 740, 360}}) {
                        cairo_set_font_size(cr, label.size);
                        cairo_text_extents_t extents;
                        cairo_text_extents(cr, label.text, &extents);
                        cairo_move_to(cr, label.x, label.baseline);
                        cairo_show_text(cr, label.text);
                        face.labels.push_back({label.x + extents.x_bearing, label.baseline + extents.y_bearing,
                                               extents.width, extents.height});
                    }
                }).rgba;
    return face;
}

}  // namespace photo_analysis::testing
