#include "photo_analysis/subject_mask.hpp"

#include <cstddef>
#include <limits>

#include "icon_geometry/raster.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/photo_analysis_error.hpp"

namespace photo_analysis {

bool SubjectMask::isWellFormed() const {
    return width > 0 && height > 0 &&
           static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) == coverage.size();
}

std::optional<icon_geometry::Rect> SubjectMask::boundingBox() const {
    if (!isWellFormed()) return std::nullopt;
    int minX = std::numeric_limits<int>::max(), minY = std::numeric_limits<int>::max();
    int maxX = -1, maxY = -1;
    const std::uint8_t* row = coverage.data();
    for (int y = 0; y < height; ++y, row += width) {
        int first = -1, last = -1;
        for (int x = 0; x < width; ++x) {
            if (row[x] >= insideThreshold) {
                if (first < 0) first = x;
                last = x;
            }
        }
        if (first < 0) continue;
        if (minY == std::numeric_limits<int>::max()) minY = y;
        maxY = y;
        if (first < minX) minX = first;
        if (last > maxX) maxX = last;
    }
    if (maxX < 0) return std::nullopt;
    return icon_geometry::Rect{static_cast<double>(minX), static_cast<double>(minY),
                               static_cast<double>(maxX - minX + 1), static_cast<double>(maxY - minY + 1)};
}

double SubjectMask::coverageShare() const {
    if (!isWellFormed()) return 0;
    std::uint64_t sum = 0;
    for (std::uint8_t c : coverage) sum += c;
    return static_cast<double>(sum) / 255.0 / static_cast<double>(coverage.size());
}

std::uint8_t SubjectMask::coverageAt(int x, int y) const {
    if (!isWellFormed() || x < 0 || y < 0 || x >= width || y >= height) return 0;
    return coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
}

double SubjectMask::overlap(const SubjectMask& other) const {
    if (!isWellFormed() || !other.isWellFormed() || width != other.width || height != other.height) return 0;
    std::uint64_t both = 0, either = 0;
    for (std::size_t i = 0; i < coverage.size(); ++i) {
        const bool a = coverage[i] >= insideThreshold;
        const bool b = other.coverage[i] >= insideThreshold;
        both += a && b;
        either += a || b;
    }
    return either == 0 ? 0.0 : static_cast<double>(both) / static_cast<double>(either);
}

}  // namespace photo_analysis

namespace photo_analysis {

SubjectMask SubjectMask::fromPath(const icon_geometry::BezierPath& path, int width, int height) {
    if (width <= 0 || height <= 0 || width > Photo::maxSide || height > Photo::maxSide)
        throw PhotoAnalysisError::renderingFailed();
    std::vector<std::uint8_t> coverage = icon_geometry::rasterizeEvenOdd(
        {path}, width, height, icon_geometry::AffineTransform::identity(), icon_geometry::Antialiasing::smooth);
    if (coverage.empty()) throw PhotoAnalysisError::renderingFailed();
    return SubjectMask{width, height, std::move(coverage)};
}

}  // namespace photo_analysis
