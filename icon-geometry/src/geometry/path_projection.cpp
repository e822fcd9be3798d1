#include <algorithm>
#include <cmath>

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

template <class Lifting>
BezierPath project(const PerspectiveProjection& projection, const BezierPath& path, double step, const Lifting& lift) {
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
