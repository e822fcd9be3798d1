#pragma once

#include <opencv2/core.hpp>

#include "mask/wall_field.hpp"
#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis::cut_out {

// The subject the field alone sees: what departs from it by more than the
// wall's own noise allows, its largest region with holes filled, without the
// thin lines leading off it (empty when nothing departs), what `leftOut`
// holds (8-bit, when given) left out. `distance` is fieldDistance's of `rgb`.
cv::Mat fieldSubject(const cv::Mat& rgb, const cv::Mat& distance, const BackgroundField& field,
                     const DepartureOptions& options = {}, const TraceSink& sink = {}, const cv::Mat& leftOut = {});

}  // namespace photo_analysis::cut_out
