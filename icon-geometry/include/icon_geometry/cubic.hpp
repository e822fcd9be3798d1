#pragma once

#include <array>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/vector.hpp"

namespace icon_geometry {

// Small exact operations on cubic Bézier curves.
namespace Cubic {

// Start, first control, second control, end.
using Curve = std::array<Vector2, 4>;

// Handle length, as a fraction of the radius, of the cubic for a quarter circle.
// One unit in the last place below 4(√2 − 1)/3 as a double; kept as written.
inline constexpr double circleKappa = 0.5522847498307935;

Vector2 point(Vector2 p0, Vector2 c1, Vector2 c2, Vector2 p1, double t);
Curve subcurve(Vector2 p0, Vector2 c1, Vector2 c2, Vector2 p1, double t0, double t1);
std::vector<Curve> split(Vector2 p0, Vector2 c1, Vector2 c2, Vector2 p1, long long count);
PathSegment fromQuadratic(Vector2 from, Vector2 control, Vector2 to);
double arcHandle(double sweepRadians);
// The SVG elliptical arc from `from` to `to`: no segment, one line, or one to four cubics.
std::vector<PathSegment> arcSegments(Vector2 from, Vector2 to, double rx, double ry, double xAxisRotationDegrees,
                                     bool largeArc, bool sweep);

}  // namespace Cubic
}  // namespace icon_geometry
