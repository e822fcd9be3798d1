#pragma once

// Rotations and rigid placements of the parts of a model, and the frame in which
// a revolved body's cross-sections and meridians are lifted into the scene.

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>

#include "icon_geometry/vector.hpp"

namespace icon_geometry {

// A 3 × 3 matrix kept row by row. Nothing enforces orthonormality; every
// constructor here makes a proper rotation. The default value is the identity.
struct Rotation3 {
    std::array<Vector3, 3> rows{Vector3{1, 0, 0}, Vector3{0, 1, 0}, Vector3{0, 0, 1}};

    // Built once, on first use.
    static const Rotation3& identity();

    // About y, the vertical axis the yaw and the parts' turns rotate about.
    static Rotation3 aboutVertical(double degrees);
    // About x; exactly 90 and −90 give exact zeros and ones.
    static Rotation3 aboutHorizontal(double degrees);

    // this · other: applying the product applies `other` first.
    Rotation3 multiplied(const Rotation3& other) const;
    Vector3 apply(Vector3 v) const;
    Rotation3 transposed() const;

    friend bool operator==(const Rotation3&, const Rotation3&) = default;
};

// A rotation followed by a translation.
struct Pose {
    Rotation3 rotation;
    Vector3 translation;

    // Built once, on first use.
    static const Pose& identity();

    // R · p + t; the identity pose hands p back untouched (−0, infinities and
    // NaN included) and skips the arithmetic.
    Vector3 apply(Vector3 p) const;
    // Rᵀ · (p − t), the inverse of `apply` for a proper rotation.
    Vector3 inverseApply(Vector3 p) const;

    friend bool operator==(const Pose&, const Pose&) = default;
};

// The axis a revolved body turns about, in the part's own frame; spelled
// `RevolvedBody::Axis` where the body is at hand.
struct RevolvedAxis {
    enum Case : unsigned char { vertical, depth, horizontal };

    Case value = vertical;

    constexpr RevolvedAxis() = default;
    constexpr RevolvedAxis(Case c) : value(c) {}

    static constexpr std::array<Case, 3> allCases{vertical, depth, horizontal};

    // The case name, which is also its JSON form.
    std::string_view rawValue() const;
    // Exactly the three names; nothing for any other string.
    static std::optional<RevolvedAxis> fromRawValue(std::string_view raw);

    // The point (p, q) of the cross-section at height h along the axis, in the
    // part's coordinates: the vertical axis gives (p, h, q), the depth axis
    // (p, q, h), the horizontal axis (h, p, q). Evaluated through coefficient
    // tables of zeros and ones, so non-finite inputs spread as the arithmetic says.
    Vector3 frame(double p, double q, double h) const;

    friend constexpr bool operator==(RevolvedAxis, RevolvedAxis) = default;
};

}  // namespace icon_geometry

template <>
struct std::hash<icon_geometry::Rotation3> {
    std::size_t operator()(const icon_geometry::Rotation3& r) const;
};
template <>
struct std::hash<icon_geometry::Pose> {
    std::size_t operator()(const icon_geometry::Pose& p) const;
};
// By the raw string.
template <>
struct std::hash<icon_geometry::RevolvedAxis> {
    std::size_t operator()(icon_geometry::RevolvedAxis axis) const;
};
