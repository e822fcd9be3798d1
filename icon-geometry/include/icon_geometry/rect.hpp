#pragma once

#include <cmath>
#include <limits>

#include "icon_geometry/vector.hpp"

namespace icon_geometry {

// A rectangle in the plane with a distinguished null value: the bounds of nothing.
// A union ignores the null rectangle.
struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;

    static constexpr Rect null() {
        return {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::infinity(), 0, 0};
    }
    constexpr bool isNull() const {
        return x == std::numeric_limits<double>::infinity() || y == std::numeric_limits<double>::infinity();
    }

    // Getters normalise a negative width or height: a rectangle spanning leftwards
    // or upwards has the same edges as its mirror.
    double minX() const { return width < 0 ? x + width : x; }
    double minY() const { return height < 0 ? y + height : y; }
    double maxX() const { return width < 0 ? x : x + width; }
    double maxY() const { return height < 0 ? y : y + height; }
    double midX() const { return x + width * 0.5; }
    double midY() const { return y + height * 0.5; }
    Vector2 center() const { return {midX(), midY()}; }

    Rect united(const Rect& other) const;
    Rect offsetBy(double dx, double dy) const {
        if (isNull()) return *this;
        return {x + dx, y + dy, width, height};
    }
    // The smallest rectangle holding both points.
    static Rect spanning(Vector2 a, Vector2 b);

    friend constexpr bool operator==(const Rect&, const Rect&) = default;
};

inline Rect Rect::united(const Rect& other) const {
    if (isNull()) return other;
    if (other.isNull()) return *this;
    const double x0 = std::fmin(minX(), other.minX());
    const double y0 = std::fmin(minY(), other.minY());
    const double x1 = std::fmax(maxX(), other.maxX());
    const double y1 = std::fmax(maxY(), other.maxY());
    return {x0, y0, x1 - x0, y1 - y0};
}

inline Rect Rect::spanning(Vector2 a, Vector2 b) {
    const double x0 = std::fmin(a.x, b.x);
    const double y0 = std::fmin(a.y, b.y);
    return {x0, y0, std::fmax(a.x, b.x) - x0, std::fmax(a.y, b.y) - y0};
}

namespace Canvas {
inline constexpr Rect rect{0, 0, side, side};
}

}  // namespace icon_geometry
