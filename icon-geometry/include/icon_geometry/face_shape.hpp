#pragma once

#include <cstddef>
#include <variant>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/vector.hpp"

namespace icon_geometry {

// The outline of a body's front face or of a button, in millimetres of the face.
// Shapes store no position: every outline is centred on the origin (a polygon is
// where its vertices are). Parameters are clamped when an outline is built, never
// when a shape is made or read.
struct FaceShape {
    struct RoundedRectangle {
        double width = 0;
        double height = 0;
        double cornerRadius = 0;
        friend constexpr bool operator==(const RoundedRectangle&, const RoundedRectangle&) = default;
    };
    // abs(x/a)^n + abs(y/b)^n = 1 with a = width/2, b = height/2, n = exponent.
    struct Superellipse {
        double width = 0;
        double height = 0;
        double exponent = 2;
        friend constexpr bool operator==(const Superellipse&, const Superellipse&) = default;
    };
    struct Ellipse {
        double width = 0;
        double height = 0;
        friend constexpr bool operator==(const Ellipse&, const Ellipse&) = default;
    };
    // A rounded rectangle whose corner radius is half its smaller side.
    struct Capsule {
        double width = 0;
        double height = 0;
        friend constexpr bool operator==(const Capsule&, const Capsule&) = default;
    };
    // A closed polygon through the vertices, in order, each corner rounded by a
    // circular arc; vertices are relative to the face centre.
    struct RoundedPolygon {
        std::vector<Vector2> vertices;
        double cornerRadius = 0;
        friend bool operator==(const RoundedPolygon&, const RoundedPolygon&) = default;
    };

    // Alternatives in case order; the index is the case number used by hashing.
    std::variant<RoundedRectangle, Superellipse, Ellipse, Capsule, RoundedPolygon> value;

    static FaceShape roundedRectangle(double width, double height, double cornerRadius) {
        return {RoundedRectangle{width, height, cornerRadius}};
    }
    static FaceShape superellipse(double width, double height, double exponent) {
        return {Superellipse{width, height, exponent}};
    }
    static FaceShape ellipse(double width, double height) { return {Ellipse{width, height}}; }
    static FaceShape capsule(double width, double height) { return {Capsule{width, height}}; }
    static FaceShape roundedPolygon(std::vector<Vector2> vertices, double cornerRadius) {
        return {RoundedPolygon{std::move(vertices), cornerRadius}};
    }

    std::size_t caseIndex() const { return value.index(); }

    // The closed outline, centred on the origin, starting at the top and running
    // towards +x first (polygons start at the exit of their first corner).
    BezierPath outline() const;
    // Shrunk by d on every side (grown when d is negative); sides and radii stop at 0.
    FaceShape inset(double d) const;
    // Stretched by sx along x and sy along y; radii scale by the smaller factor.
    FaceShape scaled(double sx, double sy) const;

    // The outline builders, also used for SVG rect/circle/ellipse elements and for
    // the cross-sections of revolved bodies. Each gives at most one closed subpath.
    static BezierPath roundedRectanglePath(double width, double height, double radius);
    static BezierPath ellipsePath(double width, double height);
    static BezierPath superellipsePath(double width, double height, double exponent);
    static BezierPath roundedPolygonPath(const std::vector<Vector2>& vertices, double radius);

    // The polygon's vertices moved inwards by d (outwards when negative), each the
    // intersection of its two moved edges.
    static std::vector<Vector2> offsetVertices(const std::vector<Vector2>& vertices, double d);

    friend bool operator==(const FaceShape&, const FaceShape&) = default;
};

}  // namespace icon_geometry

template <>
struct std::hash<icon_geometry::FaceShape> {
    std::size_t operator()(const icon_geometry::FaceShape& shape) const;
};
