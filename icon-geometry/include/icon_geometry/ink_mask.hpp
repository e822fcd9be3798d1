#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/vector.hpp"

namespace icon_geometry {

// A square raster of an icon's ink: side × side cells, row-major, row 0 at the
// top of the canvas.
struct InkMask {
    std::int64_t side = 0;
    std::vector<bool> ink;

    InkMask() = default;
    InkMask(std::int64_t side, std::vector<bool> ink) : side(side), ink(std::move(ink)) {}
    // Each path filled on its own by the even-odd rule, without antialiasing, the
    // canvas scaled onto side cells; a cell is inked when its pixel centre is
    // covered. A negative side, or one above maximumSide, gives the empty mask;
    // a canvas side that is not positive and finite gives a mask without ink.
    InkMask(const std::vector<BezierPath>& paths, std::int64_t side, double canvasSide = Canvas::side);

    static constexpr std::int64_t maximumSide = 8192;

    friend bool operator==(const InkMask&, const InkMask&) = default;
};

// The share of ink two masks have in common: cells inked in both over cells
// inked in either; 0 when the sides differ, 1 when neither has ink.
double inkOverlap(const InkMask& a, const InkMask& b);

namespace DistanceTransform {

// For every cell, the exact Euclidean distance in cells to the nearest true cell
// (about 1,000,000 when there is none), by lower envelopes of parabolas over
// columns and then rows. A grid that does not hold width × height cells, or has
// a negative dimension, gives the empty list.
std::vector<float> distances(const std::vector<bool>& grid, std::int64_t width, std::int64_t height);

}  // namespace DistanceTransform

// The measures behind the compliance checks: the thinnest stroke of an icon and
// which canvas edges its outline reaches.
namespace IconMetrics {

// The stroke width, in canvas units, that shows one pixel wide on a 50-pixel icon.
inline constexpr double readableStrokeWidth = 19.2;

// The local stroke width of every cell of a side × side mask: `cap` for ink
// within cap/2 of a cell that deep, else the widest ridge disc (2d − 1 for a
// ridge cell at distance d from the background) that covers the cell, else 0.
// Cells that do not number side × side give all zeros.
std::vector<float> strokeWidths(std::int64_t side, const std::vector<bool>& ink, float cap);

// The second percentile of the inked cells' stroke widths at 960 cells over the
// 960 canvas, capped at 120; absent when the icon inks no cell.
std::optional<double> thinnestStroke(const std::vector<BezierPath>& paths);

struct EdgeContact {
    bool left = false;
    bool top = false;
    bool right = false;
    bool bottom = false;
    friend constexpr bool operator==(EdgeContact, EdgeContact) = default;
};

// Which edges of the 960 canvas the united bounds of the outlines reach within
// the tolerance; none when nothing is drawn.
EdgeContact edgeContact(const std::vector<BezierPath>& paths, double tolerance);
// The outline reaches two opposite edges.
bool spansCanvas(const std::vector<BezierPath>& paths, double tolerance);

}  // namespace IconMetrics
}  // namespace icon_geometry
