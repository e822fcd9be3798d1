#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <vector>

#include "icon_geometry/camera.hpp"
#include "icon_geometry/cubic.hpp"

namespace icon_geometry {

namespace {

// A perspective image of a cubic is no cubic, so long curves are cut first; the
// cap keeps a huge curve (or a tiny step) from exploding the output.
constexpr double maximumPieces = 256;

long long pieceCount(Vector2 p0, const PathSegment::Cubic& c, double step) {
    const double length = (p0.distance(c.control1) + c.control1.distance(c.control2)) + c.control2.distance(c.to);
    const double v = length / step;
    if (!std::isfinite(v) || v <= 1) return 1;
    return static_cast<long long>(std::ceil(std::min(v, maximumPieces)));
}

// Geometry nearer the eye's plane than this fraction of the camera distance is
// cut away before projecting: a perspective image diverges as points approach
// that plane and turns over behind it. A model's own box always lies far
// beyond it (the camera stands at least 2.2 diagonals away); only details
// reaching out towards the eye come near.
constexpr double nearPlaneFraction = 0.25;
constexpr int rootSearchSteps = 64;
constexpr int rootBisections = 52;

double bernstein(const std::array<double, 4>& f, double t) {
    const double u = 1 - t;
    return f[0] * (u * u * u) + f[1] * (3 * t * u * u) + f[2] * (3 * t * t * u) + f[3] * (t * t * t);
}

// The parameters in (0, 1) where the cubic's distance beyond the near plane
// changes sign.
std::vector<double> crossings(const std::array<double, 4>& f) {
    std::vector<double> roots;
    double t0 = 0;
    double f0 = f[0];
    for (int k = 1; k <= rootSearchSteps; ++k) {
        const double t1 = static_cast<double>(k) / rootSearchSteps;
        const double f1 = bernstein(f, t1);
        if ((f0 < 0) != (f1 < 0)) {
            double lo = t0, hi = t1;
            for (int i = 0; i < rootBisections; ++i) {
                const double mid = (lo + hi) / 2;
                if ((bernstein(f, mid) < 0) == (f0 < 0))
                    lo = mid;
                else
                    hi = mid;
            }
            if (hi > 0 && hi < 1) roots.push_back(hi);
        }
        t0 = t1;
        f0 = f1;
    }
    return roots;
}

// The path less what lies nearer the eye's plane than the near plane, or
// nothing when all of it lies beyond (the common case: then it is projected as
// it is). The lift is affine, so the distance beyond the plane along a curve is
// the Bernstein combination of its values at the control points. Open subpaths
// fall apart into the stretches beyond the plane; closed ones keep those
// stretches joined by straight lines along the plane's trace.
template <class Lifting>
std::optional<BezierPath> clippedToNearPlane(const PerspectiveProjection& projection, const BezierPath& path,
                                             const Lifting& lift) {
    const double near = projection.distance * nearPlaneFraction;
    if (!(near > 0) || !std::isfinite(near)) return std::nullopt;
    const auto beyond = [&](Vector2 p) {
        const Vector3 q = lift(p);
        return projection.distance + (q.z * projection.cosYaw + q.x * projection.sinYaw) - near;
    };
    bool anyNear = false;
    for (const Subpath& subpath : path.subpaths) {
        if (!(beyond(subpath.start) >= 0)) anyNear = true;
        for (const PathSegment& segment : subpath.segments) {
            if (const auto* c = segment.asCubic())
                if (!(beyond(c->control1) >= 0) || !(beyond(c->control2) >= 0)) anyNear = true;
            if (!(beyond(segment.end()) >= 0)) anyNear = true;
        }
    }
    if (!anyNear) return std::nullopt;

    struct Kept {
        Vector2 start;
        PathSegment segment;
        bool joined;  // continues the previous kept piece
    };
    BezierPath result;
    for (const Subpath& subpath : path.subpaths) {
        std::vector<Kept> kept;
        bool previousKept = false;
        Vector2 current = subpath.start;
        const auto keep = [&](Vector2 from, PathSegment segment) {
            kept.push_back({from, std::move(segment), previousKept});
            previousKept = true;
        };
        for (const PathSegment& segment : subpath.segments) {
            const Vector2 end = segment.end();
            const auto* c = segment.asCubic();
            const Vector2 c1 = c ? c->control1 : current + (end - current) * (1.0 / 3);
            const Vector2 c2 = c ? c->control2 : current + (end - current) * (2.0 / 3);
            const std::array<double, 4> f{beyond(current), beyond(c1), beyond(c2), beyond(end)};
            if (!std::all_of(f.begin(), f.end(), [](double v) { return std::isfinite(v); })) {
                previousKept = false;
            } else if (std::all_of(f.begin(), f.end(), [](double v) { return v >= 0; })) {
                keep(current, segment);
            } else {
                std::vector<double> cuts = crossings(f);
                cuts.insert(cuts.begin(), 0.0);
                cuts.push_back(1.0);
                for (std::size_t i = 0; i + 1 < cuts.size(); ++i) {
                    const double a = cuts[i], b = cuts[i + 1];
                    if (!(bernstein(f, (a + b) / 2) >= 0) || !(b > a)) {
                        previousKept = false;
                        continue;
                    }
                    const Cubic::Curve piece = Cubic::subcurve(current, c1, c2, end, a, b);
                    keep(piece[0], c ? PathSegment::cubic(piece[1], piece[2], piece[3]) : PathSegment::line(piece[3]));
                }
            }
            current = end;
        }
        if (kept.empty()) continue;
        if (subpath.isClosed) {
            Subpath closed{kept.front().start, {}, true};
            for (std::size_t i = 0; i < kept.size(); ++i) {
                if (i > 0 && !kept[i].joined) closed.segments.push_back(PathSegment::line(kept[i].start));
                closed.segments.push_back(kept[i].segment);
            }
            result.subpaths.push_back(std::move(closed));
            continue;
        }
        for (const Kept& piece : kept) {
            if (!piece.joined || result.subpaths.empty()) result.subpaths.push_back(Subpath{piece.start, {}, false});
            result.subpaths.back().segments.push_back(piece.segment);
        }
    }
    return result;
}

template <class Lifting>
BezierPath project(const PerspectiveProjection& projection, const BezierPath& original, double step,
                   const Lifting& lift) {
    const std::optional<BezierPath> clipped = clippedToNearPlane(projection, original, lift);
    const BezierPath& path = clipped ? *clipped : original;
    const auto image = [&](Vector2 p) {
        const Vector3 q = lift(p);
        const double den = projection.distance + (q.z * projection.cosYaw + q.x * projection.sinYaw);
        return Vector2{(q.x * projection.cosYaw - q.z * projection.sinYaw) / den, (projection.lensShift + q.y) / den};
    };

    BezierPath result;
    result.subpaths.reserve(path.subpaths.size());
    for (const Subpath& subpath : path.subpaths) {
        Subpath projected;
        projected.start = image(subpath.start);
        projected.isClosed = subpath.isClosed;
        projected.segments.reserve(subpath.segments.size());
        Vector2 current = subpath.start;
        for (const PathSegment& segment : subpath.segments) {
            if (const auto* line = segment.asLine()) {
                projected.segments.push_back(PathSegment::line(image(line->to)));
            } else if (const auto* cubic = segment.asCubic()) {
                const long long n = pieceCount(current, *cubic, step);
                if (n == 1) {
                    projected.segments.push_back(
                        PathSegment::cubic(image(cubic->control1), image(cubic->control2), image(cubic->to)));
                } else {
                    for (const Cubic::Curve& piece :
                         Cubic::split(current, cubic->control1, cubic->control2, cubic->to, n)) {
                        projected.segments.push_back(
                            PathSegment::cubic(image(piece[1]), image(piece[2]), image(piece[3])));
                    }
                }
            }
            current = segment.end();
        }
        result.subpaths.push_back(std::move(projected));
    }
    return result;
}

// Poses are compared with the identity once per path, not once per point.
template <class Lift>
BezierPath projectPosed(const PerspectiveProjection& projection, const BezierPath& path, const Pose& pose, double step,
                        const Lift& lift) {
    if (pose == Pose::identity()) return project(projection, path, step, lift);
    return project(projection, path, step, [&](Vector2 p) {
        const Vector3 r = pose.rotation.apply(lift(p));
        return Vector3{r.x + pose.translation.x, r.y + pose.translation.y, r.z + pose.translation.z};
    });
}

}  // namespace

BezierPath PerspectiveProjection::projectPath(const BezierPath& path, double step,
                                              const std::function<Vector3(Vector2)>& lifting) const {
    return project(*this, path, step, lifting);
}

BezierPath PerspectiveProjection::projectPlanarPath(const BezierPath& path, double z, double step) const {
    return project(*this, path, step, [z](Vector2 p) { return Vector3{p.x, p.y, z}; });
}

BezierPath PerspectiveProjection::projectPosedPath(const BezierPath& path, const Pose& pose, double z,
                                                   double step) const {
    return projectPosed(*this, path, pose, step, [z](Vector2 p) { return Vector3{p.x, p.y, z}; });
}

BezierPath PerspectiveProjection::projectCrossSectionPath(const BezierPath& path, RevolvedAxis axis, const Pose& pose,
                                                          double height, double step) const {
    return projectPosed(*this, path, pose, step, [axis, height](Vector2 p) { return axis.frame(p.x, p.y, height); });
}

BezierPath PerspectiveProjection::projectMeridianPath(const BezierPath& profile, RevolvedAxis axis, const Pose& pose,
                                                      Vector2 direction, double step) const {
    return projectPosed(*this, profile, pose, step,
                        [axis, direction](Vector2 p) { return axis.frame(p.x * direction.x, p.x * direction.y, p.y); });
}

}  // namespace icon_geometry
