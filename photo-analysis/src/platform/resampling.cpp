#include "platform/resampling.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace photo_analysis::platform {

namespace {

// The source pixels each target pixel of one axis covers, with the share of the
// target pixel each one fills.
struct AxisWeights {
    int first = 0;                 // first target index
    std::vector<int> sourceStart;  // per target index
    std::vector<int> sourceCount;  // per target index
    std::vector<std::vector<float>> weights;
};

AxisWeights areaWeights(int sourceLength, double scale, double origin, int targetLength) {
    AxisWeights axis;
    const double end = origin + scale * sourceLength;
    const int first = std::max(0, static_cast<int>(std::floor(origin)));
    const int last = std::min(targetLength, static_cast<int>(std::ceil(end)));
    axis.first = first;
    for (int t = first; t < last; ++t) {
        // The target pixel [t, t + 1) seen in source coordinates.
        const double s0 = std::max(0.0, (t - origin) / scale);
        const double s1 = std::min(static_cast<double>(sourceLength), (t + 1 - origin) / scale);
        const int i0 = std::max(0, static_cast<int>(std::floor(s0)));
        const int i1 = std::min(sourceLength, static_cast<int>(std::ceil(s1)));
        std::vector<float> w;
        for (int i = i0; i < i1; ++i) {
            const double covered = std::min(s1, i + 1.0) - std::max(s0, static_cast<double>(i));
            w.push_back(static_cast<float>(std::max(0.0, covered) * scale));
        }
        axis.sourceStart.push_back(i0);
        axis.sourceCount.push_back(static_cast<int>(w.size()));
        axis.weights.push_back(std::move(w));
    }
    return axis;
}

// Shrinks by area, streaming source rows: each row is resampled across once and
// added to the target rows it covers.
void drawShrunk(const std::vector<std::uint8_t>& rgba, int width, int height, double scale, double originX,
                double originY, int canvasWidth, int canvasHeight, std::vector<float>& canvas) {
    const AxisWeights across = areaWeights(width, scale, originX, canvasWidth);
    const AxisWeights down = areaWeights(height, scale, originY, canvasHeight);
    const std::size_t columns = across.sourceStart.size();
    // For each source row, the target rows it feeds and with what weight.
    std::vector<std::vector<std::pair<int, float>>> feeds(static_cast<std::size_t>(height));
    for (std::size_t r = 0; r < down.sourceStart.size(); ++r)
        for (int k = 0; k < down.sourceCount[r]; ++k)
            feeds[static_cast<std::size_t>(down.sourceStart[r] + k)].push_back(
                {down.first + static_cast<int>(r), down.weights[r][static_cast<std::size_t>(k)]});

    std::vector<float> row(columns * 4);
    for (int y = 0; y < height; ++y) {
        if (feeds[static_cast<std::size_t>(y)].empty()) continue;
        const std::uint8_t* source = rgba.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 4;
        for (std::size_t c = 0; c < columns; ++c) {
            float acc[4] = {0, 0, 0, 0};
            const std::uint8_t* p = source + static_cast<std::size_t>(across.sourceStart[c]) * 4;
            const std::vector<float>& w = across.weights[c];
            for (std::size_t k = 0; k < w.size(); ++k, p += 4)
                for (int ch = 0; ch < 4; ++ch) acc[ch] += w[k] * static_cast<float>(p[ch]);
            for (int ch = 0; ch < 4; ++ch) row[c * 4 + ch] = acc[ch];
        }
        for (const auto& [target, weight] : feeds[static_cast<std::size_t>(y)]) {
            float* out = canvas.data() + (static_cast<std::size_t>(target) * static_cast<std::size_t>(canvasWidth) +
                                          static_cast<std::size_t>(across.first)) *
                                             4;
            for (std::size_t i = 0; i < columns * 4; ++i) out[i] += weight * row[i];
        }
    }
}

// Enlarges with cubic interpolation; pixel centres map onto pixel centres.
void drawEnlarged(const std::vector<std::uint8_t>& rgba, int width, int height, double scale, double originX,
                  double originY, int canvasWidth, int canvasHeight, std::vector<float>& canvas) {
    cv::Mat source(height, width, CV_8UC4, const_cast<std::uint8_t*>(rgba.data()));
    cv::Mat sourceFloat;
    source.convertTo(sourceFloat, CV_32FC4);
    const cv::Mat transform = (cv::Mat_<double>(2, 3) << scale, 0, originX + 0.5 * scale - 0.5,  //
                               0, scale, originY + 0.5 * scale - 0.5);
    cv::Mat drawn(canvasHeight, canvasWidth, CV_32FC4, canvas.data());
    cv::warpAffine(sourceFloat, drawn, transform, drawn.size(), cv::INTER_CUBIC, cv::BORDER_CONSTANT,
                   cv::Scalar::all(0));
    // Cubic overshoot: keep each pixel a valid premultiplied colour.
    for (std::size_t i = 0; i < canvas.size(); i += 4) {
        const float alpha = std::clamp(canvas[i + 3], 0.0f, 255.0f);
        canvas[i + 3] = alpha;
        for (int ch = 0; ch < 3; ++ch) canvas[i + ch] = std::clamp(canvas[i + ch], 0.0f, alpha);
    }
}

}  // namespace

void drawScaled(const std::vector<std::uint8_t>& rgba, int width, int height, double scale, double originX,
                double originY, int canvasWidth, int canvasHeight, std::vector<float>& canvas) {
    if (scale <= 1.0) {
        drawShrunk(rgba, width, height, scale, originX, originY, canvasWidth, canvasHeight, canvas);
    } else {
        drawEnlarged(rgba, width, height, scale, originX, originY, canvasWidth, canvasHeight, canvas);
    }
}

}  // namespace photo_analysis::platform
