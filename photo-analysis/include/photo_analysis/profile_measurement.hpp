#pragma once

#include <optional>

#include "photo_analysis/subject_mask.hpp"

namespace photo_analysis::ProfileMeasurement {

// Width ÷ height of the subject's box in a profile photo: the device's depth
// over its face height. Absent when nothing is inside.
[[nodiscard]] std::optional<double> aspectRatio(const SubjectMask& mask);

}  // namespace photo_analysis::ProfileMeasurement
