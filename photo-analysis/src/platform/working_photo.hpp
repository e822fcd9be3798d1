#pragma once

#include <opencv2/core.hpp>

#include "photo_analysis/photo.hpp"

namespace photo_analysis::platform {

// The photo over white at two reduced sizes: `refine`, where the mask's edges
// are snapped to the photo's, and `small`, where the subject is found. 8-bit RGB.
struct WorkingPhoto {
    cv::Mat refine;
    cv::Mat small;
};
WorkingPhoto workingPhoto(const Photo& photo, int workingSide, int refineSide);

}  // namespace photo_analysis::platform
