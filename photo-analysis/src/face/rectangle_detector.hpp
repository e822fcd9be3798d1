#pragma once

#include <limits>
#include <optional>
#include <vector>

#include "icon_geometry/vector.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/subject_mask.hpp"

// Quadrilaterals proposed on a photo: our stand-in for the platform's
// rectangle detection, behind an interface so that the scoring can be fed lists.
// Everything is in photo pixels, x right, y down.
namespace photo_analysis {

using icon_geometry::Vector2;

struct RectangleRequest {
    // The stretch of the photo looked at, by its edges, rounded outward to whole
    // pixels and clipped to the photo.
    struct Region {
        double left = 0;
        double top = 0;
        double right = std::numeric_limits<double>::max();
        double bottom = std::numeric_limits<double>::max();
    };

    double minimumAspectRatio = 0.2;  // short side ÷ long side
    double maximumAspectRatio = 1.0;
    double minimumSize = 0.25;        // smaller side ÷ the region's smaller side
    double quadratureTolerance = 35;  // degrees from a right angle at every corner
    double minimumConfidence = 0.4;
    int maximumObservations = 12;
    Region regionOfInterest;
};

// Corners in photo pixels, clockwise on screen from the one nearest the top left.
struct RectangleObservation {
    Vector2 topLeft;
    Vector2 topRight;
    Vector2 bottomRight;
    Vector2 bottomLeft;
    double confidence = 0;
};

class RectangleDetector {
public:
    virtual ~RectangleDetector() = default;
    // Up to maximumObservations quadrilaterals, best first; absent when the
    // detection fails.
    virtual std::optional<std::vector<RectangleObservation>> detect(const Photo& photo, const SubjectMask& mask,
                                                                    const RectangleRequest& request) const = 0;
};

// Ours: straight image edges (LSD segments of the grey region of interest) and
// straight runs of the subject's silhouette, closed into quadrilaterals.
class SegmentRectangleDetector final : public RectangleDetector {
public:
    std::optional<std::vector<RectangleObservation>> detect(const Photo& photo, const SubjectMask& mask,
                                                            const RectangleRequest& request) const override;
};

}  // namespace photo_analysis
