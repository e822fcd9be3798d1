#include "mask/shadow_cues.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <opencv2/imgproc.hpp>

namespace photo_analysis::cut_out {

namespace {

double linearOf(double level) {
    const double c = level / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double levelOf(double linear) {
    const double c = std::clamp(linear, 0.0, 1.0);
    return 255.0 * (c <= 0.0031308 ? 12.92 * c : 1.055 * std::pow(c, 1.0 / 2.4) - 0.055);
}

// Light scales what a surface sends back, not the levels the photo encodes it
// in: the wall in shade is its linear colour times one factor, which on a
// coloured wall is no scaling of its encoded levels. Per pixel, what is left of
// the colour, in 8-bit levels, once the nearest such shade of the wall is taken
// off (`off`), and that as a share of the colour's own size (`offShare`).
void fitShades(const cv::Mat& rgb, const BackgroundField& field, cv::Mat& off, cv::Mat& offShare) {
    std::array<double, 256> linear;
    for (int v = 0; v < 256; ++v) linear[static_cast<std::size_t>(v)] = linearOf(v);
    off.create(rgb.size(), CV_32F);
    offShare.create(rgb.size(), CV_32F);
    for (int y = 0; y < rgb.rows; ++y) {
        const std::uint8_t* p = rgb.ptr<std::uint8_t>(y);
        const float* f = field.colours.ptr<float>(y);
        for (int x = 0; x < rgb.cols; ++x, p += 3, f += 3) {
            double along = 0, squared = 0, own = 0;
            std::array<double, 3> wall;
            for (std::size_t c = 0; c < 3; ++c) {
                wall[c] = linearOf(std::clamp<double>(f[c], 0.0, 255.0));
                along += linear[p[c]] * wall[c];
                squared += wall[c] * wall[c];
                own += static_cast<double>(p[c]) * p[c];
            }
            const double scale = squared > 0 ? along / squared : 0;
            double left = 0;
            for (std::size_t c = 0; c < 3; ++c) {
                const double d = p[c] - levelOf(scale * wall[c]);
                left += d * d;
            }
            off.at<float>(y, x) = static_cast<float>(std::sqrt(left));
            offShare.at<float>(y, x) = own > 0 ? static_cast<float>(std::sqrt(left / own)) : 0.0f;
        }
    }
}

}  // namespace

ShadowCues::ShadowCues(const cv::Mat& rgb, const BackgroundField& field, const cv::Mat& distance,
                       const ShadowOptions& options)
    : rgb_(rgb), field_(field), distance_(distance), options_(options) {
    // Sharp edges: a step of a pixel or two, where the slope is a large share
    // of the rise over a few pixels around; a soft shadow's ramp rises as much
    // only over many pixels.
    cv::Mat grey, smooth, dx, dy, slope, highest, lowest;
    cv::cvtColor(rgb, grey, cv::COLOR_RGB2GRAY);
    grey.convertTo(grey, CV_32F);
    cv::GaussianBlur(grey, smooth, cv::Size(0, 0), options.edgeSmoothing);
    cv::Sobel(smooth, dx, CV_32F, 1, 0, 3, 1.0 / 8.0);
    cv::Sobel(smooth, dy, CV_32F, 0, 1, 3, 1.0 / 8.0);
    cv::magnitude(dx, dy, slope);
    const cv::Mat window = cv::getStructuringElement(cv::MORPH_RECT, cv::Size(options.riseWindow, options.riseWindow));
    cv::dilate(smooth, highest, window);
    cv::erode(smooth, lowest, window);
    sharp_ = (slope > options.sharpSlope) & (slope > options.sharpShare * (highest - lowest));
    cv::dilate(sharp_, sharp_, cv::Mat());

    // Unsmoothed, so that a step's blur does not reach into a flat side beside it.
    cv::Sobel(grey, dx, CV_32F, 1, 0, 3, 1.0 / 8.0);
    cv::Sobel(grey, dy, CV_32F, 0, 1, 3, 1.0 / 8.0);
    cv::magnitude(dx, dy, ramp_);
    // Noise alone makes slopes too: a ramp rises clear of it.
    leastRamp_ = std::max(options.ramp, options.rampNoiseSpreads * field.noise);
    tintReach_ = std::max(options.tintLevels, options.tintNoiseSpreads * field.noise);

    cv::Mat offShare;
    fitShades(rgb, field, shadeOff_, offShare);
    anotherHue_ = offShare > options.anotherHue;

    // Each pixel's share of the wall's light, smoothed as the edges were, and the
    // rise of the noise in those units.
    cv::Mat wallGrey;
    cv::transform(field.colours, wallGrey, cv::Matx13f(0.299f, 0.587f, 0.114f));
    wallGrey = cv::max(wallGrey, 1.0);
    plainlyDark_ = (wallGrey - smooth) > options.castDepartures * field.departure;
    cv::divide(smooth, wallGrey, share_);
    cv::divide(std::max(options.leastRise, options.riseNoiseSpreads * field.noise), wallGrey, rise_);
}

bool ShadowCues::inWallsShade(int x, int y) const {
    const std::uint8_t* p = rgb_.ptr<std::uint8_t>(y) + 3 * x;
    const float* f = field_.colours.ptr<float>(y) + 3 * x;
    const double wall = static_cast<double>(f[0]) + f[1] + f[2];
    if (!(wall > options_.darkestWall)) return false;
    const double share = (static_cast<double>(p[0]) + p[1] + p[2]) / wall;
    if (share < options_.darkest || share > options_.lightest) return false;
    return shadeOff_.at<float>(y, x) <= tintReach_;
}

bool ShadowCues::barelyDark(int x, int y, double spreads) const {
    const std::uint8_t* p = rgb_.ptr<std::uint8_t>(y) + 3 * x;
    const float* f = field_.colours.ptr<float>(y) + 3 * x;
    const double darkening = (static_cast<double>(f[0]) + f[1] + f[2] - p[0] - p[1] - p[2]) / 3.0;
    return darkening < spreads * field_.departure;
}

}  // namespace photo_analysis::cut_out
