#pragma once

#include <opencv2/core.hpp>

#include "photo_analysis/cut_out_options.hpp"

namespace photo_analysis::cut_out {

// The wall as a smooth field: per channel a quadratic surface in x and y fitted
// to the border band, outliers dropped, so that light falling off across a wall
// and vignettes stay background. `noise` is the band's robust spread about it in
// 8-bit units: a few units on plain and graded walls, tens on textured ones.
// `departure` is how far from the field a colour must lie to depart from the
// wall: a few spreads of that noise, never less than a few levels.
struct BackgroundField {
    cv::Mat colours;  // CV_32FC3, the image's size
    double noise = 0;
    double departure = 0;
};
// The field fitted to a band of `bandShare` of the longer side along the border.
BackgroundField fittedField(const cv::Mat& rgb, double bandShare, const FieldOptions& options = {});

// How far each pixel's colour lies from the field, after averaging the
// difference over a few pixels (a Gaussian of `sigma` pixels): CV_32F.
cv::Mat fieldDistance(const cv::Mat& rgb, const BackgroundField& field, double sigma);

}  // namespace photo_analysis::cut_out
