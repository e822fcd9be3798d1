#pragma once

// Solids of revolution: a profile in the half-plane (radius, height) turned about
// one of the part's three axes, with lines drawn on the surface.

#include <cstddef>
#include <cstdint>
#include <variant>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/rotation.hpp"

namespace icon_geometry {

// A line drawn on the surface of a revolved body. Heights are along the axis,
// in the profile's units.
struct RevolvedDetail {
    // One ring around the body.
    struct Ring {
        double at = 0;
        friend constexpr bool operator==(const Ring&, const Ring&) = default;
    };
    // `count` rings evenly spaced from `from` to `to`.
    struct Rings {
        double from = 0;
        double to = 0;
        std::int64_t count = 0;
        friend constexpr bool operator==(const Rings&, const Rings&) = default;
    };
    // `count` lines along the body from `from` to `to`, evenly spaced around it.
    struct Knurl {
        double from = 0;
        double to = 0;
        std::int64_t count = 0;
        friend constexpr bool operator==(const Knurl&, const Knurl&) = default;
    };
    // A line in profile coordinates (x the radius, y the height), drawn in the
    // plane through the axis that faces the eye.
    struct Meridian {
        BezierPath path;
        friend bool operator==(const Meridian&, const Meridian&) = default;
    };

    // Alternatives in case order; the index is the case number used by hashing.
    std::variant<Ring, Rings, Knurl, Meridian> value;

    static RevolvedDetail ring(double at) { return {Ring{at}}; }
    static RevolvedDetail rings(double from, double to, std::int64_t count) { return {Rings{from, to, count}}; }
    static RevolvedDetail knurl(double from, double to, std::int64_t count) { return {Knurl{from, to, count}}; }
    static RevolvedDetail meridian(BezierPath path) { return {Meridian{std::move(path)}}; }

    std::size_t caseIndex() const { return value.index(); }

    friend bool operator==(const RevolvedDetail&, const RevolvedDetail&) = default;
};

struct RevolvedBody {
    using Axis = RevolvedAxis;

    // x is the radius, y the height along the axis. It need not reach the axis:
    // the silhouette closes it with flat caps.
    BezierPath profile;
    Axis axis;
    std::vector<RevolvedDetail> details;

    // A plain cylinder: one open line from (radius, y0) to (radius, y1); no
    // subpath at all when the two points coincide.
    static RevolvedBody cylinder(double radius, double y0, double y1, Axis axis, std::vector<RevolvedDetail> details);

    // Twice the largest radius the profile reaches (not its width: a profile
    // crossing the axis does not widen it); 0 for a profile that draws nothing.
    double diameter() const;
    // The profile's extent along the axis; 0 for a profile that draws nothing.
    double height() const;
    // Radii times `radiusFactor`; heights stretched by `heightFactor` about the
    // profile's lowest point, details included. A profile that draws nothing has
    // no lowest point, and the body comes back unchanged.
    RevolvedBody scaled(double radiusFactor, double heightFactor) const;

    friend bool operator==(const RevolvedBody&, const RevolvedBody&) = default;
};

}  // namespace icon_geometry

template <>
struct std::hash<icon_geometry::RevolvedDetail> {
    std::size_t operator()(const icon_geometry::RevolvedDetail& detail) const;
};
template <>
struct std::hash<icon_geometry::RevolvedBody> {
    std::size_t operator()(const icon_geometry::RevolvedBody& body) const;
};
