#include "mask/refined_map.hpp"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "platform/mask_ops.hpp"

namespace photo_analysis::cut_out {

using platform::guidedFilter;
using platform::WorkingPhoto;

ProbabilityMap refinedMap(const WorkingPhoto& working, const cv::Mat& subject, int width, int height,
                          const RefineOptions& options) {
    const cv::Mat& refineImage = working.refine;
    cv::Mat grey;
    cv::cvtColor(refineImage, grey, cv::COLOR_RGB2GRAY);
    grey.convertTo(grey, CV_32F, 1.0 / 255.0);
    cv::Mat soft;
    subject.convertTo(soft, CV_32F, 1.0 / 255.0);
    cv::resize(soft, soft, refineImage.size(), 0, 0, cv::INTER_LINEAR);
    const int radius =
        std::max(2, static_cast<int>(std::lround(options.radius * std::max(refineImage.cols, refineImage.rows) /
                                                 options.radiusSide)));
    soft = guidedFilter(grey, soft, radius, options.eps);

    ProbabilityMap map;
    map.width = width;
    map.height = height;
    map.format = ProbabilityMap::Format::byte;
    map.bytesPerRow = static_cast<std::size_t>(width);
    map.bytes.resize(map.bytesPerRow * static_cast<std::size_t>(height));
    cv::Mat bytes(height, width, CV_8U, map.bytes.data());
    cv::Mat softBytes;
    soft.convertTo(softBytes, CV_8U, 255.0);  // saturating, rounded
    if (softBytes.size() != bytes.size()) {
        cv::resize(softBytes, bytes, bytes.size(), 0, 0, cv::INTER_LINEAR);
    } else {
        softBytes.copyTo(bytes);
    }
    return map;
}

}  // namespace photo_analysis::cut_out
