// Bytes from anywhere: every decoder either refuses them with ImageIOError or gives an image of
// the size its header announced, with consistent premultiplied pixels, the same pixels every time;
// the row reader gives the same rows as the whole decode.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "image_io/image.hpp"

using namespace image_io;

namespace {

// Images above this are only header-checked, so that one input cannot exhaust the fuzzer's memory.
constexpr std::int64_t fuzzPixelLimit = std::int64_t{1} << 22;

void require(bool condition) {
    if (!condition) __builtin_trap();
}

void checkImage(const RgbaImage& image) {
    require(image.width > 0 && image.height > 0);
    require(image.pixels.size() == static_cast<std::size_t>(image.width) * image.height * 4);
    if (image.alpha == AlphaMode::premultiplied) {
        for (std::size_t i = 0; i < image.pixels.size(); i += 4) {
            require(std::max({image.pixels[i], image.pixels[i + 1], image.pixels[i + 2]}) <= image.pixels[i + 3]);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const std::optional<ImageFormat> format = sniffFormat(bytes);
    ImageHeader header;
    try {
        header = readHeader(bytes);
    } catch (const ImageIOError&) {
        require(true);
    }
    if (!format || header.width <= 0 || static_cast<std::int64_t>(header.width) * header.height > fuzzPixelLimit) {
        return 0;
    }
    require(header.format == *format);
    require(header.width <= maxImageSide && header.height <= maxImageSide);

    std::optional<RgbaImage> whole;
    try {
        whole = decode(bytes);
        checkImage(*whole);
        // One size for one image: the header's is the decoded one.
        require(whole->width == header.width && whole->height == header.height);
        // The same bytes give the same pixels, whatever the memory held before.
        require(decode(bytes) == *whole);
        const RgbaImage turned = decode(bytes, {.alpha = AlphaMode::straight, .applyOrientation = true});
        // Turned and mirrored; a HEIF image is also cropped to its clean aperture.
        if (*format == ImageFormat::heif) {
            require(static_cast<std::int64_t>(turned.width) * turned.height <=
                    static_cast<std::int64_t>(whole->width) * whole->height);
        } else {
            require(turned.width * turned.height == whole->width * whole->height);
        }
        const RgbaImage hinted = decode(bytes, {.maxSideHint = 16});
        checkImage(hinted);
        require(std::max(hinted.width, hinted.height) >= std::min(16, std::max(whole->width, whole->height)));
        // Shrunk while decoded: the fitted size of the upright image, premultiplied throughout.
        const RgbaImage fitted = decodeFitted(bytes, 16);
        checkImage(fitted);
        const auto [fittedWidth, fittedHeight] = fittedSize(turned.width, turned.height, 16);
        if (*format != ImageFormat::jpeg) require(fitted.width == fittedWidth && fitted.height == fittedHeight);
    } catch (const ImageIOError&) {
    }

    try {
        RowReader reader(bytes);
        if (whole) require(reader.width() == whole->width && reader.height() == whole->height);
        for (int y = 0; y < reader.height(); ++y) {
            const std::span<const std::uint8_t> row = reader.nextRow();
            require(row.size() == static_cast<std::size_t>(reader.width()) * 4);
            if (whole) {
                const std::size_t stride = row.size();
                require(std::equal(row.begin(), row.end(),
                                   whole->pixels.begin() + static_cast<std::ptrdiff_t>(y * stride)));
            }
        }
    } catch (const ImageIOError&) {
    }
    return 0;
}
