#include "mask/field_subject.hpp"

#include "platform/mask_ops.hpp"

namespace photo_analysis::cut_out {

using platform::withoutThinLines;

cv::Mat fieldSubject(const cv::Mat& rgb, const cv::Mat& distance, const BackgroundField& field,
                     const DepartureOptions& options) {
    // Averaging spreads a strong edge's departure onto the wall beside it: a
    // pixel also departs by a share of the threshold on its own.
    const double threshold = field.departure;
    cv::Mat departs = (distance > threshold) & (fieldDistance(rgb, field, 0) > options.ownShare * threshold);
    return withoutThinLines(departs);
}

}  // namespace photo_analysis::cut_out
