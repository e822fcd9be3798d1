#pragma once

#include <opencv2/core.hpp>

#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis::cut_out {

// What lies just outside the outline in a colour no blur of the wall and the
// subject beside it makes, nor a shadow on the wall: a side of another hue whose
// edge with the wall the grey edges miss (a grey side on a blue wall of its
// shade). The wall and the subject are the mean colours of each within a few
// pixels.
cv::Mat sideOfAnotherHue(const cv::Mat& image, const cv::Mat& outline, const HueSideOptions& options = {},
                         const TraceSink& sink = {});

}  // namespace photo_analysis::cut_out
