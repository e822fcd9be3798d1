#pragma once

// Tight bounds of curves: the extremes of each coordinate come from the roots of
// its derivative, never from the control points.

#include <cmath>

#include "icon_geometry/cubic.hpp"
#include "icon_geometry/rect.hpp"
#include "icon_geometry/vector.hpp"

namespace icon_geometry::geometry_detail {

// A running box over the points of one subpath; NaN never enters it.
struct Extent {
    double minX = INFINITY, minY = INFINITY, maxX = -INFINITY, maxY = -INFINITY;

    void add(Vector2 p) {
        if (!std::isfinite(p.x) || !std::isfinite(p.y)) return;
        minX = std::fmin(minX, p.x);
        minY = std::fmin(minY, p.y);
        maxX = std::fmax(maxX, p.x);
        maxY = std::fmax(maxY, p.y);
    }
    bool isEmpty() const { return !(minX <= maxX); }
    Rect rect() const { return isEmpty() ? Rect::null() : Rect{minX, minY, maxX - minX, maxY - minY}; }
};

inline bool isInsideUnitInterval(double t) {
    return t > 0 && t < 1;
}

// Roots in (0, 1) of a·t² + b·t + c, the derivative of one coordinate of a curve.
template <class Add>
void derivativeRoots(double a, double b, double c, Add&& add) {
    if (a == 0) {
        if (b != 0) {
            const double t = -c / b;
            if (isInsideUnitInterval(t)) add(t);
        }
        return;
    }
    const double discriminant = b * b - 4 * a * c;
    if (discriminant < 0) return;
    const double root = std::sqrt(discriminant);
    // The stable pair of roots: no cancellation between b and the root.
    const double q = b < 0 ? -0.5 * (b - root) : -0.5 * (b + root);
    const double t1 = q / a;
    if (isInsideUnitInterval(t1)) add(t1);
    if (q != 0) {
        const double t2 = c / q;
        if (isInsideUnitInterval(t2)) add(t2);
    }
}

inline Vector2 quadraticPoint(Vector2 p0, Vector2 q, Vector2 p1, double t) {
    const double mt = 1 - t;
    const double b0 = mt * mt;
    const double b1 = 2 * mt * t;
    const double b2 = t * t;
    return {b0 * p0.x + b1 * q.x + b2 * p1.x, b0 * p0.y + b1 * q.y + b2 * p1.y};
}

inline void addCubicExtremes(Extent& extent, Vector2 p0, Vector2 c1, Vector2 c2, Vector2 p1) {
    const auto addAt = [&](double t) { extent.add(Cubic::point(p0, c1, c2, p1, t)); };
    // B'(t)/3 = a·t² + b·t + c per coordinate.
    derivativeRoots(-p0.x + 3 * c1.x - 3 * c2.x + p1.x, 2 * (p0.x - 2 * c1.x + c2.x), c1.x - p0.x, addAt);
    derivativeRoots(-p0.y + 3 * c1.y - 3 * c2.y + p1.y, 2 * (p0.y - 2 * c1.y + c2.y), c1.y - p0.y, addAt);
    extent.add(p1);
}

inline void addQuadraticExtremes(Extent& extent, Vector2 p0, Vector2 q, Vector2 p1) {
    const auto addAt = [&](double t) { extent.add(quadraticPoint(p0, q, p1, t)); };
    derivativeRoots(0, 2 * (p0.x - 2 * q.x + p1.x), 2 * (q.x - p0.x), addAt);
    derivativeRoots(0, 2 * (p0.y - 2 * q.y + p1.y), 2 * (q.y - p0.y), addAt);
    extent.add(p1);
}

}  // namespace icon_geometry::geometry_detail
