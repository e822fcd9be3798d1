#pragma once

#include <cstddef>
#include <optional>
#include <set>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/vector.hpp"
#include "raster/components.hpp"
#include "raster/lab.hpp"

// Two shapes that mark-by-mark classification cannot see: bands of evenly
// repeated stripes, and buttons seen only by two facing edges. Both work in the
// pixels of the working face image.
namespace photo_analysis {

// A half-open range of pixel rows or columns.
struct PixelRange {
    int lower = 0;
    int upper = 0;
    friend constexpr bool operator==(PixelRange, PixelRange) = default;
};

namespace Ribs {

struct Band {
    PixelRange rows;
    PixelRange columns;
    // Evenly spaced straight lines across the band, in pixels.
    std::vector<icon_geometry::BezierPath> lines;
};

// The longest band of oscillating lightness: with `across` the stripes run along
// x and repeat down the image, otherwise they run along y. `scale` is the length
// the band's limits are fractions of (the working height).
std::optional<Band> find(const std::vector<Lab>& pixels, const std::vector<bool>& mask, int width, int height,
                         bool across, double scale);

}  // namespace Ribs

namespace FeatureDetection::ButtonEdges {

// Two facing bars, marks `first` < `second`, read as one button.
struct Pair {
    std::size_t first = 0;
    std::size_t second = 0;
    icon_geometry::Vector2 center;
    icon_geometry::Vector2 size;
    friend bool operator==(const Pair&, const Pair&) = default;
};

// Pairs of parallel bars of similar length facing each other, each bar with its
// nearest later partner, in the order of the first bar. `smallestMark` is the
// smallest mark size in pixels.
std::vector<Pair> pairs(const std::vector<Components::Component>& marks, const std::set<std::size_t>& excluded,
                        double smallestMark, double scale);

}  // namespace FeatureDetection::ButtonEdges
}  // namespace photo_analysis
