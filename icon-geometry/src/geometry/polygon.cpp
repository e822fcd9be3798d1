#include "icon_geometry/polygon.hpp"

#include <algorithm>

namespace icon_geometry {

double signedArea(std::span<const Vector2> points) {
    const std::size_t n = points.size();
    if (n < 3) return 0;
    double sum = 0;
    for (std::size_t i = 0; i < n; ++i) {
        const Vector2 a = points[i];
        const Vector2 b = points[(i + 1) % n];
        sum += a.x * b.y - b.x * a.y;
    }
    return 0.5 * sum;
}

double segmentDistance(Vector2 p, Vector2 a, Vector2 b) {
    const Vector2 ab = b - a;
    const double squared = ab.dot(ab);
    const double t = squared > 0 ? std::clamp((p - a).dot(ab) / squared, 0.0, 1.0) : 0.0;
    return p.distance(a + ab * t);
}

}  // namespace icon_geometry
