#pragma once

#include <functional>
#include <optional>
#include <variant>
#include <vector>

#include "icon_geometry/affine_transform.hpp"
#include "icon_geometry/rect.hpp"
#include "icon_geometry/vector.hpp"

namespace icon_geometry {

// One step of a subpath, from the current point.
struct PathSegment {
    struct Line {
        Vector2 to;
        friend constexpr bool operator==(const Line&, const Line&) = default;
    };
    struct Cubic {
        Vector2 control1;
        Vector2 control2;
        Vector2 to;
        friend constexpr bool operator==(const Cubic&, const Cubic&) = default;
    };

    std::variant<Line, Cubic> value;

    static PathSegment line(Vector2 to) { return {Line{to}}; }
    static PathSegment cubic(Vector2 control1, Vector2 control2, Vector2 to) { return {Cubic{control1, control2, to}}; }

    const Line* asLine() const { return std::get_if<Line>(&value); }
    const Cubic* asCubic() const { return std::get_if<Cubic>(&value); }
    bool isLine() const { return value.index() == 0; }
    Vector2 end() const {
        return std::visit([](const auto& s) { return s.to; }, value);
    }

    friend bool operator==(const PathSegment&, const PathSegment&) = default;
};

struct Subpath {
    Vector2 start;
    std::vector<PathSegment> segments;
    bool isClosed = false;

    Vector2 currentPoint() const { return segments.empty() ? start : segments.back().end(); }
    // Every point, control points included, is finite.
    bool isFinite() const;

    friend bool operator==(const Subpath&, const Subpath&) = default;
};

struct BezierPath {
    std::vector<Subpath> subpaths;

    // True when no subpath has a segment: bare start points draw nothing.
    bool isEmpty() const;

    // The tight bounds of the curves (not of their control points); the null
    // rectangle when nothing is drawn.
    Rect bounds() const;

    BezierPath mapPoints(const std::function<Vector2(Vector2)>& f) const;
    BezierPath translated(double dx, double dy) const;
    BezierPath applying(const AffineTransform& m) const;
    BezierPath droppingSmallSubpaths(double minimumSize) const;

    friend bool operator==(const BezierPath&, const BezierPath&) = default;
};

// Assembles paths point by point, dropping steps that do not move by more than
// epsilon and closing lines that return to the start.
struct PathBuilder {
    BezierPath path;
    std::optional<Subpath> current;
    double epsilon = 1e-9;

    void moveTo(Vector2 point);
    void lineTo(Vector2 point);
    void curveTo(Vector2 to, Vector2 control1, Vector2 control2);
    void closeSubpath();
    BezierPath finish();
};

}  // namespace icon_geometry

template <>
struct std::hash<icon_geometry::PathSegment> {
    std::size_t operator()(const icon_geometry::PathSegment& s) const;
};
template <>
struct std::hash<icon_geometry::Subpath> {
    std::size_t operator()(const icon_geometry::Subpath& s) const;
};
template <>
struct std::hash<icon_geometry::BezierPath> {
    std::size_t operator()(const icon_geometry::BezierPath& p) const;
};
