#pragma once

#include <opencv2/core.hpp>
#include <vector>

// The OpenCV operations the cut-out's stages run on: GrabCut, the guided
// filter and the clean-ups of binary regions.
namespace photo_analysis::platform {

// GrabCut from the given labels (cv::GC_*), a function of its input alone: its
// colour models are seeded from a fixed generator, the caller's put back after.
void grabCutFromLabels(const cv::Mat& rgb, cv::Mat& labels, int iterations);

// Edge-aware smoothing of a soft mask (CV_32F) with the photo's grey levels
// (CV_32F) as guide, over windows of 2 × radius + 1 pixels.
cv::Mat guidedFilter(const cv::Mat& guide, const cv::Mat& source, int radius, double eps);

// The largest 4-connected region of the binary mask, with its enclosed holes filled.
cv::Mat largestFilled(const cv::Mat& binary);

// The largest region of the binary mask, holes filled, without the lines a
// pixel or two wide that lead off it: a board's seam, a crack or a skirting's
// edge that departs from the wall too must not tie the wall to the device.
cv::Mat withoutThinLines(const cv::Mat& binary);

// Which of `count` labelled regions (CV_32S labels) reach the image's border.
std::vector<char> regionsOnBorder(const cv::Mat& regions, int count);

}  // namespace photo_analysis::platform
