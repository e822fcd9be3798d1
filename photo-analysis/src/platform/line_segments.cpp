#include "platform/line_segments.hpp"

#include <algorithm>
#include <cmath>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

namespace photo_analysis::platform {

namespace {

// The detector's bound on the gradient's quantisation error: its default, and
// the one for faint edges. The gradient threshold is this over sin(22.5°), so the
// faint pass takes steps of about a third of the contrast; its a-contrario test
// still keeps noise out.
constexpr double plainQuantisation = 2.0;
constexpr double faintQuantisation = 0.7;

std::vector<LineSegment> lineSegments(const cv::Mat& grey, double quantisation = plainQuantisation) {
    std::vector<cv::Vec4f> found;
    cv::createLineSegmentDetector(cv::LSD_REFINE_STD, 0.8, 0.6, quantisation)->detect(grey, found);
    std::vector<LineSegment> segments;
    segments.reserve(found.size());
    for (const auto& v : found) segments.push_back({{v[0] + 0.5, v[1] + 0.5}, {v[2] + 0.5, v[3] + 0.5}});
    return segments;
}

std::vector<std::uint8_t> bytesOf(const cv::Mat& image) {
    std::vector<std::uint8_t> bytes(static_cast<std::size_t>(image.cols) * static_cast<std::size_t>(image.rows));
    for (int y = 0; y < image.rows; ++y) {
        const std::uint8_t* row = image.ptr<std::uint8_t>(y);
        std::copy(row, row + image.cols, bytes.begin() + static_cast<std::ptrdiff_t>(y) * image.cols);
    }
    return bytes;
}

}  // namespace

RegionEdges regionEdges(const Photo& photo, std::span<const std::uint8_t> coverage, std::uint8_t insideThreshold,
                        PixelBox region, double workingSide) {
    const int width = photo.width(), height = photo.height();
    const int regionWidth = region.x1 - region.x0, regionHeight = region.y1 - region.y0;
    RegionEdges edges;
    edges.scale = std::min(2.0, workingSide / std::max(regionWidth, regionHeight));
    const cv::Size size(std::max(1, static_cast<int>(std::lround(regionWidth * edges.scale))),
                        std::max(1, static_cast<int>(std::lround(regionHeight * edges.scale))));
    edges.width = size.width;
    edges.height = size.height;
    const int interpolation = edges.scale < 1 ? cv::INTER_AREA : cv::INTER_LINEAR;
    const cv::Rect box(region.x0, region.y0, regionWidth, regionHeight);

    const cv::Mat rgba(height, width, CV_8UC4, const_cast<std::uint8_t*>(photo.pixels().data()));
    cv::Mat small;
    cv::resize(rgba(box), small, size, 0, 0, interpolation);
    // Grey of the colour over white (the pixels are premultiplied).
    const auto greyOf = [](const cv::Mat& colour) {
        cv::Mat grey(colour.size(), CV_8UC1);
        for (int y = 0; y < colour.rows; ++y) {
            const std::uint8_t* p = colour.ptr<std::uint8_t>(y);
            std::uint8_t* g = grey.ptr<std::uint8_t>(y);
            for (int x = 0; x < colour.cols; ++x, p += 4) {
                const int white = 255 - p[3];
                g[x] = static_cast<std::uint8_t>((299 * (p[0] + white) + 587 * (p[1] + white) + 114 * (p[2] + white)) /
                                                 1000);
            }
        }
        return grey;
    };
    const cv::Mat grey = greyOf(small);
    const cv::Mat mask(height, width, CV_8UC1, const_cast<std::uint8_t*>(coverage.data()));
    cv::Mat inside, silhouette;
    cv::threshold(mask(box), inside, insideThreshold - 1, 255, cv::THRESH_BINARY);
    cv::resize(inside, silhouette, size, 0, 0, interpolation);

    edges.greyEdges = lineSegments(grey);
    edges.insideEdges = lineSegments(silhouette);
    edges.faintGreyEdges = lineSegments(grey, faintQuantisation);
    // Magnified, an edge's step spreads over more pixels and its gradient falls
    // below the faint threshold (a face's edge against a side of the body a few
    // grey levels apart): faint edges are looked for at the photo's own
    // resolution too, and brought to the working size.
    if (edges.scale > 1) {
        for (const LineSegment& s : lineSegments(greyOf(rgba(box)), faintQuantisation))
            edges.faintGreyEdges.push_back({s.a * edges.scale, s.b * edges.scale});
    }
    cv::Mat held;
    cv::threshold(silhouette, held, 127, 255, cv::THRESH_BINARY);
    std::vector<std::vector<cv::Point>> contours;
    cv::findContours(held, contours, cv::RETR_EXTERNAL, cv::CHAIN_APPROX_NONE);
    const std::vector<cv::Point>* largest = nullptr;
    double largestArea = 0;
    for (const auto& contour : contours) {
        const double area = std::abs(cv::contourArea(contour));
        if (!largest || area > largestArea) {
            largest = &contour;
            largestArea = area;
        }
    }
    if (largest) {
        edges.outline.reserve(largest->size());
        for (const cv::Point& p : *largest) edges.outline.push_back({p.x + 0.5, p.y + 0.5});
    }
    edges.grey = bytesOf(grey);
    edges.inside = bytesOf(silhouette);
    return edges;
}

}  // namespace photo_analysis::platform
