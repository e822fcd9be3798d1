#pragma once

#include <opencv2/core.hpp>

namespace photo_analysis::platform {

// Whether a segmentation looks like one device in front of a background: `raw`
// is the segmenter's subject (8-bit, 255 inside), `subject` its largest region
// with holes filled, both at the size of `image` (8-bit RGB). It judges the
// result, whatever found it: its size, the borders it holds, how it stands out
// from the wall right next to it, and its outline (a device is compact; a
// flower's petals or a texture's blob are not).
bool plausibleSubject(const cv::Mat& image, const cv::Mat& raw, const cv::Mat& subject);

}  // namespace photo_analysis::platform
