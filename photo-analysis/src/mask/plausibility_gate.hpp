#pragma once

#include <cstdint>
#include <opencv2/core.hpp>
#include <vector>

#include "mask/wall_model.hpp"
#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis::cut_out {

// Whether a segmentation looks like one device in front of a background: `raw`
// is the segmenter's subject (8-bit, 255 inside), `subject` its largest region
// with holes filled, both at the size of `image` (8-bit RGB). It judges the
// result, whatever found it, by what tells a device from a wall: its size, the
// borders it holds, how it stands out from the wall right next to it, and on a
// textured wall whether it is of other stuff than the wall. A device may have
// any shape and any colour.
// The verdict and what decided it are traced under FACE_DEBUG.
bool plausibleSubject(const cv::Mat& image, const cv::Mat& raw, const cv::Mat& subject, const GateOptions& options = {},
                      const TraceSink& sink = {});
// A mask at the photo's size judged by the plausibility gate at the working size.
bool plausibleMask(const WallModel& model, const std::vector<std::uint8_t>& coverage, int width, int height,
                   const GateOptions& options = {}, const TraceSink& sink = {});

}  // namespace photo_analysis::cut_out
