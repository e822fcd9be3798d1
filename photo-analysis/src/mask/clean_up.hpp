#pragma once

#include "photo_analysis/subject_mask.hpp"

namespace photo_analysis {

// Keeps the largest 4-connected component of inside pixels (ties to the one
// found first in row-major order) and the soft pixels touching it; every other
// pixel becomes 0. The mask must be well formed.
SubjectMask cleanedUp(SubjectMask mask);

// The mask cleaned up; throws PhotoAnalysisError (noSubjectFound) when nothing
// inside survives.
SubjectMask finishedMask(SubjectMask mask);

}  // namespace photo_analysis
