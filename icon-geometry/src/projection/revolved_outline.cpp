#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

#include "icon_geometry/convex_hull.hpp"
#include "icon_geometry/cubic.hpp"
#include "projection/revolved_frame.hpp"
#include "projection/working_frame.hpp"

namespace icon_geometry::Silhouette {
namespace {

using std::numbers::pi;
constexpr double onAxis = 1e-6;
constexpr double broadAngle = 2.199114857512855;  // 0.7π
constexpr int traceSamples = 16;                  // 17 samples, t = k/16
constexpr int fallbackCircles = 12;               // 13 circles, t = j/12
constexpr int hullPoints = 48;
constexpr int bandStride = 4;
// Projected outlines are a fraction of a unit across: the union is carried out
// magnified, in the working frame.
// Pieces flattened apart meet along shared curves a little off each other, and
// their union keeps hairline notches and slivers there. Anything narrower than
// this, in working units, is no shape of the body: no stroke can show it.
constexpr double seamWidth = 1;

Vector2 derivative(Vector2 p0, Vector2 p1, Vector2 p2, Vector2 p3, double t) {
    const double u = 1 - t;
    return (p1 - p0) * (3 * u * u) + (p2 - p1) * (6 * t * u) + (p3 - p2) * (3 * t * t);
}

bool drawsSomething(const BezierPath& path) {
    return !path.isEmpty();
}

// All the pieces in one path: their winding fill is their union.
BezierPath joined(const std::vector<BezierPath>& pieces) {
    BezierPath all;
    for (const BezierPath& piece : pieces)
        all.subpaths.insert(all.subpaths.end(), piece.subpaths.begin(), piece.subpaths.end());
    return all;
}

// The working frame of the pieces' union; nothing when the pieces have no
// finite extent.
std::optional<WorkingFrame> workingFrame(const std::vector<BezierPath>& pieces) {
    Rect extent = Rect::null();
    for (const BezierPath& piece : pieces) extent = extent.united(piece.bounds());
    return icon_geometry::workingFrame(extent);
}

// The winding-rule union of the pieces, in the frame's working coordinates.
Region unitedInFrame(const std::vector<BezierPath>& pieces, const AffineTransform& in) {
    std::vector<Region> regions;
    regions.reserve(pieces.size());
    for (const BezierPath& piece : pieces) regions.push_back(Region::filled(piece.applying(in), FillRule::winding));
    const Region united = Region::unionOf(regions);
    return united.failed() ? united : united.withoutSlivers(seamWidth);
}

// The winding-rule union of the pieces; when the region operations fail, the
// pieces as they are, which fill the same region.
BezierPath unionOfPieces(const std::vector<BezierPath>& pieces) {
    const std::optional<WorkingFrame> frame = workingFrame(pieces);
    if (!frame) {
        std::vector<Region> regions;
        for (const BezierPath& piece : pieces) regions.push_back(Region::filled(piece, FillRule::winding));
        const Region united = Region::unionOf(regions);
        return united.failed() ? joined(pieces) : united.outline();
    }
    const Region united = unitedInFrame(pieces, frame->in);
    if (united.failed()) return joined(pieces);
    return united.outline().applying(frame->out);
}

// The pieces of the outline: a frustum outline for each straight piece of the
// profile, the traced band, caps and end zones of each curved one.
std::vector<BezierPath> outlinePieces(const PlacedRevolvedBody& placed) {
    const double azimuth = eyeAzimuth(placed);
    std::vector<BezierPath> parts;
    for (const Piece& piece : profilePieces(placed.body.profile)) {
        if (const auto* c = piece.segment.asCubic()) {
            for (BezierPath& path : trace(piece.start, c->control1, c->control2, c->to, azimuth, placed))
                parts.push_back(std::move(path));
            continue;
        }
        const Vector2 a = piece.start;
        const Vector2 b = piece.segment.end();
        BezierPath outline = outlineBetween({projectedCircle(placed, a.x, a.y), projectedCircle(placed, b.x, b.y)});
        if (!drawsSomething(outline)) outline = projectedCircle(placed, std::max(a.x, b.x), a.y);
        parts.push_back(std::move(outline));
    }
    return parts;
}

}  // namespace

std::vector<Piece> profilePieces(const BezierPath& profile) {
    const auto it = std::find_if(profile.subpaths.begin(), profile.subpaths.end(),
                                 [](const Subpath& s) { return !s.segments.empty(); });
    if (it == profile.subpaths.end()) return {};
    std::vector<Piece> pieces;
    pieces.reserve(it->segments.size() + 2);
    Vector2 current = it->start;
    if (current.x > onAxis) pieces.push_back({{0, current.y}, PathSegment::line(current)});
    for (const PathSegment& segment : it->segments) {
        pieces.push_back({current, segment});
        current = segment.end();
    }
    if (current.x > onAxis) pieces.push_back({current, PathSegment::line({0, current.y})});
    return pieces;
}

std::vector<Vector3> boundingCorners(const PlacedRevolvedBody& placed) {
    const std::vector<Piece> pieces = profilePieces(placed.body.profile);
    double radius = 0, low = 0, high = 0;
    bool first = true;
    const auto take = [&](Vector2 p) {
        if (first) {
            radius = p.x;
            low = high = p.y;
            first = false;
        } else {
            radius = std::max(radius, p.x);
            low = std::min(low, p.y);
            high = std::max(high, p.y);
        }
    };
    for (const Piece& piece : pieces) {
        take(piece.start);
        if (const auto* c = piece.segment.asCubic()) {
            take(c->control1);
            take(c->control2);
        }
        take(piece.segment.end());
    }
    std::vector<Vector3> corners;
    corners.reserve(8);
    for (const double h : {low, high}) {
        for (const auto& [a, b] :
             {std::pair{-radius, -radius}, {-radius, radius}, {radius, -radius}, {radius, radius}}) {
            corners.push_back(placed.pose.apply(placed.body.axis.frame(a, b, h)));
        }
    }
    return corners;
}

double depthKey(const PlacedRevolvedBody& placed) {
    const std::vector<Piece> pieces = profilePieces(placed.body.profile);
    double middle = 0;
    if (!pieces.empty()) {
        double low = pieces.front().start.y, high = low;
        for (const Piece& piece : pieces) {
            for (const double y : {piece.start.y, piece.segment.end().y}) {
                low = std::min(low, y);
                high = std::max(high, y);
            }
        }
        middle = (low + high) / 2;
    }
    const Vector3 p = placed.pose.apply(placed.body.axis.frame(0, 0, middle));
    const PerspectiveProjection& pr = placed.projection;
    const double dz = p.z + pr.distance * pr.cosYaw;
    const double dx = p.x + pr.distance * pr.sinYaw;
    const double dy = p.y + pr.lensShift;
    return std::sqrt(dz * dz + dx * dx + dy * dy);
}

double eyeAzimuth(const PlacedRevolvedBody& placed) {
    const BodyEye eye = bodyEye(placed);
    return std::atan2(eye.ev, eye.eu);
}

double visibleHalfAngle(double r, double h, double tx, double ty, const PlacedRevolvedBody& placed) {
    const BodyEye eye = bodyEye(placed);
    const double q = r * ty + tx * (eye.ea - h);
    const double across = ty * eye.er;
    if (across <= 1e-12) return q < 0 ? pi : 0;
    const double c = q / across;
    if (c >= 1) return 0;
    if (c <= -1) return pi;
    return std::acos(c);
}

Region revolvedOutlineRegion(const PlacedRevolvedBody& placed) {
    const std::vector<BezierPath> parts = outlinePieces(placed);
    const std::optional<WorkingFrame> frame = workingFrame(parts);
    if (!frame) return {};
    const Region united = unitedInFrame(parts, frame->in);
    return united.failed() ? Region{} : united;
}

BezierPath revolvedOutline(const PlacedRevolvedBody& placed) {
    const std::vector<BezierPath> parts = outlinePieces(placed);
    if (parts.empty()) return {};
    const BezierPath merged = unionOfPieces(parts);
    const double size = std::fmax(merged.bounds().width, merged.bounds().height);
    // The union comes back already refitted to lines and cubics, well within
    // 0.0006 of the outline's size. Fitting it once more with the plain fitter
    // would only add error: where a long straight side meets a rim tangentially,
    // the fitter sees no sample along the side and lets the cubic bulge far out.
    return merged.droppingSmallSubpaths(0.01 * size);
}

std::vector<BezierPath> trace(Vector2 p0, Vector2 p1, Vector2 p2, Vector2 p3, double azimuth,
                              const PlacedRevolvedBody& placed) {
    struct TraceSample {
        double x, y, alpha;
    };
    enum class Kind { proper, hidden, broad };
    std::vector<TraceSample> samples;
    std::vector<Kind> kinds;
    for (int k = 0; k <= traceSamples; ++k) {
        const double t = static_cast<double>(k) / traceSamples;
        const Vector2 b = Cubic::point(p0, p1, p2, p3, t);
        Vector2 d = derivative(p0, p1, p2, p3, t);
        if (d.length() <= 1e-12) d = p3 - p0;
        const double squared = d.x * d.x + d.y * d.y;
        const double length = std::sqrt(squared);
        const Vector2 tangent = squared == 0 ? Vector2{0, 0} : Vector2{d.x / length, d.y / length};
        const double alpha = visibleHalfAngle(b.x, b.y, tangent.x, tangent.y, placed);
        samples.push_back({b.x, b.y, alpha});
        kinds.push_back(alpha <= 1e-6 ? Kind::hidden : alpha >= broadAngle ? Kind::broad : Kind::proper);
    }

    // The regular case: one unbroken run of proper samples, with only hidden or
    // only broad samples on each side of it.
    const auto firstProper = std::find(kinds.begin(), kinds.end(), Kind::proper);
    bool regular = firstProper != kinds.end();
    int f = 0, l = 0;
    if (regular) {
        f = static_cast<int>(firstProper - kinds.begin());
        l = f;
        while (l + 1 <= traceSamples && kinds[static_cast<std::size_t>(l + 1)] == Kind::proper) ++l;
        const auto uniform = [&](int from, int to) {  // [from, to)
            if (from >= to) return true;
            const Kind first = kinds[static_cast<std::size_t>(from)];
            if (first == Kind::proper) return false;
            for (int i = from; i < to; ++i)
                if (kinds[static_cast<std::size_t>(i)] != first) return false;
            return true;
        };
        regular = f < l && uniform(0, f) && uniform(l + 1, traceSamples + 1);
    }

    const auto circleOf = [&](const TraceSample& s) { return projectedCircle(placed, s.x, s.y); };
    std::vector<BezierPath> result;
    if (regular) {
        for (const int i : {f, l}) {
            const TraceSample& s = samples[static_cast<std::size_t>(i)];
            if (s.x > onAxis) result.push_back(circleOf(s));
        }
        if (f != 0 && kinds.front() == Kind::broad)
            result.push_back(
                outlineBetween({circleOf(samples.front()), circleOf(samples[static_cast<std::size_t>(f)])}));
        if (l != traceSamples && kinds.back() == Kind::broad)
            result.push_back(
                outlineBetween({circleOf(samples.back()), circleOf(samples[static_cast<std::size_t>(l)])}));

        std::vector<Vector2> sideA, sideB;
        for (int k = f; k <= l; ++k) {
            const TraceSample& s = samples[static_cast<std::size_t>(k)];
            sideA.push_back(projectBodyPoint(placed, bodyPoint(placed, s.x, s.y, azimuth + s.alpha)));
            sideB.push_back(projectBodyPoint(placed, bodyPoint(placed, s.x, s.y, azimuth - s.alpha)));
        }
        PathBuilder band;
        band.moveTo(sideA.front());
        appendSmoothPolyline(sideA, bandStride, band);
        band.lineTo(sideB.back());
        std::reverse(sideB.begin(), sideB.end());
        appendSmoothPolyline(sideB, bandStride, band);
        band.closeSubpath();
        result.push_back(band.finish());
        return result;
    }

    std::vector<BezierPath> circles;
    std::vector<Vector2> derivatives;
    for (int j = 0; j <= fallbackCircles; ++j) {
        const double t = static_cast<double>(j) / fallbackCircles;
        const Vector2 b = Cubic::point(p0, p1, p2, p3, t);
        circles.push_back(projectedCircle(placed, b.x, b.y));
        Vector2 d = derivative(p0, p1, p2, p3, t);
        if (d.length() <= 1e-12) d = p3 - p0;
        derivatives.push_back(d);
    }
    for (int j = 0; j < fallbackCircles; ++j) {
        if (derivatives[static_cast<std::size_t>(j)].cross(derivatives[static_cast<std::size_t>(j + 1)]) < -1e-9)
            return pairwiseOutlines(circles);
    }
    result.push_back(hullOutline(circles, hullPoints));
    return result;
}

void appendSmoothPolyline(const std::vector<Vector2>& points, int stride, PathBuilder& builder) {
    const int n = static_cast<int>(points.size());
    if (n <= 1 || stride < 1) return;
    const auto p = [&](int i) { return points[static_cast<std::size_t>(i)]; };
    std::vector<int> knots;
    for (int i = 0; i < n; i += stride) knots.push_back(i);
    if (knots.back() != n - 1) knots.push_back(n - 1);
    const auto tangent = [&](int i) -> Vector2 {
        if (n == 2) return p(1) - p(0);
        if (i == 0) return dividedBy(p(1) * 4 - p(0) * 3 - p(2), 2);
        if (i == n - 1) return dividedBy(p(n - 1) * 3 - p(n - 2) * 4 + p(n - 3), 2);
        return dividedBy(p(i + 1) - p(i - 1), 2);
    };
    for (std::size_t k = 0; k + 1 < knots.size(); ++k) {
        const int i = knots[k];
        const int j = knots[k + 1];
        const double third = static_cast<double>(j - i) / 3;
        builder.curveTo(p(j), p(i) + tangent(i) * third, p(j) - tangent(j) * third);
    }
}

BezierPath hullOutline(const std::vector<BezierPath>& curves, int count) {
    std::vector<Vector2> points;
    for (const BezierPath& curve : curves) {
        for (const Subpath& subpath : curve.subpaths) {
            Vector2 current = subpath.start;
            for (const PathSegment& segment : subpath.segments) {
                if (const auto* c = segment.asCubic()) {
                    for (int k = 1; k <= 16; ++k)
                        points.push_back(Cubic::point(current, c->control1, c->control2, c->to, k / 16.0));
                } else {
                    points.push_back(segment.end());
                }
                current = segment.end();
            }
        }
    }
    std::vector<Vector2> hull = convexHull(std::move(points));
    if (hull.size() < 3 || count < 1) return {};
    const std::size_t edges = hull.size();
    std::vector<double> lengths(edges);
    double total = 0;
    for (std::size_t i = 0; i < edges; ++i) {
        lengths[i] = hull[i].distance(hull[(i + 1) % edges]);
        total += lengths[i];
    }
    if (!(total > 0)) return {};

    std::vector<Vector2> q;
    q.reserve(static_cast<std::size_t>(count));
    std::size_t edge = 0;
    double before = 0;
    for (int i = 0; i < count; ++i) {
        const double target = total * i / count;
        while (target > before + lengths[edge] && edge + 1 < edges) {
            before += lengths[edge];
            ++edge;
        }
        double fraction = lengths[edge] > 0 ? (target - before) / lengths[edge] : 0;
        fraction = std::clamp(fraction, 0.0, 1.0);
        q.push_back(hull[edge].lerp(hull[(edge + 1) % edges], fraction));
    }

    const auto at = [&](int k) { return q[static_cast<std::size_t>(((k % count) + count) % count)]; };
    PathBuilder builder;
    builder.moveTo(at(0));
    for (int k = 0; k < count; ++k) {
        builder.curveTo(at(k + 1), at(k) + dividedBy(at(k + 1) - at(k - 1), 6),
                        at(k + 1) - dividedBy(at(k + 2) - at(k), 6));
    }
    builder.closeSubpath();
    return builder.finish();
}

std::vector<BezierPath> pairwiseOutlines(const std::vector<BezierPath>& curves) {
    std::vector<BezierPath> result;
    for (std::size_t j = 0; j + 1 < curves.size(); ++j) result.push_back(outlineBetween({curves[j], curves[j + 1]}));
    return result;
}

}  // namespace icon_geometry::Silhouette
