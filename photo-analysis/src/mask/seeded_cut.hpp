#pragma once

#include <opencv2/core.hpp>

#include "mask/wall_field.hpp"
#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis::cut_out {

// GrabCut on `rgb` started from the field's subject: certain background where
// the wall is met at the border and barely departs from the field, and on the
// shadows taken off it, certain subject deep inside the field's subject,
// probable labels between.
cv::Mat seededCut(const cv::Mat& rgb, const cv::Mat& distance, const BackgroundField& field, const cv::Mat& subject,
                  const cv::Mat& shadows, int iterations, const SeedOptions& options = {}, const TraceSink& sink = {});

}  // namespace photo_analysis::cut_out
