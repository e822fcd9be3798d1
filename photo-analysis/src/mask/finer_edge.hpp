#pragma once

#include <opencv2/core.hpp>

#include "mask/wall_field.hpp"
#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/trace_sink.hpp"
#include "platform/working_photo.hpp"

namespace photo_analysis::cut_out {

// The field's subject taken again at the refining size, near the one found at
// the working size (`subject`), for edges finer than a working pixel; the
// departure averaged over `smoothing` working pixels. Nothing of `shadows` (at
// the working size, the soft shadows taken off the subject) is taken back: they
// depart from the wall as much as the device.
cv::Mat finerFieldSubject(const platform::WorkingPhoto& working, const BackgroundField& field, const cv::Mat& subject,
                          double smoothing, const FinerEdgeOptions& options = {}, const TraceSink& sink = {},
                          const cv::Mat& shadows = {});

}  // namespace photo_analysis::cut_out
