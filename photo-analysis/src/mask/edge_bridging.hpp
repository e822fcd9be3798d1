#pragma once

#include <opencv2/core.hpp>

#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis::cut_out {

// Each loose end of a thin edge map joined by a straight line to the nearest
// other loose end within `reach` pixels, or within `straightReach` where the
// two edges run on towards each other: one straight edge broken where face
// and wall meet in the same shade. Ends left over are joined through the
// corner where their edges, run on, would meet, or across a side up to
// `sideReach` pixels long where their edges run the same way side by side;
// neither is drawn across `body`, the subject's inside, and a corner only
// where it stands out of `hull`, the inside of the subject's convex hull: a
// corner lost in the wall's shade turns the way the whole outline does, where
// two parts meeting (a pole on its foot) make a bend inwards.
void bridgeGaps(cv::Mat& edges, const cv::Mat& body, const cv::Mat& hull, double reach, double straightReach,
                double sideReach, const BridgeOptions& options = {}, const TraceSink& sink = {});

}  // namespace photo_analysis::cut_out
