#pragma once

#include <cstdint>
#include <vector>

#include "mask/wall_model.hpp"

namespace photo_analysis::cut_out {

// A mask at the photo's size judged by the plausibility gate at the working size.
bool plausibleMask(const WallModel& model, const std::vector<std::uint8_t>& coverage, int width, int height);

}  // namespace photo_analysis::cut_out
