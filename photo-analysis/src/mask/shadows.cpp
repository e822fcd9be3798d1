#include "mask/shadows.hpp"

#include <cstdint>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "mask/stage_trace.hpp"
#include "platform/mask_ops.hpp"

namespace photo_analysis::cut_out {

using platform::largestFilled;
using platform::WorkingPhoto;

cv::Mat withoutShadows(const WorkingPhoto& working, const BackgroundField& field, const cv::Mat& subject,
                       const ShadowOptions& options, const TraceSink& sink) {
    const cv::Mat& small = working.small;
    // Sharp edges: a step of a pixel or two, where the slope is a large share
    // of the rise over a few pixels around; a soft shadow's ramp rises as much
    // only over many pixels.
    cv::Mat grey, smooth, dx, dy, slope, highest, lowest;
    cv::cvtColor(small, grey, cv::COLOR_RGB2GRAY);
    grey.convertTo(grey, CV_32F);
    cv::GaussianBlur(grey, smooth, cv::Size(0, 0), options.edgeSmoothing);
    cv::Sobel(smooth, dx, CV_32F, 1, 0, 3, 1.0 / 8.0);
    cv::Sobel(smooth, dy, CV_32F, 0, 1, 3, 1.0 / 8.0);
    cv::magnitude(dx, dy, slope);
    const cv::Mat window = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(options.riseWindow, options.riseWindow));
    cv::dilate(smooth, highest, window);
    cv::erode(smooth, lowest, window);
    cv::Mat sharp = (slope > options.sharpSlope) & (slope > options.sharpShare * (highest - lowest));
    cv::dilate(sharp, sharp, cv::Mat());

    // Unsmoothed, so that a step's blur does not reach into a flat side beside it.
    cv::Mat ramp;
    cv::Sobel(grey, dx, CV_32F, 1, 0, 3, 1.0 / 8.0);
    cv::Sobel(grey, dy, CV_32F, 0, 1, 3, 1.0 / 8.0);
    cv::magnitude(dx, dy, ramp);

    // Noise alone makes slopes too: a ramp rises clear of it.
    const double leastRamp = std::max(options.ramp, options.rampNoiseSpreads * field.noise);

    // Pixels of the subject that may be shadow: on a ramp without a sharp edge,
    // darker than the field, in its tint.
    const auto shadowLike = [&](int x, int y) {
        if (sharp.at<std::uint8_t>(y, x)) return false;
        const std::uint8_t* p = small.ptr<std::uint8_t>(y) + 3 * x;
        const float* f = field.colours.ptr<float>(y) + 3 * x;
        const double wall = static_cast<double>(f[0]) + f[1] + f[2];
        if (!(wall > options.darkestWall)) return false;
        const double share = (static_cast<double>(p[0]) + p[1] + p[2]) / wall;
        if (share < options.darkest || share > options.lightest) return false;
        // The shadow's faint outer fringe is all but flat: there, a pixel
        // barely darker than the wall passes without the ramp.
        const double darkening = (wall - (static_cast<double>(p[0]) + p[1] + p[2])) / 3.0;
        if (ramp.at<float>(y, x) < leastRamp && darkening >= options.fringeSpreads * field.departure) return false;
        for (int c = 0; c < 3; ++c)
            if (f[c] > options.leastTintLevel && std::abs(p[c] / static_cast<double>(f[c]) - share) > options.tint)
                return false;
        return true;
    };
    cv::Mat peeled = cv::Mat::zeros(small.size(), CV_8U);
    std::vector<cv::Point> stack;
    const auto visit = [&](int x, int y) {
        if (x < 0 || y < 0 || x >= small.cols || y >= small.rows) return;
        if (!subject.at<std::uint8_t>(y, x) || peeled.at<std::uint8_t>(y, x)) return;
        if (!shadowLike(x, y)) return;
        peeled.at<std::uint8_t>(y, x) = 255;
        stack.push_back({x, y});
    };
    for (int y = 0; y < small.rows; ++y)
        for (int x = 0; x < small.cols; ++x)
            if (!subject.at<std::uint8_t>(y, x)) {
                visit(x + 1, y);
                visit(x - 1, y);
                visit(x, y + 1);
                visit(x, y - 1);
            }
    while (!stack.empty()) {
        const cv::Point p = stack.back();
        stack.pop_back();
        visit(p.x + 1, p.y);
        visit(p.x - 1, p.y);
        visit(p.x, p.y + 1);
        visit(p.x, p.y - 1);
    }
    const int peel = cv::countNonZero(peeled), whole = cv::countNonZero(subject);
    const StageTrace trace(sink);
    if (peel > options.largestPeel * whole) {
        if (trace)
            trace("  ombres : " + traced(peel) + " px sur " + traced(whole) + ", plus de " +
                  percent(options.largestPeel) + " : le sujet lui-même, gardé entier");
        return subject;
    }
    if (trace) trace("  ombres : " + traced(peel) + " px ôtés sur " + traced(whole));
    return largestFilled(subject & ~peeled);
}

}  // namespace photo_analysis::cut_out
