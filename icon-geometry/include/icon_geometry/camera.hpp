#pragma once

// The view of a model and the simple perspective that maps the scene onto the
// image plane.

#include <cstddef>
#include <functional>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/rotation.hpp"
#include "icon_geometry/vector.hpp"

namespace icon_geometry {

struct Camera {
    // Inclusive bounds; a NaN is never inside.
    struct Range {
        double lowerBound;
        double upperBound;
        constexpr bool contains(double value) const { return value >= lowerBound && value <= upperBound; }
    };

    double yawDegrees = 29.5;
    double elevationDegrees = 0;
    // Distance of the eye from the origin, in diagonals of the scene.
    double distanceInDiagonals = 2.5;

    static constexpr Camera defaultCamera() { return {}; }
    static constexpr Range yawRange{25, 40};
    static constexpr Range elevationRange{0, 5};
    static constexpr Range distanceRange{2.2, 5.5};

    constexpr bool isWithinRanges() const {
        return yawRange.contains(yawDegrees) && elevationRange.contains(elevationDegrees) &&
               distanceRange.contains(distanceInDiagonals);
    }

    friend constexpr bool operator==(const Camera&, const Camera&) = default;
};

// A pinhole camera with its image plane at unit distance, parallel to the y axis.
// Elevation raises the eye and shifts the image by `lensShift`; it does not tilt
// the view, so vertical lines stay vertical. Nothing guards the denominator: a
// point in the eye's plane projects to infinities or NaN, which later stages
// carry along.
struct PerspectiveProjection {
    Camera camera;
    double distance = 0;
    double cosYaw = 1;
    double sinYaw = 0;
    double lensShift = 0;

    // A distance under half a diagonal, or one that is not a number, is taken
    // as half a diagonal so that every camera still draws.
    PerspectiveProjection(const Camera& camera, double diagonal);

    Vector2 projectPoint(Vector3 p) const;
    // The one point where the denominator and both numerators vanish.
    Vector3 eyePosition() const;

    // Projection of whole paths, lifted point by point into the scene. Lines stay
    // lines; each cubic is cut into up to 256 equal pieces, about one per `step`
    // of its control polygon's length, and each piece carried over by its four
    // points.
    BezierPath projectPath(const BezierPath& path, double step, const std::function<Vector3(Vector2)>& lifting) const;
    // Lifting (x, y) → (x, y, z).
    BezierPath projectPlanarPath(const BezierPath& path, double z, double step) const;
    // Lifting (x, y) → pose applied to (x, y, z).
    BezierPath projectPosedPath(const BezierPath& path, const Pose& pose, double z, double step) const;
    // A cross-section of a revolved body at height h: (p, q) → pose applied to the
    // axis frame of (p, q) at h.
    BezierPath projectCrossSectionPath(const BezierPath& path, RevolvedAxis axis, const Pose& pose, double height,
                                       double step) const;
    // A meridian given in profile coordinates (radius, height), drawn in the plane
    // through the axis whose unit direction in the cross-section is `direction`.
    BezierPath projectMeridianPath(const BezierPath& profile, RevolvedAxis axis, const Pose& pose, Vector2 direction,
                                   double step) const;
};

}  // namespace icon_geometry

template <>
struct std::hash<icon_geometry::Camera> {
    std::size_t operator()(const icon_geometry::Camera& c) const;
};
