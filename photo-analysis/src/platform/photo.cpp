#include "photo_analysis/photo.hpp"

#include <algorithm>
#include <cstddef>
#include <optional>
#include <string>

#include "file_access/bounded_read.hpp"
#include "image_io/image.hpp"
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

namespace photo_analysis {

Photo Photo::decode(std::span<const std::uint8_t> bytes) {
    image_io::RgbaImage image;
    try {
        // Upright and shrunk to maxSide while it is decoded: the full-size photo is never held.
        image = image_io::decodeFitted(bytes, maxSide, image_io::AlphaMode::premultiplied);
    } catch (...) {
        // Corrupt, truncated, unknown or over the header caps; or out of memory.
        throw PhotoAnalysisError::unreadableImage();
    }
    return Photo(image.width, image.height, std::move(image.pixels));
}

Photo Photo::load(const std::filesystem::path& path) {
    const std::optional<std::string> bytes = file_access::readBoundedFile(path, file_access::imageFileLimit);
    if (!bytes) throw PhotoAnalysisError::unreadableImage();
    return decode({reinterpret_cast<const std::uint8_t*>(bytes->data()), bytes->size()});
}

}  // namespace photo_analysis
