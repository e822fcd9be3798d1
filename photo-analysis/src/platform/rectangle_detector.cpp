#include "platform/rectangle_detector.hpp"

namespace photo_analysis {

std::optional<std::vector<RectangleObservation>> SegmentRectangleDetector::detect(const Photo&, const SubjectMask&,
                                                                                  const RectangleRequest&) const {
    return std::nullopt;
}

}  // namespace photo_analysis
