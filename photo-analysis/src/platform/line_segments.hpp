#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "icon_geometry/vector.hpp"
#include "photo_analysis/photo.hpp"

// Straight edges in a region of a photo: the line-segment detector of the
// image library, and the resampling it runs after.
namespace photo_analysis::platform {

struct LineSegment {
    icon_geometry::Vector2 a;
    icon_geometry::Vector2 b;
    double length() const { return a.distance(b); }
};

// Whole photo pixels [x0, x1) × [y0, y1).
struct PixelBox {
    int x0 = 0;
    int y0 = 0;
    int x1 = 0;
    int y1 = 0;
};

// A region of a photo at a working size, in working pixels (x right, y down):
// its grey (the colour over white), the subject's inside, and the straight
// segments of each.
struct RegionEdges {
    double scale = 1;  // working pixels per photo pixel
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> grey;    // width × height
    std::vector<std::uint8_t> inside;  // width × height: 255 inside, 0 outside, between on the resampled edge
    std::vector<LineSegment> greyEdges;
    std::vector<LineSegment> insideEdges;
    // The grey's straight edges down to a faint contrast (a few grey levels),
    // which the plain ones pass over; on a magnified region, those found at the
    // photo's own resolution too.
    std::vector<LineSegment> faintGreyEdges;
    // The outer outline of the subject's largest piece, one point a working
    // pixel along it, in order round it; empty when nothing is inside.
    std::vector<icon_geometry::Vector2> outline;
};

// The region resampled so that its longer side is `workingSide` (magnified at
// most twice). `coverage` holds the photo's width × height subject coverage,
// inside at `insideThreshold` or more. The region must lie within the photo and
// the coverage match it.
RegionEdges regionEdges(const Photo& photo, std::span<const std::uint8_t> coverage, std::uint8_t insideThreshold,
                        PixelBox region, double workingSide);

}  // namespace photo_analysis::platform
