#include "icon_geometry/path_fitting.hpp"

#include <algorithm>
#include <cmath>

#include "icon_geometry/cubic.hpp"

namespace icon_geometry::PathFitting {
namespace {

constexpr double pointEpsilon = 1e-9;
constexpr int samplesPerCubic = 12;
constexpr int reparameterisationRounds = 4;
constexpr int deepestSplittingDepth = 23;

struct Piece {
    Vector2 from;
    PathSegment segment;
};

bool isDegenerate(const Piece& piece) {
    const Vector2 end = piece.segment.end();
    if (piece.from.distance(end) > pointEpsilon) return false;
    if (const auto* c = piece.segment.asCubic()) {
        return piece.from.distance(c->control1) <= pointEpsilon && piece.from.distance(c->control2) <= pointEpsilon;
    }
    return true;
}

// The joint is a corner when the turn exceeds the corner angle; a NaN product
// counts as straight, a zero tangent as a corner.
bool isCorner(Vector2 endTangentBefore, Vector2 startTangent) {
    double d = endTangentBefore.dot(startTangent);
    if (std::isnan(d)) d = 1;
    d = std::clamp(d, -1.0, 1.0);
    return std::acos(d) > cornerAngle;
}

Vector2 bezierPoint(const FittedCubic& c, double u) {
    return Cubic::point(c[0], c[1], c[2], c[3], u);
}

}  // namespace

std::pair<Vector2, Vector2> pieceTangents(Vector2 from, const PathSegment& segment) {
    if (const auto* line = segment.asLine()) {
        const Vector2 direction = (line->to - from).normalized();
        return {direction, direction};
    }
    const auto& c = *segment.asCubic();
    const Vector2 startTarget = from.distance(c.control1) <= pointEpsilon ? c.control2 : c.control1;
    const Vector2 endSource = c.control2.distance(c.to) <= pointEpsilon ? c.control1 : c.control2;
    return {(startTarget - from).normalized(), (c.to - endSource).normalized()};
}

BezierPath fit(const BezierPath& path, double tolerance) {
    BezierPath result;
    for (const Subpath& subpath : path.subpaths) {
        if (subpath.segments.empty()) continue;
        result.subpaths.push_back(fitSubpath(subpath.start, subpath.segments, subpath.isClosed, tolerance));
    }
    return result;
}

Subpath fitSubpath(Vector2 start, const std::vector<PathSegment>& segments, bool isClosed, double tolerance) {
    const Subpath unchanged{start, segments, isClosed};

    std::vector<Piece> all;
    all.reserve(segments.size() + 1);
    Vector2 from = start;
    for (const PathSegment& segment : segments) {
        all.push_back({from, segment});
        from = segment.end();
    }
    if (isClosed && !segments.empty() && segments.back().end().distance(start) > pointEpsilon) {
        all.push_back({segments.back().end(), PathSegment::line(start)});
    }
    std::vector<Piece> pieces;
    pieces.reserve(all.size());
    for (const Piece& piece : all)
        if (!isDegenerate(piece)) pieces.push_back(piece);
    if (pieces.size() < 2) return unchanged;

    const std::size_t n = pieces.size();
    std::vector<std::pair<Vector2, Vector2>> tangents;
    tangents.reserve(n);
    for (const Piece& piece : pieces) tangents.push_back(pieceTangents(piece.from, piece.segment));

    std::vector<bool> corner(n);
    for (std::size_t i = 0; i < n; ++i) {
        if (i == 0 && !isClosed) {
            corner[i] = true;
        } else {
            const std::size_t previous = i == 0 ? n - 1 : i - 1;
            corner[i] = isCorner(tangents[previous].second, tangents[i].first);
        }
    }
    const auto firstCorner = std::find(corner.begin(), corner.end(), true);
    const bool smoothLoop = firstCorner == corner.end();
    const std::size_t c = smoothLoop ? 0 : static_cast<std::size_t>(firstCorner - corner.begin());

    std::vector<std::vector<Vector2>> runs;
    std::vector<Vector2> run;
    for (std::size_t k = 0; k < n; ++k) {
        const std::size_t i = (c + k) % n;
        const Piece& piece = pieces[i];
        if (corner[i] && !run.empty()) {
            runs.push_back(std::move(run));
            run.clear();
        }
        if (run.empty()) run.push_back(piece.from);
        if (const auto* cubic = piece.segment.asCubic()) {
            for (int s = 1; s <= samplesPerCubic; ++s) {
                const double t = static_cast<double>(s) / samplesPerCubic;
                run.push_back(Cubic::point(piece.from, cubic->control1, cubic->control2, cubic->to, t));
            }
        } else {
            run.push_back(piece.segment.end());
        }
    }
    if (!run.empty()) runs.push_back(std::move(run));

    PathBuilder builder;
    builder.moveTo(runs.front().front());
    for (const auto& rawRun : runs) {
        std::vector<Vector2> points;
        points.reserve(rawRun.size());
        for (const Vector2& p : rawRun)
            if (points.empty() || p.distance(points.back()) > pointEpsilon) points.push_back(p);
        if (points.size() <= 1) continue;
        const std::size_t m = points.size();
        Vector2 tangentAtStart;
        Vector2 tangentAtEnd;
        if (smoothLoop) {
            tangentAtStart = (points[1] - points[m - 2]).normalized();
            tangentAtEnd = (points[m - 2] - points[1]).normalized();
        } else {
            tangentAtStart = (points[1] - points[0]).normalized();
            tangentAtEnd = (points[m - 2] - points[m - 1]).normalized();
        }
        fitCubic(points, builder, 0, tangentAtStart, tangentAtEnd, tolerance);
    }
    if (isClosed) builder.closeSubpath();
    const BezierPath fitted = builder.finish();
    if (fitted.subpaths.empty()) return unchanged;
    return fitted.subpaths.front();
}

void fitCubic(const std::vector<Vector2>& points, PathBuilder& builder, int depth, Vector2 tangentAtStart,
              Vector2 tangentAtEnd, double tolerance) {
    const std::size_t n = points.size();
    if (n < 2) return;
    if (n == 2) {
        builder.lineTo(points[1]);
        return;
    }
    std::vector<double> u = chordLengthParameters(points);
    FittedCubic cubic = leastSquaresCubic(points, u, tangentAtStart, tangentAtEnd);
    auto [error, splitIndex] = maxError(points, cubic, u);
    if (error < tolerance) {
        emitCubic(cubic, builder, tolerance);
        return;
    }
    if (error < 4 * tolerance) {
        for (int round = 0; round < reparameterisationRounds; ++round) {
            u = reparameterize(points, u, cubic);
            cubic = leastSquaresCubic(points, u, tangentAtStart, tangentAtEnd);
            std::tie(error, splitIndex) = maxError(points, cubic, u);
            if (error < tolerance) {
                emitCubic(cubic, builder, tolerance);
                return;
            }
        }
    }
    if (depth > deepestSplittingDepth) {
        emitCubic(cubic, builder, tolerance);
        return;
    }
    const std::size_t k = std::min(n - 2, std::max<std::size_t>(splitIndex, 1));
    const Vector2 tangentAtSplit = (points[k - 1] - points[k + 1]).normalized();
    const std::vector<Vector2> first(points.begin(), points.begin() + static_cast<std::ptrdiff_t>(k) + 1);
    const std::vector<Vector2> second(points.begin() + static_cast<std::ptrdiff_t>(k), points.end());
    fitCubic(first, builder, depth + 1, tangentAtStart, tangentAtSplit, tolerance);
    fitCubic(second, builder, depth + 1, -tangentAtSplit, tangentAtEnd, tolerance);
}

std::vector<double> chordLengthParameters(const std::vector<Vector2>& points) {
    std::vector<double> u(points.size(), 0.0);
    for (std::size_t i = 1; i < points.size(); ++i) u[i] = u[i - 1] + (points[i] - points[i - 1]).length();
    if (!u.empty() && u.back() > 0) {
        const double total = u.back();
        for (double& value : u) value = value / total;
    }
    return u;
}

FittedCubic leastSquaresCubic(const std::vector<Vector2>& points, const std::vector<double>& parameters,
                              Vector2 tangentAtStart, Vector2 tangentAtEnd) {
    const Vector2 first = points.front();
    const Vector2 last = points.back();
    double c11 = 0, c12 = 0, c22 = 0, x1 = 0, x2 = 0;
    const std::size_t count = std::min(points.size(), parameters.size());
    for (std::size_t i = 0; i < count; ++i) {
        const double u = parameters[i];
        const double w = 1 - u;
        const double b0 = w * w * w;
        const double b1 = 3 * u * w * w;
        const double b2 = 3 * u * u * w;
        const double b3 = u * u * u;
        const Vector2 a1 = tangentAtStart * b1;
        const Vector2 a2 = tangentAtEnd * b2;
        const Vector2 r = points[i] - (first * (b0 + b1) + last * (b2 + b3));
        c11 += a1.dot(a1);
        c12 += a1.dot(a2);
        c22 += a2.dot(a2);
        x1 += a1.dot(r);
        x2 += a2.dot(r);
    }
    const double det = c11 * c22 - c12 * c12;
    double alpha1 = 0;
    double alpha2 = 0;
    if (det != 0) {
        alpha1 = (x1 * c22 - x2 * c12) / det;
        alpha2 = (c11 * x2 - c12 * x1) / det;
    }
    const double chord = (last - first).length();
    // The smaller handle, a NaN ignored in favour of the other.
    if (std::fmin(alpha1, alpha2) < 1e-6 * chord) {
        alpha1 = chord / 3;
        alpha2 = chord / 3;
    }
    return {first, first + tangentAtStart * alpha1, last + tangentAtEnd * alpha2, last};
}

std::pair<double, std::size_t> maxError(const std::vector<Vector2>& points, const FittedCubic& cubic,
                                        const std::vector<double>& parameters) {
    const std::size_t n = points.size();
    if (n == 2) return {0, 1};
    double largest = 0;
    std::size_t index = n / 2;
    for (std::size_t i = 1; i + 1 < n && i < parameters.size(); ++i) {
        const double d = points[i].distance(bezierPoint(cubic, parameters[i]));
        if (d > largest) {
            largest = d;
            index = i;
        }
    }
    return {largest, index};
}

std::vector<double> reparameterize(const std::vector<Vector2>& points, const std::vector<double>& parameters,
                                   const FittedCubic& cubic) {
    const std::array<Vector2, 3> d1{(cubic[1] - cubic[0]) * 3, (cubic[2] - cubic[1]) * 3, (cubic[3] - cubic[2]) * 3};
    const std::array<Vector2, 2> d2{(d1[1] - d1[0]) * 2, (d1[2] - d1[1]) * 2};
    const std::size_t count = std::min(points.size(), parameters.size());
    std::vector<double> result;
    result.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        const double u = parameters[i];
        const double w = 1 - u;
        const Vector2 q = bezierPoint(cubic, u);
        const Vector2 q1 = d1[0] * (w * w) + d1[1] * (2 * u * w) + d1[2] * (u * u);
        const Vector2 q2 = d2[0] * w + d2[1] * u;
        const Vector2 offset = q - points[i];
        const double numerator = offset.dot(q1);
        const double denominator = q1.dot(q1) + offset.dot(q2);
        if (denominator == 0) {
            result.push_back(u);
            continue;
        }
        double next = u - numerator / denominator;
        if (next <= 0)
            next = 0;
        else if (next > 1)
            next = 1;
        result.push_back(next);
    }
    return result;
}

void emitCubic(const FittedCubic& cubic, PathBuilder& builder, double tolerance) {
    const auto& [p0, c1, c2, p3] = cubic;
    const Vector2 chord = p3 - p0;
    const double length = chord.length();
    if (length == 0) {
        builder.curveTo(p3, c1, c2);
        return;
    }
    const double margin = tolerance * 0.25;
    const bool straight = std::fabs(chord.cross(c1 - p0)) / length < margin &&
                          std::fabs(chord.cross(c2 - p0)) / length < margin && chord.dot(c1 - p0) >= 0 &&
                          chord.dot(c2 - p3) <= 0;
    if (straight)
        builder.lineTo(p3);
    else
        builder.curveTo(p3, c1, c2);
}

}  // namespace icon_geometry::PathFitting
