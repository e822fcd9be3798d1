#include "mask/hue_side.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <opencv2/imgproc.hpp>

#include "mask/stage_trace.hpp"

namespace photo_analysis::cut_out {

cv::Mat sideOfAnotherHue(const cv::Mat& image, const cv::Mat& outline, const HueSideOptions& options,
                         const TraceSink& sink) {
    const int longer = std::max(image.cols, image.rows);
    const int reach = std::max(2, static_cast<int>(std::lround(options.reachShare * longer)));
    const auto disc = [](int radius) {
        return cv::getStructuringElement(cv::MORPH_ELLIPSE, cv::Size(2 * radius + 1, 2 * radius + 1));
    };
    cv::Mat side(image.size(), CV_8U, cv::Scalar(0));
    // Mean colours of the masked pixels over a window that reaches both sides,
    // within the outline's box and that window around it.
    const int half = 2 * reach + 2;
    const cv::Rect box = cv::boundingRect(outline);
    if (box.empty()) return side;
    const cv::Rect area =
        (box + cv::Size(4 * half, 4 * half) - cv::Point(2 * half, 2 * half)) & cv::Rect(0, 0, image.cols, image.rows);
    const cv::Mat shape = outline(area);
    cv::Mat near, far, inner;
    cv::dilate(shape, near, disc(reach));
    cv::dilate(shape, far, disc(reach + 2));
    cv::erode(shape, inner, disc(2));
    // The means vary slowly: they are taken on cells of `cell` pixels a side,
    // over the cells wholly within each mask.
    const int cell = std::max(1, reach / 2);
    const cv::Size cells((area.width + cell - 1) / cell, (area.height + cell - 1) / cell);
    cv::Mat coarse;
    cv::resize(image(area), coarse, cells, 0, 0, cv::INTER_AREA);
    coarse.convertTo(coarse, CV_32FC3);
    const cv::Size window(2 * (half / cell) + 1, 2 * (half / cell) + 1);
    const auto localMean = [&](const cv::Mat& mask, cv::Mat& mean, cv::Mat& weight) {
        cv::resize(mask, weight, cells, 0, 0, cv::INTER_AREA);
        weight = weight == 255;
        mean = cv::Mat::zeros(cells, CV_32FC3);
        coarse.copyTo(mean, weight);
        weight.convertTo(weight, CV_32F, 1.0 / 255.0);
        cv::boxFilter(mean, mean, -1, window, cv::Point(-1, -1), false);
        cv::boxFilter(weight, weight, -1, window, cv::Point(-1, -1), false);
    };
    cv::Mat wall, wallWeight, own, ownWeight;
    localMean(far == 0, wall, wallWeight);
    localMean(inner, own, ownWeight);
    for (int y = 0; y < area.height; ++y) {
        const std::uint8_t* n = near.ptr<std::uint8_t>(y);
        const std::uint8_t* o = shape.ptr<std::uint8_t>(y);
        const cv::Vec3b* pixel = image.ptr<cv::Vec3b>(y + area.y) + area.x;
        const cv::Vec3f* w = wall.ptr<cv::Vec3f>(y / cell);
        const cv::Vec3f* f = own.ptr<cv::Vec3f>(y / cell);
        const float* ww = wallWeight.ptr<float>(y / cell);
        const float* fw = ownWeight.ptr<float>(y / cell);
        std::uint8_t* out = side.ptr<std::uint8_t>(y + area.y) + area.x;
        for (int x = 0; x < area.width; ++x) {
            const int k = x / cell;
            if (!n[x] || o[x] || ww[k] < 1 || fw[k] < 1) continue;
            const cv::Vec3f colour = pixel[x];
            const cv::Vec3f wallColour = w[k] / ww[k], ownColour = f[k] / fw[k];
            const cv::Vec3f fromWall = colour - wallColour, across = ownColour - wallColour;
            // The nearest blend of wall and subject, and the nearest shade of the wall.
            const float blend = std::clamp(fromWall.dot(across) / std::max(1.0f, across.dot(across)), 0.0f, 1.0f);
            const float shade =
                std::clamp(colour.dot(wallColour) / std::max(1.0f, wallColour.dot(wallColour)), 0.0f, 1.0f);
            const cv::Vec3f offBlend = fromWall - across * blend, offShade = colour - wallColour * shade;
            // A shadow darkens every channel, whatever the colour of its light.
            const bool darker = std::max({fromWall[0], fromWall[1], fromWall[2]}) <= options.levels / 2;
            if (!darker && std::min(cv::norm(offBlend), cv::norm(offShade)) > options.levels) out[x] = 255;
        }
    }
    if (const StageTrace trace(sink); trace)
        trace("  côté d'une autre teinte le long du contour : " + traced(cv::countNonZero(side)) + " px");
    return side;
}

}  // namespace photo_analysis::cut_out
