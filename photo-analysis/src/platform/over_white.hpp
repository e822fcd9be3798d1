#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "photo_analysis/rgba_view.hpp"

namespace photo_analysis::platform {

// The image drawn over opaque white and resampled to width × height with high
// quality; 8-bit RGB, rows of 3 × width bytes. Nothing when it cannot be made.
std::optional<std::vector<std::uint8_t>> overWhite(const RgbaView& image, int width, int height);

}  // namespace photo_analysis::platform
