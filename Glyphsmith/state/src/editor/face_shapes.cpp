#include "face_shapes.hpp"

#include <algorithm>
#include <cmath>
#include <type_traits>
#include <variant>
#include <vector>

namespace glyphsmith_state {

using icon_geometry::FaceShape;
using icon_geometry::Rect;
using icon_geometry::Vector2;

Rect outlineBox(const FaceShape& face) {
    return face.outline().bounds();
}

FaceSize storedFaceSize(const FaceShape& face) {
    return std::visit(
        [&](const auto& shape) -> FaceSize {
            if constexpr (requires { shape.width; }) {
                return {shape.width, shape.height};
            } else {
                const Rect box = outlineBox(face);
                return {box.width, box.height};
            }
        },
        face.value);
}

double clampedOr(double value, double low, double high, double otherwise) {
    return std::isfinite(value) ? std::min(std::max(value, low), high) : otherwise;
}

double clampedFaceSize(double value) {
    return clampedOr(value, 1, 10000, 1);
}
double clampedCornerRadius(double value) {
    return clampedOr(value, 0, 10000, 0);
}
double clampedExponent(double value) {
    return clampedOr(value, 1.2, 100, 1.2);
}

ShapeKind shapeKindOf(const FaceShape& face) {
    if (std::holds_alternative<FaceShape::Superellipse>(face.value)) return ShapeKind::superellipse;
    if (std::holds_alternative<FaceShape::Ellipse>(face.value)) return ShapeKind::ellipse;
    if (std::holds_alternative<FaceShape::Capsule>(face.value)) return ShapeKind::capsule;
    return ShapeKind::roundedRectangle;
}

FaceShape faceOfKind(ShapeKind kind, double width, double height) {
    switch (kind.value) {
        case ShapeKind::superellipse:
            return FaceShape::superellipse(width, height, 4);
        case ShapeKind::ellipse:
            return FaceShape::ellipse(width, height);
        case ShapeKind::capsule:
            return FaceShape::capsule(width, height);
        case ShapeKind::roundedRectangle:
            break;
    }
    return FaceShape::roundedRectangle(width, height, 0.08 * std::min(width, height));
}

FaceShape resizedFace(const FaceShape& face, double width, double height) {
    FaceShape resized = face;
    std::visit(
        [&](auto& shape) {
            if constexpr (requires { shape.width; }) {
                shape.width = width;
                shape.height = height;
            } else {
                // A flat polygon divides by zero here; the storability check refuses the result.
                const Rect box = outlineBox(face);
                const double sx = width / box.width;
                const double sy = height / box.height;
                for (Vector2& v : shape.vertices) v = {v.x * sx, v.y * sy};
            }
        },
        resized.value);
    return resized;
}

double shapeParameter(const FaceShape& face) {
    if (const auto* r = std::get_if<FaceShape::RoundedRectangle>(&face.value)) return r->cornerRadius;
    if (const auto* s = std::get_if<FaceShape::Superellipse>(&face.value)) return s->exponent;
    return 0;
}

std::optional<FaceShape> withShapeParameter(const FaceShape& face, double value) {
    const auto [w, h] = storedFaceSize(face);
    if (std::holds_alternative<FaceShape::RoundedRectangle>(face.value))
        return FaceShape::roundedRectangle(w, h, clampedCornerRadius(value));
    if (std::holds_alternative<FaceShape::Superellipse>(face.value))
        return FaceShape::superellipse(w, h, clampedExponent(value));
    return std::nullopt;
}

std::optional<FaceShape> scaledFit(const FaceShape& fit, double scale) {
    if (!(std::isfinite(scale) && scale > 0)) return std::nullopt;
    return std::visit(
        [&](const auto& shape) -> std::optional<FaceShape> {
            using Shape = std::decay_t<decltype(shape)>;
            if constexpr (std::is_same_v<Shape, FaceShape::RoundedRectangle>) {
                return FaceShape::roundedRectangle(clampedFaceSize(shape.width * scale),
                                                   clampedFaceSize(shape.height * scale),
                                                   clampedCornerRadius(shape.cornerRadius * scale));
            } else if constexpr (std::is_same_v<Shape, FaceShape::Superellipse>) {
                return FaceShape::superellipse(clampedFaceSize(shape.width * scale),
                                               clampedFaceSize(shape.height * scale), clampedExponent(shape.exponent));
            } else if constexpr (std::is_same_v<Shape, FaceShape::Ellipse>) {
                return FaceShape::ellipse(clampedFaceSize(shape.width * scale), clampedFaceSize(shape.height * scale));
            } else if constexpr (std::is_same_v<Shape, FaceShape::Capsule>) {
                return FaceShape::capsule(clampedFaceSize(shape.width * scale), clampedFaceSize(shape.height * scale));
            } else {
                // The model's own bounds check refuses a polygon grown past its limits.
                std::vector<Vector2> vertices = shape.vertices;
                for (Vector2& v : vertices) v = {v.x * scale, v.y * scale};
                return FaceShape::roundedPolygon(std::move(vertices), clampedCornerRadius(shape.cornerRadius * scale));
            }
        },
        fit.value);
}

}  // namespace glyphsmith_state
