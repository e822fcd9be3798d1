#pragma once

// The frame shared by the outline and the lines of a revolved body: the axis
// directions, the eye in body coordinates, and projected body points and circles.

#include <cmath>

#include "icon_geometry/face_shape.hpp"
#include "projection/silhouette.hpp"

namespace icon_geometry::Silhouette {

struct AxisFrame {
    Vector3 u;
    Vector3 v;
    Vector3 w;
};

inline AxisFrame axisFrame(RevolvedAxis axis) {
    switch (axis.value) {
        case RevolvedAxis::depth:
            return {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}};
        case RevolvedAxis::horizontal:
            return {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}};
        case RevolvedAxis::vertical:
        default:
            return {{1, 0, 0}, {0, 0, 1}, {0, 1, 0}};
    }
}

// The eye in body coordinates and its place about the axis.
struct BodyEye {
    Vector3 e;
    double eu;
    double ev;
    double ea;
    double er;
};

inline BodyEye bodyEye(const PlacedRevolvedBody& placed) {
    const AxisFrame f = axisFrame(placed.body.axis);
    const Vector3 e = placed.pose.inverseApply(placed.projection.eyePosition());
    const double eu = e.dot(f.u);
    const double ev = e.dot(f.v);
    return {e, eu, ev, e.dot(f.w), std::hypot(eu, ev)};
}

// The body point at radius r, height h and azimuth phi.
inline Vector3 bodyPoint(const PlacedRevolvedBody& placed, double r, double h, double phi) {
    return placed.body.axis.frame(r * std::cos(phi), r * std::sin(phi), h);
}

inline Vector2 projectBodyPoint(const PlacedRevolvedBody& placed, Vector3 p) {
    return placed.projection.projectPoint(placed.pose.apply(p));
}

// The cross-section circle of radius r (floored at 1e-6) at height h, projected.
inline BezierPath projectedCircle(const PlacedRevolvedBody& placed, double r, double h) {
    const double diameter = 2 * std::fmax(r, 1e-6);
    return placed.projection.projectCrossSectionPath(FaceShape::ellipsePath(diameter, diameter), placed.body.axis,
                                                     placed.pose, h, placed.step);
}

inline Vector2 dividedBy(Vector2 v, double d) {
    return {v.x / d, v.y / d};
}

}  // namespace icon_geometry::Silhouette
