#pragma once

#include <cmath>

#include "icon_geometry/vector.hpp"

namespace icon_geometry {

// The plane transform (x, y) -> (a·x + c·y + tx, b·x + d·y + ty).
struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static constexpr AffineTransform identity() { return {}; }
    static constexpr AffineTransform translation(double dx, double dy) { return {1, 0, 0, 1, dx, dy}; }
    static constexpr AffineTransform scale(double sx, double sy) { return {sx, 0, 0, sy, 0, 0}; }
    static AffineTransform rotation(double radians) {
        const double s = std::sin(radians);
        const double co = std::cos(radians);
        return {co, s, -s, co, 0, 0};
    }

    // t' = m · t: the other transform runs after this one.
    constexpr AffineTransform concatenating(const AffineTransform& m) const {
        return {a * m.a + b * m.c, a * m.b + b * m.d,          c * m.a + d * m.c,
                c * m.b + d * m.d, tx * m.a + ty * m.c + m.tx, tx * m.b + ty * m.d + m.ty};
    }
    // Scaling and translating in this transform's own coordinates (applied before it).
    constexpr AffineTransform scaledBy(double sx, double sy) const { return {a * sx, b * sx, c * sy, d * sy, tx, ty}; }
    constexpr AffineTransform translatedBy(double dx, double dy) const {
        return {a, b, c, d, a * dx + c * dy + tx, b * dx + d * dy + ty};
    }
    constexpr Vector2 apply(Vector2 p) const { return {a * p.x + c * p.y + tx, b * p.x + d * p.y + ty}; }

    friend constexpr bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

inline Vector2 Vector2::applying(const AffineTransform& m) const {
    return m.apply(*this);
}

}  // namespace icon_geometry
