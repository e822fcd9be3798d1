#include "pixels/pixels.hpp"

#include <algorithm>
#include <string>

namespace image_io {

void premultiply(std::span<std::uint8_t> rgba) {
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
        const std::uint8_t alpha = rgba[i + 3];
        if (alpha == 255) continue;
        rgba[i] = premultiplyChannel(rgba[i], alpha);
        rgba[i + 1] = premultiplyChannel(rgba[i + 1], alpha);
        rgba[i + 2] = premultiplyChannel(rgba[i + 2], alpha);
    }
}

void unpremultiply(std::span<std::uint8_t> rgba) {
    for (std::size_t i = 0; i + 3 < rgba.size(); i += 4) {
        const unsigned alpha = rgba[i + 3];
        if (alpha == 255) continue;
        for (std::size_t c = 0; c < 3; ++c) {
            // Rounded half away from zero; a colour above its alpha (not premultiplied at all)
            // saturates.
            const unsigned value = alpha == 0 ? 0 : (rgba[i + c] * 255u * 2 + alpha) / (2 * alpha);
            rgba[i + c] = static_cast<std::uint8_t>(std::min(value, 255u));
        }
    }
}

void convertAlpha(RgbaImage& image, AlphaMode wanted) {
    if (image.alpha == wanted) return;
    if (wanted == AlphaMode::premultiplied) {
        premultiply(image.pixels);
    } else {
        unpremultiply(image.pixels);
    }
    image.alpha = wanted;
}

}  // namespace image_io

namespace image_io::detail {

void checkImageSize(std::int64_t width, std::int64_t height) {
    if (width <= 0 || height <= 0) throw ImageIOError(ImageErrorKind::damaged, "image has no pixels");
    const ImageSize declared{width, height};
    if (width > maxImageSide || height > maxImageSide) {
        throw ImageIOError(ImageErrorKind::tooLarge, "image side above 65535 pixels", declared);
    }
    if (width * height > maxImagePixels) {
        throw ImageIOError(ImageErrorKind::tooLarge, "image above 512 megapixels", declared);
    }
}

void checkBacked(std::int64_t pixels, std::uint64_t dataBytes, ImageSize declared) {
    constexpr std::int64_t pixelsAnyImageMayHold = 16'000'000;
    constexpr std::int64_t pixelsPerByte = 400;
    const auto bytes = static_cast<std::int64_t>(std::min<std::uint64_t>(dataBytes, maxImagePixels));
    if (pixels > pixelsAnyImageMayHold && (pixels - pixelsAnyImageMayHold) / pixelsPerByte > bytes) {
        throw ImageIOError(ImageErrorKind::tooLarge,
                           std::to_string(pixels) + " pixels from " + std::to_string(dataBytes) + " bytes of data",
                           declared);
    }
}

std::size_t rgbaBytes(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4;
}

void growForRows(std::vector<std::uint8_t>& pixels, std::size_t stride, std::size_t rows, std::size_t totalRows) {
    const std::size_t needed = rows * stride;
    if (needed <= pixels.size()) return;
    if (needed > pixels.capacity()) {
        constexpr std::size_t firstStep = std::size_t{1} << 20;
        const std::size_t total = totalRows * stride;
        std::size_t next = std::max({needed, pixels.capacity() * 2, firstStep});
        // Past half the image, the rest at once: the peak stays under one and a half images.
        if (next >= total / 2) next = total;
        pixels.reserve(std::max(next, needed));
    }
    pixels.resize(needed);
}

}  // namespace image_io::detail
