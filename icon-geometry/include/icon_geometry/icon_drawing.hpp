#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "icon_geometry/affine_transform.hpp"
#include "icon_geometry/bezier_path.hpp"

namespace icon_geometry {

// The width of a stroke in canvas units. The fixed weights never scale with the icon.
struct StrokeWeight {
    struct Outer {
        friend constexpr bool operator==(Outer, Outer) = default;
    };
    struct Inner {
        friend constexpr bool operator==(Inner, Inner) = default;
    };
    struct Custom {
        double width = 0;
        friend constexpr bool operator==(Custom, Custom) = default;
    };

    static constexpr double outerWidth = 40;
    static constexpr double innerWidth = 20;

    std::variant<Outer, Inner, Custom> value;

    static constexpr StrokeWeight outer() { return {Outer{}}; }
    static constexpr StrokeWeight inner() { return {Inner{}}; }
    static constexpr StrokeWeight custom(double width) { return {Custom{width}}; }

    std::size_t caseIndex() const { return value.index(); }
    double width() const;

    friend constexpr bool operator==(const StrokeWeight&, const StrokeWeight&) = default;
};

// One piece of a body's drawing, in canvas coordinates (or in face millimetres
// before projection).
struct IconElement {
    // A centre line inked by a round pen of the weight's width.
    struct Stroke {
        BezierPath path;
        StrokeWeight weight;
        friend bool operator==(const Stroke&, const Stroke&) = default;
    };
    // The inside of the path by the even-odd rule is inked.
    struct Fill {
        BezierPath path;
        friend bool operator==(const Fill&, const Fill&) = default;
    };
    // The inside of the path by the even-odd rule is cleared of the ink laid down
    // before it in the same body.
    struct Hole {
        BezierPath path;
        friend bool operator==(const Hole&, const Hole&) = default;
    };

    std::variant<Stroke, Fill, Hole> value;

    static IconElement stroke(BezierPath path, StrokeWeight weight) { return {Stroke{std::move(path), weight}}; }
    static IconElement fill(BezierPath path) { return {Fill{std::move(path)}}; }
    static IconElement hole(BezierPath path) { return {Hole{std::move(path)}}; }

    std::size_t caseIndex() const { return value.index(); }
    const Stroke* asStroke() const { return std::get_if<Stroke>(&value); }
    const Fill* asFill() const { return std::get_if<Fill>(&value); }
    const Hole* asHole() const { return std::get_if<Hole>(&value); }
    const BezierPath& path() const;

    // The same case with its path transformed point by point; a stroke keeps its weight.
    IconElement applying(const AffineTransform& m) const;
    // The same case with the path replaced.
    IconElement withPath(BezierPath path) const;

    friend bool operator==(const IconElement&, const IconElement&) = default;
};

struct IconBody {
    std::vector<IconElement> elements;
    // What this body hides in every body drawn before it.
    std::optional<BezierPath> occluder;

    friend bool operator==(const IconBody&, const IconBody&) = default;
};

// Bodies from back to front: a body is hidden by the occluders of the bodies
// after it, never by those before it.
struct IconDrawing {
    std::vector<IconBody> bodies;

    // Pieces of ink smaller than this in both directions are crumbs of the region
    // operations and are dropped.
    static constexpr double minimumSubpathSize = 3.0;

    // Body i's ink less what the later bodies' occluders hide; an index out of
    // range gives the empty path.
    BezierPath visibleOutline(std::size_t index) const;
    // The visible outlines of all bodies, back to front, those without any segment
    // left out.
    std::vector<BezierPath> path() const;
    friend bool operator==(const IconDrawing&, const IconDrawing&) = default;
};

}  // namespace icon_geometry

template <>
struct std::hash<icon_geometry::StrokeWeight> {
    std::size_t operator()(const icon_geometry::StrokeWeight& weight) const;
};
template <>
struct std::hash<icon_geometry::IconElement> {
    std::size_t operator()(const icon_geometry::IconElement& element) const;
};
template <>
struct std::hash<icon_geometry::IconBody> {
    std::size_t operator()(const icon_geometry::IconBody& body) const;
};
template <>
struct std::hash<icon_geometry::IconDrawing> {
    std::size_t operator()(const icon_geometry::IconDrawing& drawing) const;
};
