#pragma once

// Small paths the geometry tests build again and again.

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/cubic.hpp"

namespace test_paths {

using icon_geometry::BezierPath;
using icon_geometry::PathSegment;
using icon_geometry::Subpath;
using icon_geometry::Vector2;

// A circle of four quarter cubics, starting at its rightmost point.
inline BezierPath circle(Vector2 c, double r) {
    const double k = icon_geometry::Cubic::circleKappa * r;
    return BezierPath{{Subpath{{c.x + r, c.y},
                               {PathSegment::cubic({c.x + r, c.y + k}, {c.x + k, c.y + r}, {c.x, c.y + r}),
                                PathSegment::cubic({c.x - k, c.y + r}, {c.x - r, c.y + k}, {c.x - r, c.y}),
                                PathSegment::cubic({c.x - r, c.y - k}, {c.x - k, c.y - r}, {c.x, c.y - r}),
                                PathSegment::cubic({c.x + k, c.y - r}, {c.x + r, c.y - k}, {c.x + r, c.y})},
                               true}}};
}

// Straight lines through the points.
inline BezierPath polyline(const std::vector<Vector2>& points, bool closed) {
    Subpath s{points.front(), {}, closed};
    for (std::size_t i = 1; i < points.size(); ++i) s.segments.push_back(PathSegment::line(points[i]));
    return BezierPath{{s}};
}

}  // namespace test_paths
