#include "platform/working_photo.hpp"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <opencv2/imgproc.hpp>

namespace photo_analysis::platform {

namespace {

cv::Mat shrunkTo(const cv::Mat& image, int longer) {
    const int side = std::max(image.cols, image.rows);
    if (side <= longer) return image;
    const double f = static_cast<double>(longer) / side;
    const cv::Size size(std::max(1, static_cast<int>(std::lround(image.cols * f))),
                        std::max(1, static_cast<int>(std::lround(image.rows * f))));
    // Averaging whole blocks first is several times faster than one area
    // resize by an uneven factor, and averages the same pixels.
    const int block = side / longer;
    cv::Mat source = image;
    if (block >= 2 && image.cols / block >= size.width && image.rows / block >= size.height) {
        const cv::Rect whole(0, 0, image.cols / block * block, image.rows / block * block);
        cv::resize(image(whole), source, cv::Size(whole.width / block, whole.height / block), 0, 0, cv::INTER_AREA);
    }
    cv::Mat out;
    cv::resize(source, out, size, 0, 0, cv::INTER_AREA);
    return out;
}

// Premultiplied RGBA over white as RGB: C + 255 − A.
cv::Mat overWhite(const cv::Mat& rgba) {
    cv::Mat rgb(rgba.size(), CV_8UC3);
    for (int y = 0; y < rgba.rows; ++y) {
        const std::uint8_t* p = rgba.ptr<std::uint8_t>(y);
        std::uint8_t* q = rgb.ptr<std::uint8_t>(y);
        for (int x = 0; x < rgba.cols; ++x, p += 4, q += 3)
            for (int c = 0; c < 3; ++c) q[c] = static_cast<std::uint8_t>(std::min(p[c] + 255 - p[3], 255));
    }
    return rgb;
}

}  // namespace

WorkingPhoto workingPhoto(const Photo& photo, int workingSide, int refineSide) {
    const cv::Mat rgba(photo.height(), photo.width(), CV_8UC4, const_cast<std::uint8_t*>(photo.pixels().data()));
    // One pass over the full photo: the refining copy, and the working copy from it.
    WorkingPhoto working;
    working.refine = overWhite(shrunkTo(rgba, std::max(refineSide, workingSide)));
    working.small = shrunkTo(working.refine, workingSide).clone();
    return working;
}

}  // namespace photo_analysis::platform
