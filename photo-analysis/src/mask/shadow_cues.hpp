#pragma once

#include <opencv2/core.hpp>

#include "mask/wall_field.hpp"
#include "photo_analysis/cut_out_options.hpp"

namespace photo_analysis::cut_out {

// What tells a shadow from a device at the working size, pixel by pixel: the
// photo read against the wall's field. A shadow is the wall in less light, of
// the wall's hue and darker, and soft: a ramp, never a sharp step.
class ShadowCues {
public:
    // `distance` is fieldDistance's of `rgb`, as the subject was found with.
    ShadowCues(const cv::Mat& rgb, const BackgroundField& field, const cv::Mat& distance, const ShadowOptions& options);

    int width() const { return rgb_.cols; }
    int height() const { return rgb_.rows; }
    bool inside(int x, int y) const { return x >= 0 && y >= 0 && x < rgb_.cols && y < rgb_.rows; }

    // Departs from the wall by more than its noise allows.
    bool departs(int x, int y) const { return distance_.at<float>(y, x) > field_.departure; }
    // On a step of a pixel or two, as a device's outline is, and a soft shadow's never.
    bool sharp(int x, int y) const { return sharp_.at<std::uint8_t>(y, x) != 0; }
    const cv::Mat& sharpEdges() const { return sharp_; }
    // On a ramp: its brightness changes faster than a flat side's and than noise makes it.
    bool onRamp(int x, int y) const { return !(ramp_.at<float>(y, x) < leastRamp_); }
    // In the wall's shade: darker than the field, in its own colour, what is
    // left once the wall's nearest shade is taken off lying within the noise.
    bool inWallsShade(int x, int y) const;
    // Of a hue of its own, not the wall's at any brightness.
    bool ofAnotherHue(int x, int y) const { return anotherHue_.at<std::uint8_t>(y, x) != 0; }
    const cv::Mat& anotherHue() const { return anotherHue_; }
    // Darker than the wall plainly, as a shadow cast on it is: by a few
    // departure thresholds.
    bool plainlyDark(int x, int y) const { return plainlyDark_.at<std::uint8_t>(y, x) != 0; }
    // Darker than the wall by under `spreads` departure thresholds, as a
    // shadow's faint fringe is.
    bool barelyDark(int x, int y, double spreads) const;
    // The pixel's share of the wall's light, smoothed as the edges were, and
    // the rise noise makes in it.
    float share(int x, int y) const { return share_.at<float>(y, x); }
    float rise(int x, int y) const { return rise_.at<float>(y, x); }

private:
    const cv::Mat& rgb_;
    const BackgroundField& field_;
    const cv::Mat& distance_;
    ShadowOptions options_;
    cv::Mat sharp_, ramp_, share_, rise_, shadeOff_, anotherHue_, plainlyDark_;
    double leastRamp_ = 0, tintReach_ = 0;
};

}  // namespace photo_analysis::cut_out
