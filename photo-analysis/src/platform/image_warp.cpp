#include "platform/image_warp.hpp"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "icon_geometry/vector.hpp"

namespace photo_analysis::image_warp {

using icon_geometry::Vector2;

Matrix product(const Matrix& a, const Matrix& b) {
    Matrix p{};
    for (int r = 0; r < 3; ++r) {
        for (int c = 0; c < 3; ++c) {
            p[r * 3 + c] = a[r * 3] * b[c] + a[r * 3 + 1] * b[3 + c] + a[r * 3 + 2] * b[6 + c];
        }
    }
    return p;
}

namespace {

Matrix translation(double dx, double dy) {
    return {1, 0, dx, 0, 1, dy, 0, 0, 1};
}

// Unguarded, as the homography's own: a point on the vanishing line gives
// infinities or NaN, which the caller checks.
Vector2 apply(const Matrix& m, Vector2 p) {
    const double w = m[6] * p.x + m[7] * p.y + m[8];
    return {(m[0] * p.x + m[1] * p.y + m[2]) / w, (m[3] * p.x + m[4] * p.y + m[5]) / w};
}

}  // namespace

std::optional<int> wholePixels(double length) {
    if (!std::isfinite(length) || length > static_cast<double>(maxSide)) return std::nullopt;
    const double nearest = std::round(length);
    const double whole = std::abs(length - nearest) <= 1e-9 * std::max(1.0, nearest) ? nearest : std::ceil(length);
    if (whole < 1 || whole > static_cast<double>(maxSide)) return std::nullopt;
    return static_cast<int>(whole);
}

std::optional<Photo> warp(const Photo& photo, const Matrix& outputToPhoto, int width, int height) {
    if (photo.isEmpty() || width < 1 || height < 1 || width > maxSide || height > maxSide ||
        static_cast<long long>(width) * height > maxPixels ||
        !std::all_of(outputToPhoto.begin(), outputToPhoto.end(), [](double v) { return std::isfinite(v); })) {
        return std::nullopt;
    }
    // Where the output's corners fall in the photo, to crop and to judge density.
    const Vector2 outputCorners[4] = {{0, 0}, {double(width), 0}, {double(width), double(height)}, {0, double(height)}};
    Vector2 photoCorners[4];
    for (int i = 0; i < 4; ++i) {
        photoCorners[i] = apply(outputToPhoto, outputCorners[i]);
        if (!std::isfinite(photoCorners[i].x) || !std::isfinite(photoCorners[i].y)) return std::nullopt;
    }
    const double across =
        std::min(photoCorners[0].distance(photoCorners[1]), photoCorners[3].distance(photoCorners[2])) / width;
    const double down =
        std::min(photoCorners[0].distance(photoCorners[3]), photoCorners[1].distance(photoCorners[2])) / height;
    const double density = std::min(across, down);

    double minX = photoCorners[0].x, maxX = minX, minY = photoCorners[0].y, maxY = minY;
    for (const Vector2 p : photoCorners) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    const int x0 = static_cast<int>(std::clamp(std::floor(minX) - 2, 0.0, double(photo.width())));
    const int y0 = static_cast<int>(std::clamp(std::floor(minY) - 2, 0.0, double(photo.height())));
    const int x1 = static_cast<int>(std::clamp(std::ceil(maxX) + 2, 0.0, double(photo.width())));
    const int y1 = static_cast<int>(std::clamp(std::ceil(maxY) + 2, 0.0, double(photo.height())));

    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, 0);
    if (x1 > x0 && y1 > y0) {
        const cv::Mat whole(photo.height(), photo.width(), CV_8UC4, const_cast<std::uint8_t*>(photo.pixels().data()));
        cv::Mat source = whole(cv::Rect(x0, y0, x1 - x0, y1 - y0));
        double sx = 1, sy = 1;
        if (density > 2) {
            // Far more photo than output: average areas first, or bilinear
            // sampling would skip most pixels and alias.
            const int w = std::max(1, static_cast<int>(std::lround(source.cols / density)));
            const int h = std::max(1, static_cast<int>(std::lround(source.rows / density)));
            cv::Mat shrunk;
            cv::resize(source, shrunk, cv::Size(w, h), 0, 0, cv::INTER_AREA);
            sx = double(w) / source.cols;
            sy = double(h) / source.rows;
            source = shrunk;
        }
        // Output centres at integer positions for OpenCV, ours at +0.5.
        const Matrix toSource =
            product(product(translation(-0.5, -0.5), Matrix{sx, 0, -x0 * sx, 0, sy, -y0 * sy, 0, 0, 1}),
                    product(outputToPhoto, translation(0.5, 0.5)));
        cv::Mat matrix(3, 3, CV_64F);
        for (int i = 0; i < 9; ++i) matrix.at<double>(i / 3, i % 3) = toSource[i];
        cv::Mat output(height, width, CV_8UC4, pixels.data());
        const int flags = cv::INTER_LINEAR | cv::WARP_INVERSE_MAP;
        const cv::Scalar transparent(0, 0, 0, 0);
        if (toSource[6] == 0 && toSource[7] == 0 && toSource[8] == 1) {
            cv::warpAffine(source, output, matrix.rowRange(0, 2), output.size(), flags, cv::BORDER_CONSTANT,
                           transparent);
        } else {
            cv::warpPerspective(source, output, matrix, output.size(), flags, cv::BORDER_CONSTANT, transparent);
        }
    }
    return Photo(width, height, std::move(pixels));
}

}  // namespace photo_analysis::image_warp
