#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <vector>

namespace photo_analysis {

// A decoded photo, upright: 8-bit RGBA with premultiplied alpha, row-major,
// 4 × width bytes per row, row 0 at the top. The pixels are shared and never
// change, so copies are cheap.
class Photo {
public:
    // The longest side a loaded photo keeps; larger photos are scaled down.
    static constexpr int maxSide = 8192;

    // An empty photo of 0 × 0 pixels.
    Photo() = default;
    // Takes premultiplied RGBA pixels; throws PhotoAnalysisError (unreadableImage)
    // when the sizes are not positive or the bytes are not width × height × 4.
    Photo(int width, int height, std::vector<std::uint8_t> premultipliedRgba);

    // Reads the file through the bounded reader, turns it upright as its
    // orientation says and scales it down to a longer side of at most maxSide.
    // Every failure throws PhotoAnalysisError (unreadableImage).
    [[nodiscard]] static Photo load(const std::filesystem::path& path);
    // The same for bytes already read.
    [[nodiscard]] static Photo decode(std::span<const std::uint8_t> bytes);

    int width() const { return width_; }
    int height() const { return height_; }
    bool isEmpty() const { return width_ == 0 || height_ == 0; }
    // width × height × 4 bytes: R, G, B, A per pixel, colour premultiplied.
    std::span<const std::uint8_t> pixels() const;

    // Same size and same bytes.
    friend bool operator==(const Photo& a, const Photo& b);

private:
    int width_ = 0;
    int height_ = 0;
    std::shared_ptr<const std::vector<std::uint8_t>> pixels_;
};

}  // namespace photo_analysis
