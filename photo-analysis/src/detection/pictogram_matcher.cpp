#include "detection/pictogram_matcher.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>
#include <string>

#include "icon_geometry/ink_mask.hpp"
#include "icon_geometry/number_text.hpp"
#include "platform/cairo_raster.hpp"
#include "trace.hpp"

namespace photo_analysis::PictogramMatcher {

namespace NumberText = icon_geometry::NumberText;

namespace {

constexpr std::size_t cells = static_cast<std::size_t>(side) * side;
constexpr double smallMark = 0.1;
constexpr double groupingGap = 0.03;
constexpr double smallestGroup = 0.05;
constexpr double largestGroup = 0.16;
constexpr double drawingSize = 0.95 * side;
constexpr double strokeWidth = 1.5;
constexpr int inkAbove = 100;
constexpr std::array<icon_geometry::Pictogram::Case, 2> candidates{icon_geometry::Pictogram::sun,
                                                                   icon_geometry::Pictogram::wifi};

bool near(const Components::Component& a, const Components::Component& b, double gap) {
    const double dx = std::max(0, std::max(a.minX, b.minX) - std::min(a.maxX, b.maxX));
    const double dy = std::max(0, std::max(a.minY, b.minY) - std::min(a.maxY, b.maxY));
    return dx <= gap && dy <= gap;
}

// A cell index along one axis, truncated toward zero; nothing outside the grid.
std::optional<int> cellOf(double position) {
    if (!std::isfinite(position)) return std::nullopt;
    const double cell = std::trunc(position);
    if (cell < 0 || cell > side - 1) return std::nullopt;
    return static_cast<int>(cell);
}

}  // namespace

std::vector<bool> rasterize(const std::vector<std::int64_t>& pixels, int width, icon_geometry::Vector2 center,
                            double size) {
    std::vector<bool> grid(cells, false);
    if (width <= 0) return grid;
    for (const std::int64_t p : pixels) {
        if (p < 0) continue;
        const std::int64_t y = p / width;
        const std::int64_t x = p - y * width;
        const auto column = cellOf((static_cast<double>(x) + 0.5 - center.x) / size * side + side / 2);
        const auto row = cellOf((static_cast<double>(y) + 0.5 - center.y) / size * side + side / 2);
        if (column && row) grid[static_cast<std::size_t>(*row * side + *column)] = true;
    }
    // One pass of gap filling, counting only cells set before it.
    std::vector<bool> filled = grid;
    for (int row = 1; row < side - 1; ++row) {
        for (int column = 1; column < side - 1; ++column) {
            const int i = row * side + column;
            if (grid[i]) continue;
            const int count = grid[i - 1] + grid[i + 1] + grid[i - side] + grid[i + side];
            if (count >= 3) filled[i] = true;
        }
    }
    return thin(std::move(filled), side, side);
}

std::vector<bool> pictogramSkeleton(icon_geometry::Pictogram pictogram) {
    const std::vector<icon_geometry::BezierPath> contours = pictogram.contours({side / 2.0, side / 2.0}, drawingSize);
    const std::vector<std::uint8_t> grey =
        platform::coverage(contours, side, side, {0, 0}, 1, {platform::Paint::Mode::stroke, strokeWidth});
    std::vector<bool> ink(cells, false);
    if (grey.size() != cells) return ink;
    for (std::size_t i = 0; i < cells; ++i) ink[i] = grey[i] > inkAbove;
    return thin(std::move(ink), side, side);
}

double distance(const std::vector<bool>& a, const std::vector<bool>& b) {
    const double infinity = std::numeric_limits<double>::infinity();
    if (a.size() != cells || b.size() != cells) return infinity;
    if (std::find(a.begin(), a.end(), true) == a.end() || std::find(b.begin(), b.end(), true) == b.end()) {
        return infinity;
    }
    const std::vector<float> da = icon_geometry::DistanceTransform::distances(a, side, side);
    const std::vector<float> db = icon_geometry::DistanceTransform::distances(b, side, side);
    const auto meanOver = [](const std::vector<bool>& set, const std::vector<float>& distances) {
        double sum = 0;
        std::size_t count = 0;
        for (std::size_t i = 0; i < cells; ++i) {
            if (!set[i]) continue;
            sum += distances[i];
            ++count;
        }
        return sum / static_cast<double>(count);
    };
    return std::max(meanOver(a, db), meanOver(b, da)) / side;
}

std::vector<Match> match(const std::vector<Components::Component>& marks, const std::set<std::size_t>& excluded,
                         int width, double height, const TraceSink& sink) {
    std::vector<Match> matches;
    if (width <= 0 || !std::isfinite(height) || !(height > 0)) return matches;

    std::vector<std::vector<std::size_t>> groups;
    for (std::size_t k = 0; k < marks.size(); ++k) {
        if (excluded.count(k) != 0) continue;
        const Components::Component& mark = marks[k];
        const int w = mark.maxX - mark.minX + 1;
        const int h = mark.maxY - mark.minY + 1;
        if (!(std::max(w, h) < smallMark * height)) continue;
        std::optional<std::size_t> joined;
        for (std::size_t g = 0; g < groups.size(); ++g) {
            const bool isNear = std::any_of(groups[g].begin(), groups[g].end(), [&](std::size_t member) {
                return near(marks[member], mark, groupingGap * height);
            });
            if (!isNear) continue;
            if (!joined) {
                joined = g;
                groups[g].push_back(k);
            } else {
                groups[*joined].insert(groups[*joined].end(), groups[g].begin(), groups[g].end());
                groups[g].clear();
            }
        }
        if (!joined) groups.push_back({k});
    }

    // The library skeletons do not depend on the group: drawn once per call.
    std::vector<std::vector<bool>> skeletons;
    for (const auto candidate : candidates) skeletons.push_back(pictogramSkeleton(candidate));

    for (const std::vector<std::size_t>& group : groups) {
        if (group.empty()) continue;
        int x0 = std::numeric_limits<int>::max(), y0 = std::numeric_limits<int>::max();
        int x1 = std::numeric_limits<int>::min(), y1 = std::numeric_limits<int>::min();
        for (const std::size_t member : group) {
            x0 = std::min(x0, marks[member].minX);
            y0 = std::min(y0, marks[member].minY);
            x1 = std::max(x1, marks[member].maxX);
            y1 = std::max(y1, marks[member].maxY);
        }
        const double size = std::max(static_cast<double>(x1) - x0 + 1, static_cast<double>(y1) - y0 + 1);
        if (size < smallestGroup * height || size > largestGroup * height) continue;
        const icon_geometry::Vector2 center{(static_cast<double>(x0) + x1 + 1) / 2,
                                            (static_cast<double>(y0) + y1 + 1) / 2};
        std::vector<std::int64_t> pixels;
        for (const std::size_t member : group) {
            pixels.insert(pixels.end(), marks[member].pixels.begin(), marks[member].pixels.end());
        }
        const std::vector<bool> skeleton = rasterize(pixels, width, center, size);

        std::size_t best = 0;
        double bestDistance = distance(skeleton, skeletons[0]);
        for (std::size_t c = 1; c < candidates.size(); ++c) {
            const double d = distance(skeleton, skeletons[c]);
            if (d < bestDistance) {
                best = c;
                bestDistance = d;
            }
        }
        const icon_geometry::Pictogram pictogram(candidates[best]);
        if (trace::enabled(sink, "PICTO_DEBUG")) {
            trace::line(
                sink, "PICTO_DEBUG",
                "    groupe (" + NumberText::fixed(center.x, 0) + ", " + NumberText::fixed(center.y, 0) + ") " +
                    NumberText::fixed(size, 0) + " px, " + NumberText::integer(static_cast<long long>(group.size())) +
                    " marques : " + std::string(pictogram.rawValue()) + " " + NumberText::fixed(bestDistance, 3));
        }
        if (accepts(bestDistance)) {
            matches.push_back(
                {pictogram, std::set<std::size_t>(group.begin(), group.end()), center, size, bestDistance});
        }
    }
    return matches;
}

}  // namespace photo_analysis::PictogramMatcher
