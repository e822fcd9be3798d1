#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <variant>
#include <vector>

namespace image_io {
struct RgbaImage;
}

namespace homey_project {

// The three driver photographs: square images in the driver's assets, PNG
// unless the driver's manifest names JPEG files. The value is the side in pixels.
enum class DriverImageSize : int { small = 75, large = 500, xlarge = 1000 };

// The order in which every list of the three images is built and shown.
inline constexpr std::array<DriverImageSize, 3> allDriverImageSizes{DriverImageSize::small, DriverImageSize::large,
                                                                    DriverImageSize::xlarge};

constexpr int rawValue(DriverImageSize size) {
    return static_cast<int>(size);
}

// Exactly 75, 500 and 1000 name a size.
constexpr std::optional<DriverImageSize> driverImageSize(std::int64_t rawValue) {
    for (DriverImageSize size : allDriverImageSizes)
        if (static_cast<int>(size) == rawValue) return size;
    return std::nullopt;
}

// "small.png", "large.png" or "xlarge.png": the file of a size where no manifest
// names another.
constexpr std::string_view fileName(DriverImageSize size) {
    switch (size) {
        case DriverImageSize::small:
            return "small.png";
        case DriverImageSize::large:
            return "large.png";
        case DriverImageSize::xlarge:
            return "xlarge.png";
    }
    return {};
}

// The encodings the platform takes for a driver image, told by the file's name.
enum class DriverImageFormat { png, jpeg };

// ".png", ".jpg" or ".jpeg", in any letter case; nothing for any other name.
[[nodiscard]] std::optional<DriverImageFormat> driverImageFormat(std::string_view fileName);

// A fault of a driver image. Alternatives are in case order.
struct DriverImageIssue {
    // Not a square of the expected side; width and height are the image's own.
    struct WrongSize {
        std::int64_t width = 0;
        std::int64_t height = 0;
        std::int64_t expected = 0;
        friend constexpr bool operator==(WrongSize, WrongSize) = default;
    };
    // The share of border pixels neither transparent nor near-white, above 0.01.
    struct BackgroundNotWhite {
        double share = 0;
        friend constexpr bool operator==(BackgroundNotWhite, BackgroundNotWhite) = default;
    };
    // The device was enlarged more than twice when rendered from a photo; only
    // the rendering callers add it, the check never does.
    struct Upscaled {
        double factor = 0;
        friend constexpr bool operator==(Upscaled, Upscaled) = default;
    };
    // The bytes cannot be decoded, or the image cannot be drawn into a bitmap.
    struct Unreadable {
        friend constexpr bool operator==(Unreadable, Unreadable) = default;
    };
    // The file decodes as another format than the one its name says (a JPEG
    // saved as "small.png"): the platform refuses it whatever its pixels.
    struct WrongFormat {
        DriverImageFormat expected = DriverImageFormat::png;  // the format its name says
        friend constexpr bool operator==(WrongFormat, WrongFormat) = default;
    };

    std::variant<WrongSize, BackgroundNotWhite, Upscaled, Unreadable, WrongFormat> value;

    static DriverImageIssue wrongSize(std::int64_t width, std::int64_t height, std::int64_t expected) {
        return {WrongSize{width, height, expected}};
    }
    static DriverImageIssue backgroundNotWhite(double share) { return {BackgroundNotWhite{share}}; }
    static DriverImageIssue upscaled(double factor) { return {Upscaled{factor}}; }
    static DriverImageIssue unreadable() { return {Unreadable{}}; }
    static DriverImageIssue wrongFormat(DriverImageFormat expected = DriverImageFormat::png) {
        return {WrongFormat{expected}};
    }

    template <class Case>
    bool is() const {
        return std::holds_alternative<Case>(value);
    }

    friend bool operator==(const DriverImageIssue&, const DriverImageIssue&) = default;
};

// Whether a driver image has the exact square side and a white or transparent
// border. Pure functions: the caller reads the bytes.
namespace DriverImageCheck {

// A border pixel is fine when transparent or when its premultiplied red, green
// and blue are each at least this.
inline constexpr std::uint8_t nearWhite = 250;
// A share of bad border pixels above this (strictly) is reported.
inline constexpr double backgroundShareLimit = 0.01;

// Issues in the order wrongSize, backgroundNotWhite; an empty list passes. The
// image is taken as stored, its pixels premultiplied (a straight image is
// premultiplied first); pixels that do not fill width × height × 4 bytes read
// as a bitmap that cannot be made (`unreadable`).
[[nodiscard]] std::vector<DriverImageIssue> check(const image_io::RgbaImage& image, DriverImageSize size);

// The same verdict from the encoded file, streaming its rows. The file is named
// as `format` says: an image of another format gives [wrongFormat] alone; bytes
// whose header cannot be read give [unreadable], except that an image refused for its size
// still gets its size verdict first; once the header is read the size is tested,
// and corrupt, truncated or oversized pixel data (or pixels decoded at another
// size than the header's) append unreadable.
[[nodiscard]] std::vector<DriverImageIssue> checkImageData(std::span<const std::uint8_t> bytes, DriverImageSize size,
                                                           DriverImageFormat format = DriverImageFormat::png);

}  // namespace DriverImageCheck
}  // namespace homey_project

template <>
struct std::hash<homey_project::DriverImageIssue> {
    std::size_t operator()(const homey_project::DriverImageIssue& issue) const noexcept;
};
