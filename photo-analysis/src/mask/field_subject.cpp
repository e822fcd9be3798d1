#include "mask/field_subject.hpp"

#include "mask/stage_trace.hpp"
#include "platform/mask_ops.hpp"

namespace photo_analysis::cut_out {

using platform::withoutThinLines;

cv::Mat fieldSubject(const cv::Mat& rgb, const cv::Mat& distance, const BackgroundField& field,
                     const DepartureOptions& options, const TraceSink& sink, const cv::Mat& leftOut) {
    // Averaging spreads a strong edge's departure onto the wall beside it: a
    // pixel also departs by a share of the threshold on its own.
    const double threshold = field.departure;
    cv::Mat departs = (distance > threshold) & (fieldDistance(rgb, field, 0) > options.ownShare * threshold);
    if (!leftOut.empty()) departs &= ~leftOut;
    cv::Mat subject = withoutThinLines(departs);
    if (const StageTrace trace(sink); trace)
        trace("  s'écarte du champ de plus de " + traced(threshold) + " : " + traced(cv::countNonZero(departs)) +
              " px, " + traced(cv::countNonZero(subject)) + " dans la plus grande région sans ses lignes minces");
    return subject;
}

}  // namespace photo_analysis::cut_out
