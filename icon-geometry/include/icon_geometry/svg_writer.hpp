#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/icon_drawing.hpp"

namespace icon_geometry {

// The one icon document the system writes: a 960 × 960 SVG with one black
// even-odd group and one path element per body, coordinates in tenths, only the
// commands M, L, C and Z. Equal paths give byte-identical text.
namespace SVGWriter {

// A point in tenths of a unit.
struct Tenths {
    std::int64_t x = 0;
    std::int64_t y = 0;
    friend constexpr bool operator==(Tenths, Tenths) = default;
};

// A coordinate in tenths: non-finite values become 0, magnitudes are clamped to
// a million units, halves round away from zero.
std::int64_t tenths(double value);
// "12.5", "12", "-0.5", "0".
std::string numberText(std::int64_t tenths);

std::string document(const std::vector<BezierPath>& paths);
// The document of a drawing's visible outlines, back to front.
std::string drawingDocument(const IconDrawing& drawing);
// The path data, or the empty string when no subpath survives rounding.
std::string pathData(const BezierPath& path);

}  // namespace SVGWriter
}  // namespace icon_geometry
