#pragma once

#include <opencv2/core.hpp>

#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/segmenter.hpp"
#include "platform/working_photo.hpp"

namespace photo_analysis::cut_out {

// A subject found at the small or the refining size brought back to the
// photo's size as a soft mask, its edges snapped to the photo's own with a
// guided filter at the refining size.
ProbabilityMap refinedMap(const platform::WorkingPhoto& working, const cv::Mat& subject, int width, int height,
                          const RefineOptions& options = {});

}  // namespace photo_analysis::cut_out
