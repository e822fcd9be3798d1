#pragma once

#include <optional>
#include <variant>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/face_shape.hpp"
#include "icon_geometry/pictogram.hpp"
#include "icon_geometry/vector.hpp"

namespace photo_analysis {

namespace FeatureDetection {

// The tuning of detail detection; sizes given as fractions are fractions of the
// working height H.
struct Options {
    // Height the face image is resampled to before analysis (16 at least).
    int workingHeight = 720;
    // The band along the face's outline that is ignored.
    double margin = 0.06;
    // Half side of the local background window (2 pixels at least).
    double backgroundRadius = 0.08;
    // Floor of the mark threshold, in ΔE.
    double minimumContrast = 5.0;
    // ΔE from the face's median colour beyond which a pixel is another region.
    double regionContrast = 22.0;
    // Smallest region kept, as a share of the face's inner pixels.
    double minimumRegionShare = 0.06;
    // Smallest mark kept (longest box side).
    double minimumMarkSize = 0.018;
    // Longest box side up to which a solid round mark is a dot.
    double dotMaximumSize = 0.07;
    // Recognise text on the face and drop the marks it covers.
    bool excludesText = true;

    // The working height actually used.
    int effectiveWorkingHeight() const { return workingHeight < 16 ? 16 : workingHeight; }

    friend bool operator==(const Options&, const Options&) = default;
};

}  // namespace FeatureDetection

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
