#include "platform/subject_gate.hpp"

#include <algorithm>
#include <cmath>
#include <opencv2/imgproc.hpp>

namespace photo_analysis::platform {

namespace {

// Limits of a plausible subject.
constexpr double minimumShare = 0.01;
constexpr double maximumShare = 0.90;
constexpr double borderHeld = 0.10;       // a border line counts as held from this share on
constexpr int maximumBordersHeld = 2;     // three or four held borders: the background itself
constexpr double minimumKeptShare = 0.5;  // the largest region against all the subject found
constexpr double minimumContrast = 10.0;  // mean colour distance, subject to background, 8-bit units

double heldShare(const cv::Mat& line) {
    return static_cast<double>(cv::countNonZero(line)) / line.total();
}

}  // namespace

bool plausibleSubject(const cv::Mat& image, const cv::Mat& raw, const cv::Mat& subject) {
    const double area = static_cast<double>(subject.total());
    const double kept = cv::countNonZero(subject);
    const double share = kept / area;
    if (share < minimumShare || share > maximumShare) return false;

    const int held =
        (heldShare(subject.row(0)) >= borderHeld) + (heldShare(subject.row(subject.rows - 1)) >= borderHeld) +
        (heldShare(subject.col(0)) >= borderHeld) + (heldShare(subject.col(subject.cols - 1)) >= borderHeld);
    if (held > maximumBordersHeld) return false;

    // Scattered pieces, as GrabCut finds in noise.
    const double found = cv::countNonZero(raw);
    if (found <= 0 || kept / found < minimumKeptShare) return false;

    // A subject that looks like its background is no subject.
    const cv::Scalar inside = cv::mean(image, subject);
    const cv::Scalar outside = cv::mean(image, subject == 0);
    const double contrast = std::sqrt((inside[0] - outside[0]) * (inside[0] - outside[0]) +
                                      (inside[1] - outside[1]) * (inside[1] - outside[1]) +
                                      (inside[2] - outside[2]) * (inside[2] - outside[2]));
    return contrast >= minimumContrast;
}

}  // namespace photo_analysis::platform
