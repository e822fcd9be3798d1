#include "handheld_common.hpp"

namespace handheld_photos::internal {

std::vector<std::uint8_t> sensorPixels(const cv::Mat& colour, double vignette, double noiseGain, Random& noise) {
    const int w = colour.cols, h = colour.rows;
    const double halfDiagonal = std::hypot(w, h) / 2;
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(w) * h * 4, 255);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const double rx = (x + 0.5 - w / 2.0) / halfDiagonal, ry = (y + 0.5 - h / 2.0) / halfDiagonal;
            const cv::Vec3d c = colour.at<cv::Vec3d>(y, x) * (1 - vignette * (rx * rx + ry * ry));
            for (int k = 0; k < 3; ++k) {
                const double v = toDisplay(c[k]);
                const double noisy = v + noise.normal() * std::sqrt(1.2 * 1.2 + noiseGain * v);
                rgba[(static_cast<std::size_t>(y) * w + x) * 4 + k] =
                    static_cast<std::uint8_t>(std::clamp(std::lround(noisy), 0L, 255L));
            }
        }
    return rgba;
}

}  // namespace handheld_photos::internal
