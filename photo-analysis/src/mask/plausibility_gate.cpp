#include "mask/plausibility_gate.hpp"

#include <opencv2/imgproc.hpp>

#include "platform/mask_ops.hpp"
#include "platform/subject_gate.hpp"

namespace photo_analysis::cut_out {

using platform::largestFilled;
using platform::plausibleSubject;

bool plausibleMask(const WallModel& model, const std::vector<std::uint8_t>& coverage, int width, int height) {
    const cv::Mat& small = model.working.small;
    if (small.empty() || coverage.size() != static_cast<std::size_t>(width) * height) return false;
    const cv::Mat full(height, width, CV_8U, const_cast<std::uint8_t*>(coverage.data()));
    cv::Mat shrunk;
    cv::resize(full, shrunk, small.size(), 0, 0, cv::INTER_AREA);
    const cv::Mat subject = largestFilled(shrunk >= 128);
    return cv::countNonZero(subject) > 0 && plausibleSubject(small, subject, subject);
}

}  // namespace photo_analysis::cut_out
