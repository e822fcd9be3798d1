#include "photo_analysis/photo.hpp"

#include <algorithm>
#include <cstddef>

#include "photo_analysis/photo_analysis_error.hpp"

namespace photo_analysis {

Photo::Photo(int width, int height, std::vector<std::uint8_t> premultipliedRgba) {
    if (width <= 0 || height <= 0 ||
        premultipliedRgba.size() / 4 / static_cast<std::size_t>(width) != static_cast<std::size_t>(height) ||
        premultipliedRgba.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4)
        throw PhotoAnalysisError::unreadableImage();
    width_ = width;
    height_ = height;
    pixels_ = std::make_shared<const std::vector<std::uint8_t>>(std::move(premultipliedRgba));
}

std::span<const std::uint8_t> Photo::pixels() const {
    if (!pixels_) return {};
    return {pixels_->data(), pixels_->size()};
}

bool operator==(const Photo& a, const Photo& b) {
    if (a.width_ != b.width_ || a.height_ != b.height_) return false;
    if (a.pixels_ == b.pixels_) return true;
    const auto pa = a.pixels(), pb = b.pixels();
    return std::equal(pa.begin(), pa.end(), pb.begin(), pb.end());
}

}  // namespace photo_analysis
