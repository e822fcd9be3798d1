#pragma once

#include <opencv2/core.hpp>

#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis::cut_out {

// The pieces of `rest` (outside the outline, 8-bit, the size of `image`) that
// are not the device's shade: a piece whose rim against the wall mostly runs
// along no edge of the photo, and whose colour is the wall's beside it, only
// darker, is a soft shadow; a side of the body has an edge or a colour of
// its own. `subject` is the whole subject, `edges` the photo's edges and
// `reach` the outline grown by the pixel or two the subject may run past it.
cv::Mat withoutSoftShade(const cv::Mat& image, const cv::Mat& rest, const cv::Mat& subject, const cv::Mat& edges,
                         const cv::Mat& reach, const SoftShadeOptions& options = {}, const TraceSink& sink = {});

}  // namespace photo_analysis::cut_out
