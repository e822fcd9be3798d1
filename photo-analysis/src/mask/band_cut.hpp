#pragma once

#include <opencv2/core.hpp>

#include "photo_analysis/trace_sink.hpp"

// The route for a textured wall, where the field does not hold.
namespace photo_analysis::cut_out {

// The share of the inside in colours (bins of 32 levels a channel) at least
// twice as common there as in the border band. A subject brings colours the
// wall shows less of, all in one place; a texture filling the frame is the same
// inside as along its border, but for a stray grain or two.
double foreignShare(const cv::Mat& rgb, double borderBand);

// GrabCut started from a band of probable background along the border and
// probable subject inside: no certain labels, so a subject cut by the photo's
// edge can keep its part there. The photo is first widened by fixed noise of
// `dither` levels. The largest region, holes filled, is returned; `raw` is
// GrabCut's whole subject.
cv::Mat bandCut(const cv::Mat& rgb, double borderBand, int iterations, double dither, cv::Mat& raw,
                const TraceSink& sink = {});

}  // namespace photo_analysis::cut_out
