#pragma once

#include <opencv2/core.hpp>

namespace photo_analysis::cut_out {

// The wall as a smooth field: per channel a quadratic surface in x and y fitted
// to the border band, outliers dropped, so that light falling off across a wall
// and vignettes stay background. `noise` is the band's robust spread about it in
// 8-bit units: a few units on plain and graded walls, tens on textured ones.
struct BackgroundField {
    cv::Mat colours;  // CV_32FC3, the image's size
    double noise = 0;
};
BackgroundField fittedField(const cv::Mat& rgb, double bandShare);

// How far each pixel's colour lies from the field, after averaging the
// difference over a few pixels (a Gaussian of `sigma` pixels): CV_32F.
cv::Mat fieldDistance(const cv::Mat& rgb, const BackgroundField& field, double sigma);

// How far from the field a colour must lie to depart from the wall: a few
// spreads of the wall's noise, never less than a few levels.
double departureThreshold(const BackgroundField& field);

}  // namespace photo_analysis::cut_out
