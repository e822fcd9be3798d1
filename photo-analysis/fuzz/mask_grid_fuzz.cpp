// Masks of any shape through labelling, contours, holes, thinning and skeleton
// lines: every contour closes on pixel sides and all of them together trace
// each ink side once, thinning only removes cells, and every path point is
// finite and inside the grid. A wrong grid size gives nothing.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "raster/components.hpp"

using namespace photo_analysis;

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int width = 1 + data[0] % 48;
    std::vector<bool> mask;
    for (std::size_t i = 1; i < size && mask.size() < 48 * 48; ++i) {
        for (int bit = 0; bit < 8; ++bit) mask.push_back(((data[i] >> bit) & 1) != 0);
    }
    const int height = static_cast<int>(mask.size()) / width;
    if (height == 0) return 0;
    mask.resize(static_cast<std::size_t>(width) * height);

    require(Components(mask, width, height + 1).list.empty());
    require(traceContours(mask, width + 1, height).empty());
    require(thin(mask, width, height - 1).empty() || height == 1);

    std::size_t pixels = 0;
    for (const auto& component : Components(mask, width, height).list) pixels += component.pixels.size();
    std::size_t ink = 0;
    std::size_t sides = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (!mask[y * width + x]) continue;
            ++ink;
            sides += (y == 0 || !mask[(y - 1) * width + x]) + (y + 1 == height || !mask[(y + 1) * width + x]) +
                     (x == 0 || !mask[y * width + x - 1]) + (x + 1 == width || !mask[y * width + x + 1]);
        }
    }
    require(pixels == ink);

    std::size_t traced = 0;
    for (const auto& contour : traceContours(mask, width, height)) {
        require(contour.size() >= 4);
        for (std::size_t i = 0; i < contour.size(); ++i) {
            const Vector2 a = contour[i];
            const Vector2 b = contour[(i + 1) % contour.size()];
            const double dx = std::abs(a.x - b.x), dy = std::abs(a.y - b.y);
            require((dx == 0.5 && dy == 0.5) || (dx == 1 && dy == 0) || (dx == 0 && dy == 1));
        }
        traced += contour.size();
    }
    require(traced == sides);

    const std::vector<bool> holes = enclosedHoles(mask, width, height);
    for (std::size_t i = 0; i < mask.size(); ++i) require(!(holes[i] && mask[i]));

    const std::vector<bool> skeleton = thin(mask, width, height);
    for (std::size_t i = 0; i < mask.size(); ++i) require(mask[i] || !skeleton[i]);
    for (const Polyline& line : skeletonPolylines(skeleton, width, height)) {
        for (const Vector2 p : line.points) require(p.x > 0 && p.y > 0 && p.x < width && p.y < height);
    }
    for (const BezierPath& path : strokePaths(mask, width, height, 2)) {
        for (const auto& subpath : path.subpaths) {
            require(std::isfinite(subpath.start.x) && std::isfinite(subpath.start.y));
            for (const auto& segment : subpath.segments) require(std::isfinite(segment.end().x));
        }
    }
    return 0;
}
