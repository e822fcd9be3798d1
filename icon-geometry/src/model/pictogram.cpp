#include "icon_geometry/pictogram.hpp"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <string_view>

#include "icon_geometry/cubic.hpp"
#include "icon_geometry/face_shape.hpp"
#include "icon_geometry/pictogram_coding.hpp"

namespace icon_geometry {
namespace {

using std::numbers::pi;
constexpr double halfPi = 1.5707963267948966;

constexpr std::array<std::string_view, 10> names{"power", "chevronUp",   "chevronDown", "chevronLeft", "chevronRight",
                                                 "sun",   "thermometer", "plus",        "minus",       "wifi"};

// Far more pieces than any drawing needs; a sweep beyond it is not an arc to draw.
constexpr double maximumArcPieces = 1e6;

IconElement inner(BezierPath path) {
    return IconElement::stroke(std::move(path), StrokeWeight::inner());
}

BezierPath circle(double diameter, Vector2 center) {
    return FaceShape::ellipsePath(diameter, diameter).translated(center.x, center.y);
}

std::vector<IconElement> chevron(const std::vector<Vector2>& unitPoints, Vector2 c, double s) {
    return {inner(Pictogram::polylinePath(unitPoints, c, s))};
}

}  // namespace

std::string_view Pictogram::rawValue() const {
    return names[value];
}

std::optional<Pictogram> Pictogram::fromRawValue(std::string_view raw) {
    for (const Case c : allCases)
        if (names[c] == raw) return Pictogram(c);
    return std::nullopt;
}

BezierPath Pictogram::polylinePath(const std::vector<Vector2>& unitPoints, Vector2 center, double size) {
    PathBuilder b;
    if (unitPoints.empty()) return b.finish();
    b.moveTo(center + unitPoints.front() * size);
    for (std::size_t i = 1; i < unitPoints.size(); ++i) b.lineTo(center + unitPoints[i] * size);
    return b.finish();
}

BezierPath Pictogram::linePath(Vector2 from, Vector2 to) {
    PathBuilder b;
    b.moveTo(from);
    b.lineTo(to);
    return b.finish();
}

BezierPath Pictogram::arcPath(Vector2 center, double radius, double a0, double a1) {
    const double n = std::ceil(std::abs(a1 - a0) / halfPi - 1e-9);
    // Non-finite input would give non-finite points or an unbounded piece count.
    if (!std::isfinite(center.x) || !std::isfinite(center.y) || !std::isfinite(radius) || !(n <= maximumArcPieces))
        return {};
    const long long pieces = std::max(static_cast<long long>(n), 1LL);
    const double delta = (a1 - a0) / static_cast<double>(pieces);
    const double h = radius * Cubic::arcHandle(delta);
    const auto at = [&](double a) { return Vector2{center.x + radius * std::cos(a), center.y + radius * std::sin(a)}; };

    PathBuilder b;
    b.moveTo(at(a0));
    for (long long i = 0; i < pieces; ++i) {
        const double start = a0 + delta * static_cast<double>(i);
        const double end = delta + start;
        const Vector2 c1 = at(start) + Vector2{-std::sin(start), std::cos(start)} * h;
        const Vector2 c2 = at(end) - Vector2{-std::sin(end), std::cos(end)} * h;
        b.curveTo(at(end), c1, c2);
    }
    return b.finish();
}

std::vector<IconElement> Pictogram::elements(Vector2 c, double s, double scale) const {
    switch (value) {
        case power:
            return {inner(arcPath(c, s * 0.4, -0.9707963267948966, 4.11238898038469)),
                    inner(polylinePath({{0, -0.5}, {0, -0.05}}, c, s))};
        case chevronUp:
            return chevron({{-0.5, 0.25}, {0, -0.25}, {0.5, 0.25}}, c, s);
        case chevronDown:
            return chevron({{-0.5, -0.25}, {0, 0.25}, {0.5, -0.25}}, c, s);
        case chevronLeft:
            return chevron({{0.25, -0.5}, {-0.25, 0}, {0.25, 0.5}}, c, s);
        case chevronRight:
            return chevron({{-0.25, -0.5}, {0.25, 0}, {-0.25, 0.5}}, c, s);
        case sun: {
            std::vector<IconElement> result;
            const double disc = s * 0.34;
            BezierPath discPath = circle(disc, c);
            // A disc drawn large enough reads better as a ring.
            result.push_back(disc * scale >= 50 ? inner(std::move(discPath)) : IconElement::fill(std::move(discPath)));
            for (int i = 0; i < 8; ++i) {
                const double a = i * pi * 0.25;
                const double ca = std::cos(a);
                const double sa = std::sin(a);
                result.push_back(inner(
                    linePath({c.x + s * 0.36 * ca, c.y + s * 0.36 * sa}, {c.x + s * 0.5 * ca, c.y + s * 0.5 * sa})));
            }
            return result;
        }
        case thermometer: {
            const double w = s * 0.28;
            const double h = s * 0.8;
            return {inner(FaceShape::roundedRectanglePath(w, h, std::min(h, w) * 0.5).translated(c.x, c.y + s * -0.1)),
                    IconElement::fill(circle(s * 0.42, {c.x, c.y + s * 0.29}))};
        }
        case plus:
            return {inner(polylinePath({{-0.5, 0}, {0.5, 0}}, c, s)), inner(polylinePath({{0, -0.5}, {0, 0.5}}, c, s))};
        case minus:
            return {inner(polylinePath({{-0.5, 0}, {0.5, 0}}, c, s))};
        case wifi: {
            const Vector2 focus{c.x, c.y + s * 0.4};
            std::vector<IconElement> result;
            for (const double r : {s * 0.3 * 0.95, s * 0.6 * 0.95, s * 0.9 * 0.95})
                result.push_back(inner(arcPath(focus, r, -2.3207963267948966, -0.8207963267948966)));
            result.push_back(IconElement::fill(circle(s * 0.16, focus)));
            return result;
        }
    }
    return {};
}

std::vector<BezierPath> Pictogram::contours(Vector2 center, double size) const {
    std::vector<BezierPath> paths;
    for (const IconElement& e : elements(center, size, 1)) paths.push_back(e.path());
    return paths;
}

}  // namespace icon_geometry

std::size_t std::hash<icon_geometry::Pictogram>::operator()(icon_geometry::Pictogram pictogram) const {
    return std::hash<std::string_view>{}(pictogram.rawValue());
}

namespace icon_geometry::json {

Pictogram Coding<Pictogram>::decode(const Decoder& d) {
    const std::size_t index = d.rawValue({"power", "chevronUp", "chevronDown", "chevronLeft", "chevronRight", "sun",
                                          "thermometer", "plus", "minus", "wifi"});
    return Pictogram(Pictogram::allCases[index]);
}

Tree Coding<Pictogram>::encode(Pictogram pictogram) {
    return std::string(pictogram.rawValue());
}

}  // namespace icon_geometry::json
