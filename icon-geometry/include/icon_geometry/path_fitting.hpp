#pragma once

#include <array>
#include <utility>
#include <vector>

#include "icon_geometry/bezier_path.hpp"

namespace icon_geometry {

// Redraws long chains of short pieces with few cubics within a tolerance, after
// Schneider's algorithm for fitting digitised curves. Corners turning by more
// than 25° stay sharp.
namespace PathFitting {

inline constexpr double cornerAngle = 0.4363323129985824;

using FittedCubic = std::array<Vector2, 4>;

BezierPath fit(const BezierPath& path, double tolerance);
Subpath fitSubpath(Vector2 start, const std::vector<PathSegment>& segments, bool isClosed, double tolerance);
// Unit tangents at the start and end of a segment that starts at `from`, both
// along the direction of travel.
std::pair<Vector2, Vector2> pieceTangents(Vector2 from, const PathSegment& segment);
// Fits the run of points, appending to the builder; tangentAtEnd points back into the run.
void fitCubic(const std::vector<Vector2>& points, PathBuilder& builder, int depth, Vector2 tangentAtStart,
              Vector2 tangentAtEnd, double tolerance);
std::vector<double> chordLengthParameters(const std::vector<Vector2>& points);
FittedCubic leastSquaresCubic(const std::vector<Vector2>& points, const std::vector<double>& parameters,
                              Vector2 tangentAtStart, Vector2 tangentAtEnd);
std::pair<double, std::size_t> maxError(const std::vector<Vector2>& points, const FittedCubic& cubic,
                                        const std::vector<double>& parameters);
std::vector<double> reparameterize(const std::vector<Vector2>& points, const std::vector<double>& parameters,
                                   const FittedCubic& cubic);
void emitCubic(const FittedCubic& cubic, PathBuilder& builder, double tolerance);

}  // namespace PathFitting
}  // namespace icon_geometry
