#pragma once

#include <array>

#include "photo_analysis/photo.hpp"
#include "photo_analysis/subject_mask.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis::cut_out {

// The background colour over white: per channel, the upper median of the
// border's pixels (top and bottom row by x, then left and right column by y).
std::array<double, 3> backgroundColour(const Photo& photo);

// The subject as what the background colour cannot reach from the border
// through pixels within `tolerance` of it (4-connected): 255 there, 0 on the
// background, before any clean-up. Throws PhotoAnalysisError (noSubjectFound)
// for an empty photo.
SubjectMask backgroundMask(const Photo& photo, double tolerance, const TraceSink& sink = {});

}  // namespace photo_analysis::cut_out
