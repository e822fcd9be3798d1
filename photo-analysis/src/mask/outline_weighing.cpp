#include "mask/outline_weighing.hpp"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

#include "mask/stage_trace.hpp"
#include "photo_analysis/subject_mask.hpp"

namespace photo_analysis::cut_out {

void weighOutline(const Photo& photo, const std::array<double, 3>& wall, std::vector<std::uint8_t>& coverage,
                  const WeighingOptions& options, const TraceSink& sink) {
    const int width = photo.width(), height = photo.height();
    if (photo.isEmpty() || coverage.size() != static_cast<std::size_t>(width) * height) return;
    cv::Mat mask(height, width, CV_8U, coverage.data());
    const cv::Mat inside = mask >= SubjectMask::insideThreshold;
    const cv::Rect box = cv::boundingRect(inside);
    if (box.empty()) return;
    const int reach = std::max(2, static_cast<int>(std::lround(std::max(width, height) / options.sidePerReach)));
    const cv::Rect area = (box + cv::Size(2 * reach + 2, 2 * reach + 2) - cv::Point(reach + 1, reach + 1)) &
                          cv::Rect(0, 0, width, height);
    // Departures from the wall in 8-bit units, saturated.
    cv::Mat departure(area.size(), CV_8U);
    const std::uint8_t* rgba = photo.pixels().data();
    for (int y = 0; y < area.height; ++y) {
        std::uint8_t* d = departure.ptr<std::uint8_t>(y);
        const std::uint8_t* p = rgba + (static_cast<std::size_t>(y + area.y) * width + area.x) * 4;
        for (int x = 0; x < area.width; ++x, p += 4) {
            const double uncovered = 255.0 - p[3];
            double sum = 0;
            for (int c = 0; c < 3; ++c) {
                const double v = p[c] + uncovered - wall[static_cast<std::size_t>(c)];
                sum += v * v;
            }
            d[x] = cv::saturate_cast<std::uint8_t>(std::sqrt(sum));
        }
    }
    const cv::Mat window = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(2 * reach + 1, 2 * reach + 1));
    const cv::Mat subject = inside(area);
    cv::Mat inner, innerNear, step;
    cv::erode(subject, inner, window, cv::Point(-1, -1), 1, cv::BORDER_REPLICATE);
    cv::dilate(inner, innerNear, window);
    // The least inner departure beside each pixel; pixels not inner count as full.
    cv::Mat innerDeparture(area.size(), CV_8U, cv::Scalar(255));
    departure.copyTo(innerDeparture, inner);
    cv::erode(innerDeparture, step, window);
    int weighed = 0;
    for (int y = 0; y < area.height; ++y) {
        std::uint8_t* out = mask.ptr<std::uint8_t>(y + area.y) + area.x;
        const std::uint8_t* s = subject.ptr<std::uint8_t>(y);
        const std::uint8_t* n = inner.ptr<std::uint8_t>(y);
        const std::uint8_t* near = innerNear.ptr<std::uint8_t>(y);
        const std::uint8_t* d = departure.ptr<std::uint8_t>(y);
        const std::uint8_t* full = step.ptr<std::uint8_t>(y);
        for (int x = 0; x < area.width; ++x)
            if (s[x] && !n[x] && near[x] && d[x] < full[x]) {
                out[x] = static_cast<std::uint8_t>(255 * d[x] / full[x]);
                ++weighed;
            }
    }
    if (const StageTrace trace(sink); trace)
        trace("  contour pondéré : " + traced(weighed) + " px ramenés à leur part du saut, sur " + traced(reach) +
              " px du bord");
}

}  // namespace photo_analysis::cut_out
