#include "photo_analysis/profile_measurement.hpp"

namespace photo_analysis::ProfileMeasurement {

std::optional<double> aspectRatio(const SubjectMask& mask) {
    const auto box = mask.boundingBox();
    if (!box || !(box->height > 0)) return std::nullopt;
    return box->width / box->height;
}

}  // namespace photo_analysis::ProfileMeasurement
