#pragma once

#include <opencv2/core.hpp>
#include <optional>

#include "mask/shadows.hpp"
#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/trace_sink.hpp"
#include "platform/working_photo.hpp"

namespace photo_analysis::cut_out {

// The subject grown to the closed outline around it, at the refining size: on
// a plain wall a light device meets a light wall along a faint rim, a shading
// step or its own cast edge that no colour threshold follows all the way round,
// but that closes an outline of edges. The wall is what the border reaches
// without crossing an edge; what it leaves around the subject is the device.
// A subject that lies around such an outline rather than within it (the shade
// and the darker side of a device the wall's shade hides) gives way to it.
// A side just outside the outline in a hue no blur of wall and device makes
// (a grey side on a blue wall of its shade) stays with the device.
// The cast shadows taken off the subject stay off, whatever edges their
// outline has. Nothing when no such outline holds it, or the grown one would
// reach the border or be no plausible subject.
std::optional<cv::Mat> closedOutlineAround(const platform::WorkingPhoto& working, const cv::Mat& subject,
                                           const CutOutOptions& options = {}, const TraceSink& sink = {},
                                           const CastShadows& cast = {});
// The subject grown to its closed outline, or as given where none holds it.
cv::Mat withinClosedOutline(const platform::WorkingPhoto& working, const cv::Mat& subject,
                            const CutOutOptions& options = {}, const TraceSink& sink = {},
                            const CastShadows& cast = {});

}  // namespace photo_analysis::cut_out
