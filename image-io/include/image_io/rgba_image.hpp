#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <vector>

namespace image_io {

// Why an image could not be read.
enum class ImageErrorKind {
    unknownFormat,  // the bytes are no image in a format this library reads
    unsupported,    // a known format, in a variant or layout that is not read
    tooLarge,       // a size above the caps (or none at all): refused before any pixel is decoded
    damaged,        // truncated, corrupt or inconsistent data
};

struct ImageSize {
    std::int64_t width = 0;
    std::int64_t height = 0;
    bool operator==(const ImageSize&) const = default;
};

// The library's one error type: anything unreadable, truncated, corrupt or over the caps.
class ImageIOError : public std::runtime_error {
public:
    ImageIOError(ImageErrorKind kind, const std::string& what, std::optional<ImageSize> declared = std::nullopt)
        : runtime_error(what), kind_(kind), declared_(declared) {}

    [[nodiscard]] ImageErrorKind kind() const { return kind_; }
    // The size the image's header declares, when the refusal is about that size.
    [[nodiscard]] std::optional<ImageSize> declaredSize() const { return declared_; }

private:
    ImageErrorKind kind_;
    std::optional<ImageSize> declared_;
};

enum class AlphaMode { premultiplied, straight };

inline constexpr std::int64_t maxImageSide = 65535;
inline constexpr std::int64_t maxImagePixels = std::int64_t{512} * 1000 * 1000;  // 512 Mpx

// 8-bit RGBA, row-major, stride width*4, alpha as `alpha` says.
struct RgbaImage {
    int width = 0;
    int height = 0;
    AlphaMode alpha = AlphaMode::premultiplied;
    std::vector<std::uint8_t> pixels;
    bool operator==(const RgbaImage&) const = default;
};

// Channel × alpha / 255, rounded half away from zero (an exact half never occurs with 255).
[[nodiscard]] inline std::uint8_t premultiplyChannel(std::uint8_t channel, std::uint8_t alpha) {
    return static_cast<std::uint8_t>((channel * alpha + 127) / 255);
}

// Converts RGBA pixels in place between straight and premultiplied alpha (whole pixels only).
void premultiply(std::span<std::uint8_t> rgba);
void unpremultiply(std::span<std::uint8_t> rgba);
void convertAlpha(RgbaImage& image, AlphaMode wanted);

}  // namespace image_io
