#pragma once

#include <optional>
#include <vector>

#include "icon_geometry/rect.hpp"
#include "photo_analysis/face_rectification.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/subject_mask.hpp"

// Quadrilaterals proposed on a photo: the rectangle-detection service of the
// original platform, behind an interface so that the scoring can be fed lists.
namespace photo_analysis {

struct RectangleRequest {
    double minimumAspectRatio = 0.2;  // short side ÷ long side
    double maximumAspectRatio = 1.0;
    double minimumSize = 0.25;        // smaller side ÷ the region's smaller side
    double quadratureTolerance = 35;  // degrees from a right angle at every corner
    double minimumConfidence = 0.4;
    int maximumObservations = 12;
    // Normalised image coordinates: 0…1, origin at the bottom left.
    icon_geometry::Rect regionOfInterest{0, 0, 1, 1};
};

// Corners in normalised image coordinates (origin at the bottom left).
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
