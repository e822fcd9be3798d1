#pragma once

#include <cstddef>
#include <set>
#include <vector>

#include "icon_geometry/pictogram.hpp"
#include "icon_geometry/vector.hpp"
#include "photo_analysis/trace_sink.hpp"
#include "raster/components.hpp"

// Recognises small printed symbols made of a few separate strokes (a sun, the
// arcs of a wifi sign) by comparing the skeleton of a group of small marks with
// the skeletons of the library's pictograms. With PICTO_DEBUG in the
// environment it traces one line per compared group to the sink.
namespace photo_analysis::PictogramMatcher {

struct Match {
    icon_geometry::Pictogram pictogram;
    std::set<std::size_t> members;
    icon_geometry::Vector2 center;  // of the group's box, in pixels
    double size = 0;                // its larger side, in pixels
    double distance = 0;            // 0 for identical skeletons
    friend bool operator==(const Match&, const Match&) = default;
};

// Skeleton grids are side × side, row-major.
inline constexpr int side = 48;
inline constexpr double acceptedDistance = 0.075;

// The groups of small marks that look like a sun or a wifi sign, in group order.
// `width` splits pixel indices into x and y; `height` is the working height.
std::vector<Match> match(const std::vector<Components::Component>& marks, const std::set<std::size_t>& excluded,
                         int width, double height, const TraceSink& trace = {});

// The thinned 48 × 48 raster of pixels around a centre, `size` pixels across.
std::vector<bool> rasterize(const std::vector<std::int64_t>& pixels, int width, icon_geometry::Vector2 center,
                            double size);
// The thinned 48 × 48 skeleton of a library pictogram.
std::vector<bool> pictogramSkeleton(icon_geometry::Pictogram pictogram);

// A match needs a distance below 0.075; +∞ and NaN never match.
inline bool accepts(double distance) {
    return distance < acceptedDistance;
}

// The larger of the two mean distances from each skeleton's cells to the
// other's, over the grid side; +∞ when either is empty.
double distance(const std::vector<bool>& a, const std::vector<bool>& b);

}  // namespace photo_analysis::PictogramMatcher
