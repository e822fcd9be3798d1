#pragma once

#include <optional>
#include <variant>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/face_shape.hpp"
#include "icon_geometry/pictogram.hpp"
#include "icon_geometry/vector.hpp"

namespace photo_analysis {

// One detail found on the front face, in face units: the face image's height is
// 1, its centre the origin, y downwards.
struct DetectedFeature {
    enum class Kind { dot, outline, stroke, boundary, pictogram };

    // A small solid round mark; the diameter of the circle of its area.
    struct Dot {
        icon_geometry::Vector2 center;
        double diameter = 0;
        friend bool operator==(const Dot&, const Dot&) = default;
    };
    // A closed outline, with the face shape fitted to it when there is one.
    struct Outline {
        icon_geometry::BezierPath path;
        std::optional<icon_geometry::FaceShape> shape;
        icon_geometry::Vector2 center;
        friend bool operator==(const Outline&, const Outline&) = default;
    };
    // A line along a thin mark.
    struct Stroke {
        icon_geometry::BezierPath path;
        friend bool operator==(const Stroke&, const Stroke&) = default;
    };
    // The border of a differently coloured region.
    struct Boundary {
        icon_geometry::BezierPath path;
        friend bool operator==(const Boundary&, const Boundary&) = default;
    };
    struct Pictogram {
        icon_geometry::Pictogram pictogram;
        icon_geometry::Vector2 center;
        double size = 0;
        friend bool operator==(const Pictogram&, const Pictogram&) = default;
    };

    // Alternatives in the order of Kind.
    std::variant<Dot, Outline, Stroke, Boundary, Pictogram> value;

    Kind kind() const { return static_cast<Kind>(value.index()); }

    // The outlines to draw over the face image, in face units: a dot's circle, a
    // pictogram's contours, any other feature's own path.
    std::vector<icon_geometry::BezierPath> paths() const;

    friend bool operator==(const DetectedFeature&, const DetectedFeature&) = default;
};

}  // namespace photo_analysis
