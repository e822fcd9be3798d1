#include "icon_geometry/rotation.hpp"

#include <cmath>
#include <numbers>

namespace icon_geometry {

namespace {

using std::numbers::pi;

double component(const Vector3& v, int i) {
    return i == 0 ? v.x : (i == 1 ? v.y : v.z);
}

double entry(const Rotation3& r, int row, int column) {
    return component(r.rows[row], column);
}

// Coefficients of the axis frame, indexed by axis (vertical, depth, horizontal).
constexpr double T0[3] = {0, 1, 0};
constexpr double T1[3] = {1, 0, 1};
constexpr double T2[3] = {1, 1, 0};
constexpr double T3[3] = {0, 0, 1};
constexpr double T4[3] = {1, 0, 0};

constexpr std::array<std::string_view, 3> revolvedAxisNames{"vertical", "depth", "horizontal"};

}  // namespace

const Rotation3& Rotation3::identity() {
    static const Rotation3 value{};
    return value;
}

Rotation3 Rotation3::aboutVertical(double degrees) {
    const double a = degrees * pi / 180;
    const double s = std::sin(a);
    const double c = std::cos(a);
    return {{Vector3{c, 0, -s}, Vector3{0, 1, 0}, Vector3{s, 0, c}}};
}

Rotation3 Rotation3::aboutHorizontal(double degrees) {
    double s;
    double c;
    if (degrees == 90) {
        s = 1;
        c = 0;
    } else if (degrees == -90) {
        s = -1;
        c = 0;
    } else {
        const double a = degrees * pi / 180;
        s = std::sin(a);
        c = std::cos(a);
    }
    return {{Vector3{1, 0, 0}, Vector3{0, c, -s}, Vector3{0, s, c}}};
}

Rotation3 Rotation3::multiplied(const Rotation3& other) const {
    Rotation3 result;
    for (int i = 0; i < 3; ++i) {
        double values[3];
        for (int j = 0; j < 3; ++j) {
            values[j] = (entry(*this, i, 0) * entry(other, 0, j) + entry(*this, i, 1) * entry(other, 1, j)) +
                        entry(*this, i, 2) * entry(other, 2, j);
        }
        result.rows[i] = {values[0], values[1], values[2]};
    }
    return result;
}

Vector3 Rotation3::apply(Vector3 v) const {
    double values[3];
    for (int i = 0; i < 3; ++i) {
        const Vector3& r = rows[i];
        values[i] = (v.x * r.x + v.y * r.y) + v.z * r.z;
    }
    return {values[0], values[1], values[2]};
}

Rotation3 Rotation3::transposed() const {
    return {{Vector3{rows[0].x, rows[1].x, rows[2].x}, Vector3{rows[0].y, rows[1].y, rows[2].y},
             Vector3{rows[0].z, rows[1].z, rows[2].z}}};
}

const Pose& Pose::identity() {
    static const Pose value{};
    return value;
}

Vector3 Pose::apply(Vector3 p) const {
    if (*this == identity()) return p;
    const Vector3 r = rotation.apply(p);
    return {r.x + translation.x, r.y + translation.y, r.z + translation.z};
}

Vector3 Pose::inverseApply(Vector3 p) const {
    const Vector3 d = p - translation;
    double values[3];
    for (int i = 0; i < 3; ++i) {
        values[i] = (entry(rotation, 0, i) * d.x + entry(rotation, 1, i) * d.y) + entry(rotation, 2, i) * d.z;
    }
    return {values[0], values[1], values[2]};
}

std::string_view RevolvedAxis::rawValue() const {
    return revolvedAxisNames[value];
}

std::optional<RevolvedAxis> RevolvedAxis::fromRawValue(std::string_view raw) {
    for (std::size_t i = 0; i < allCases.size(); ++i)
        if (revolvedAxisNames[i] == raw) return allCases[i];
    return std::nullopt;
}

Vector3 RevolvedAxis::frame(double p, double q, double h) const {
    const int i = static_cast<int>(value);
    return {p * T2[i] + h * T3[i], (q * T0[i] + p * T3[i]) + h * T4[i], h * T0[i] + q * T1[i]};
}

}  // namespace icon_geometry

std::size_t std::hash<icon_geometry::Rotation3>::operator()(const icon_geometry::Rotation3& r) const {
    icon_geometry::Hasher h;
    for (const auto& row : r.rows) h.combine(row);
    return h.state;
}

std::size_t std::hash<icon_geometry::Pose>::operator()(const icon_geometry::Pose& p) const {
    icon_geometry::Hasher h;
    for (const auto& row : p.rotation.rows) h.combine(row);
    h.combine(p.translation);
    return h.state;
}

std::size_t std::hash<icon_geometry::RevolvedAxis>::operator()(icon_geometry::RevolvedAxis axis) const {
    return std::hash<std::string_view>{}(axis.rawValue());
}
