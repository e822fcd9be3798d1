#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "icon_geometry/face_shape.hpp"
#include "icon_geometry/vector.hpp"

namespace photo_analysis {

using icon_geometry::FaceShape;
using icon_geometry::Vector2;

// An outline fitted to a cloud of boundary points, in the points' unit.
struct FaceFit {
    enum class Kind { ellipse, superellipse, roundedRectangle };

    Kind kind = Kind::ellipse;
    FaceShape shape;  // full sizes, centred on the origin
    Vector2 center;
    double rotation = 0;  // radians
    double rms = 0;       // root mean square signed distance of all points

    // (x, y) in the fit's own frame: centred and turned back by the rotation.
    Vector2 localPoint(double x, double y) const;

    friend bool operator==(const FaceFit&, const FaceFit&) = default;
};

std::string_view rawValue(FaceFit::Kind kind);
std::optional<FaceFit::Kind> faceFitKind(std::string_view rawValue);

namespace ShapeFitting {

// Fits need at least this many finite points.
inline constexpr std::size_t minimumPoints = 12;

// The centres of the inside pixels (coverage ≥ 128) on the mask's border or next
// to an outside pixel, row by row. Empty when the coverage does not hold
// width × height bytes.
std::vector<Vector2> boundaryPoints(int width, int height, std::span<const std::uint8_t> coverage);

// Fits ellipse, superellipse and rounded rectangle and prefers the simpler
// shapes: the ellipse, then the rounded rectangle, within 10 % of the best rms.
[[nodiscard]] std::optional<FaceFit> fit(std::span<const Vector2> points);

// One kind; absent with fewer than 12 finite points or a degenerate result.
[[nodiscard]] std::optional<FaceFit> fitKind(std::span<const Vector2> points, FaceFit::Kind kind);

// The corner radius of an axis-aligned rounded rectangle of full size
// width × height centred on the origin; absent with fewer than 8 points near its
// corners.
[[nodiscard]] std::optional<double> cornerRadius(std::span<const Vector2> points, double width, double height);

}  // namespace ShapeFitting

}  // namespace photo_analysis
