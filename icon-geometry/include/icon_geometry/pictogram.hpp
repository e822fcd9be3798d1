#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/icon_drawing.hpp"
#include "icon_geometry/vector.hpp"

namespace icon_geometry {

// One of the small symbols printed on devices. Drawn around a centre at a size
// (the symbol's nominal extent); up is −y.
struct Pictogram {
    enum Case : unsigned char {
        power,
        chevronUp,
        chevronDown,
        chevronLeft,
        chevronRight,
        sun,
        thermometer,
        plus,
        minus,
        wifi
    };

    Case value = power;

    constexpr Pictogram() = default;
    constexpr Pictogram(Case c) : value(c) {}

    static constexpr std::array<Case, 10> allCases{power, chevronUp,   chevronDown, chevronLeft, chevronRight,
                                                   sun,   thermometer, plus,        minus,       wifi};

    // The case name, which is also its JSON form.
    std::string_view rawValue() const;
    // Exactly the ten names, case-sensitively; nothing for any other string.
    static std::optional<Pictogram> fromRawValue(std::string_view raw);

    // Strokes of weight inner and fills. The scale (canvas units per unit of the
    // drawing frame) only decides whether the sun's disc is stroked or filled.
    std::vector<IconElement> elements(Vector2 center, double size, double scale) const;
    // The paths of `elements` at scale 1, in the same order.
    std::vector<BezierPath> contours(Vector2 center, double size) const;

    // Path helpers the symbols are made of; each gives one open subpath or the empty path.
    // A polyline through centre + point × size for each unit point.
    static BezierPath polylinePath(const std::vector<Vector2>& unitPoints, Vector2 center, double size);
    // A circular arc from angle a0 to a1 (radians), in pieces of at most a quarter turn.
    static BezierPath arcPath(Vector2 center, double radius, double a0, double a1);
    static BezierPath linePath(Vector2 from, Vector2 to);

    friend constexpr bool operator==(Pictogram, Pictogram) = default;
};

}  // namespace icon_geometry

template <>
struct std::hash<icon_geometry::Pictogram> {
    std::size_t operator()(icon_geometry::Pictogram pictogram) const;
};
