#include "icon_geometry/camera.hpp"

#include <cmath>
#include <numbers>

namespace icon_geometry {

namespace {
using std::numbers::pi;
}

PerspectiveProjection::PerspectiveProjection(const Camera& camera, double diagonal) : camera(camera) {
    // Written so that NaN fails the test and takes the floor too.
    const double d = camera.distanceInDiagonals > 0.5 ? camera.distanceInDiagonals : 0.5;
    distance = diagonal * d;
    const double yaw = camera.yawDegrees * pi / 180;
    sinYaw = std::sin(yaw);
    cosYaw = std::cos(yaw);
    lensShift = distance * std::tan(camera.elevationDegrees * pi / 180);
}

Vector2 PerspectiveProjection::projectPoint(Vector3 p) const {
    const double den = distance + (p.z * cosYaw + p.x * sinYaw);
    return {(p.x * cosYaw - p.z * sinYaw) / den, (p.y + lensShift) / den};
}

Vector3 PerspectiveProjection::eyePosition() const {
    return {-distance * sinYaw, -lensShift, -distance * cosYaw};
}

}  // namespace icon_geometry

std::size_t std::hash<icon_geometry::Camera>::operator()(const icon_geometry::Camera& c) const {
    icon_geometry::Hasher h;
    h.combine(c.yawDegrees);
    h.combine(c.elevationDegrees);
    h.combine(c.distanceInDiagonals);
    return h.state;
}
