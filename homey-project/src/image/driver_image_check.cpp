#include "homey_project/driver_image_check.hpp"

#include <algorithm>
#include <cstddef>
#include <iterator>
#include <utility>

#include "image_io/image.hpp"

namespace homey_project {

std::optional<DriverImageFormat> driverImageFormat(std::string_view fileName) {
    const auto endsWith = [fileName](std::string_view ending) {
        if (fileName.size() <= ending.size()) return false;
        const std::string_view tail = fileName.substr(fileName.size() - ending.size());
        return std::equal(tail.begin(), tail.end(), ending.begin(), [](char a, char b) {
            return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
        });
    };
    if (endsWith(".png")) return DriverImageFormat::png;
    if (endsWith(".jpg") || endsWith(".jpeg")) return DriverImageFormat::jpeg;
    return std::nullopt;
}

namespace DriverImageCheck {
namespace {

bool isFine(const std::uint8_t* pixel) {
    return pixel[3] == 0 || (pixel[0] >= nearWhite && pixel[1] >= nearWhite && pixel[2] >= nearWhite);
}

// Counts the bad pixels of the one-pixel ring, row by row. The ring lists, for
// every column, the pixel of the first and of the last row, then for every inner
// row the pixel of the first and of the last column: a one-pixel row or column
// lists its pixels twice, and each listing counts.
class BorderTally {
public:
    BorderTally(std::int64_t width, std::int64_t height) : width_(width), height_(height) {}

    void addRow(std::int64_t y, const std::uint8_t* premultiplied) {
        const std::size_t last = static_cast<std::size_t>(width_ - 1) * 4;
        if (y == 0 || y == height_ - 1) {
            const int listings = (y == 0 && y == height_ - 1) ? 2 : 1;
            for (std::int64_t x = 0; x < width_; ++x)
                if (!isFine(premultiplied + static_cast<std::size_t>(x) * 4)) bad_ += listings;
        } else {
            if (!isFine(premultiplied)) ++bad_;
            if (!isFine(premultiplied + last)) ++bad_;
        }
    }

    std::optional<DriverImageIssue> verdict() const {
        const std::int64_t listed = 2 * width_ + 2 * std::max<std::int64_t>(0, height_ - 2);
        const double share = static_cast<double>(bad_) / static_cast<double>(std::max<std::int64_t>(1, listed));
        if (share > backgroundShareLimit) return DriverImageIssue::backgroundNotWhite(share);
        return std::nullopt;
    }

private:
    std::int64_t width_;
    std::int64_t height_;
    std::int64_t bad_ = 0;
};

void testSize(std::int64_t width, std::int64_t height, DriverImageSize size, std::vector<DriverImageIssue>& issues) {
    const std::int64_t expected = rawValue(size);
    if (width != expected || height != width) issues.push_back(DriverImageIssue::wrongSize(width, height, expected));
}

}  // namespace

std::vector<DriverImageIssue> check(const image_io::RgbaImage& image, DriverImageSize size) {
    std::vector<DriverImageIssue> issues;
    testSize(image.width, image.height, size, issues);
    const std::size_t rowBytes = static_cast<std::size_t>(std::max(0, image.width)) * 4;
    if (image.width <= 0 || image.height <= 0 ||
        image.pixels.size() != rowBytes * static_cast<std::size_t>(image.height)) {
        issues.push_back(DriverImageIssue::unreadable());
        return issues;
    }
    BorderTally tally(image.width, image.height);
    std::vector<std::uint8_t> premultiplied;
    for (int y = 0; y < image.height; ++y) {
        const std::uint8_t* row = image.pixels.data() + static_cast<std::size_t>(y) * rowBytes;
        if (image.alpha == image_io::AlphaMode::straight) {
            premultiplied.assign(row, row + rowBytes);
            image_io::premultiply(premultiplied);
            row = premultiplied.data();
        }
        tally.addRow(y, row);
    }
    if (std::optional<DriverImageIssue> background = tally.verdict()) issues.push_back(*background);
    return issues;
}

std::vector<DriverImageIssue> checkImageData(std::span<const std::uint8_t> bytes, DriverImageSize size,
                                             DriverImageFormat format) {
    std::vector<DriverImageIssue> issues;
    // The content must be what the file's name says.
    const image_io::ImageFormat named =
        format == DriverImageFormat::jpeg ? image_io::ImageFormat::jpeg : image_io::ImageFormat::png;
    if (const std::optional<image_io::ImageFormat> found = image_io::sniffFormat(bytes); found && *found != named) {
        issues.push_back(DriverImageIssue::wrongFormat(format));
        return issues;
    }
    try {
        const image_io::ImageHeader header = image_io::readHeader(bytes);
        testSize(header.width, header.height, size, issues);
    } catch (const image_io::ImageIOError& error) {
        // An image refused for its size still gets its size verdict before it is found unreadable.
        if (const std::optional<image_io::ImageSize> declared = error.declaredSize()) {
            testSize(declared->width, declared->height, size, issues);
        }
        issues.push_back(DriverImageIssue::unreadable());
        return issues;
    }
    try {
        // Only the ring is needed: one row at a time, never the whole image.
        image_io::RowReader reader(bytes, image_io::AlphaMode::premultiplied);
        const std::int64_t width = reader.width();
        const std::int64_t height = reader.height();
        BorderTally tally(width, height);
        for (std::int64_t y = 0; y < height; ++y) {
            const std::span<const std::uint8_t> row = reader.nextRow();
            if (row.size() < static_cast<std::size_t>(width) * 4)
                throw image_io::ImageIOError(image_io::ImageErrorKind::damaged, "short row");
            tally.addRow(y, row.data());
        }
        if (std::optional<DriverImageIssue> background = tally.verdict()) issues.push_back(*background);
    } catch (const image_io::ImageIOError&) {
        issues.push_back(DriverImageIssue::unreadable());
    }
    return issues;
}

}  // namespace DriverImageCheck
}  // namespace homey_project
