#include "platform/over_white.hpp"

#include <algorithm>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include "image_io/rgba_image.hpp"

namespace photo_analysis::platform {

// Resampling works on premultiplied pixels, as drawing does; the result is
// then laid over white, so transparent pixels read white.
std::optional<std::vector<std::uint8_t>> overWhite(const RgbaView& image, int width, int height) {
    if (image.width <= 0 || image.height <= 0 || width <= 0 || height <= 0) return std::nullopt;
    try {
        const cv::Mat source(image.height, image.width, CV_8UC4, const_cast<std::uint8_t*>(image.pixels.data()));
        cv::Mat premultiplied;
        if (image.premultiplied) {
            premultiplied = source;
        } else {
            premultiplied = source.clone();
            image_io::premultiply({premultiplied.data, premultiplied.total() * 4});
        }
        cv::Mat resized;
        if (width == image.width && height == image.height) {
            resized = premultiplied;
        } else {
            const bool shrinking = width <= image.width && height <= image.height;
            cv::resize(premultiplied, resized, cv::Size(width, height), 0, 0,
                       shrinking ? cv::INTER_AREA : cv::INTER_CUBIC);
        }
        std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
        std::size_t o = 0;
        for (int y = 0; y < height; ++y) {
            const std::uint8_t* in = resized.ptr<std::uint8_t>(y);
            for (int x = 0; x < width * 4; x += 4) {
                const int transparent = 255 - in[x + 3];
                for (int k = 0; k < 3; ++k)
                    rgb[o++] = static_cast<std::uint8_t>(std::min(255, in[x + k] + transparent));
            }
        }
        return rgb;
    } catch (const cv::Exception&) {
        return std::nullopt;
    }
}

}  // namespace photo_analysis::platform
