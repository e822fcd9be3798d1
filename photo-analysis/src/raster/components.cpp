#include "raster/components.hpp"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <limits>

#include "icon_geometry/polygon.hpp"
#include "raster/grid.hpp"

namespace photo_analysis {

Components::Components(const std::vector<bool>& mask, int width, int height) {
    if (!grid::holds(mask.size(), width, height)) return;
    const std::int64_t w = width;
    std::vector<bool> visited(mask.size(), false);
    std::vector<std::int64_t> stack;
    for (std::int64_t seed = 0; seed < static_cast<std::int64_t>(mask.size()); ++seed) {
        if (!mask[seed] || visited[seed]) continue;
        Component component;
        component.width = width;
        component.minX = width;
        component.minY = height;
        visited[seed] = true;
        stack.push_back(seed);
        while (!stack.empty()) {
            const std::int64_t p = stack.back();
            stack.pop_back();
            component.pixels.push_back(p);
            const int x = static_cast<int>(p % w);
            const int y = static_cast<int>(p / w);
            component.minX = std::min(component.minX, x);
            component.minY = std::min(component.minY, y);
            component.maxX = std::max(component.maxX, x);
            component.maxY = std::max(component.maxY, y);
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    const int nx = x + dx;
                    const int ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                    const std::int64_t q = ny * w + nx;
                    if (!mask[q] || visited[q]) continue;
                    visited[q] = true;
                    stack.push_back(q);
                }
            }
        }
        list.push_back(std::move(component));
    }
}

std::vector<bool> enclosedHoles(const std::vector<bool>& mask, int width, int height) {
    if (!grid::holds(mask.size(), width, height)) return {};
    const std::int64_t w = width;
    std::vector<bool> reached(mask.size(), false);
    std::vector<std::int64_t> stack;
    const auto seed = [&](std::int64_t p) {
        if (!mask[p] && !reached[p]) {
            reached[p] = true;
            stack.push_back(p);
        }
    };
    for (int x = 0; x < width; ++x) {
        seed(x);
        seed((height - 1) * w + x);
    }
    for (int y = 0; y < height; ++y) {
        seed(y * w);
        seed(y * w + width - 1);
    }
    while (!stack.empty()) {
        const std::int64_t p = stack.back();
        stack.pop_back();
        const int x = static_cast<int>(p % w);
        const int y = static_cast<int>(p / w);
        if (x > 0) seed(p - 1);
        if (x + 1 < width) seed(p + 1);
        if (y > 0) seed(p - w);
        if (y + 1 < height) seed(p + w);
    }
    std::vector<bool> holes(mask.size(), false);
    for (std::size_t i = 0; i < mask.size(); ++i) holes[i] = !mask[i] && !reached[i];
    return holes;
}

std::vector<bool> fillHoles(const std::vector<bool>& mask, int width, int height) {
    std::vector<bool> holes = enclosedHoles(mask, width, height);
    for (std::size_t i = 0; i < holes.size(); ++i) holes[i] = holes[i] || mask[i];
    return holes;
}

bool hasHoles(const std::vector<bool>& mask, int width, int height) {
    const std::vector<bool> holes = enclosedHoles(mask, width, height);
    return std::count(holes.begin(), holes.end(), true) > 2;
}

Centroid componentCentroid(const Components::Component& component) {
    if (component.pixels.empty() || component.width <= 0) {
        return {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::quiet_NaN(), 0};
    }
    double sx = 0;
    double sy = 0;
    for (const std::int64_t p : component.pixels) {
        sx += static_cast<double>(p % component.width) + 0.5;
        sy += static_cast<double>(p / component.width) + 0.5;
    }
    const double n = static_cast<double>(component.pixels.size());
    return {sx / n, sy / n, static_cast<std::int64_t>(component.pixels.size())};
}

ComponentRaster componentRaster(const Components::Component& component) {
    ComponentRaster raster;
    if (component.width <= 0 || component.maxX < component.minX || component.maxY < component.minY) return raster;
    raster.width = component.maxX - component.minX + 3;
    raster.height = component.maxY - component.minY + 3;
    raster.originX = component.minX - 1;
    raster.originY = component.minY - 1;
    raster.grid.assign(grid::cellCount(raster.width, raster.height), false);
    for (const std::int64_t p : component.pixels) {
        if (p < 0) continue;
        const std::int64_t x = p % component.width - raster.originX;
        const std::int64_t y = p / component.width - raster.originY;
        // Pixels outside the component's own box are not the component's.
        if (x < 1 || y < 1 || x > raster.width - 2 || y > raster.height - 2) continue;
        raster.grid[y * raster.width + x] = true;
    }
    return raster;
}

namespace {

// Directions of the crack edges, numbered so that turning right on screen (y
// downwards) adds one: right, down, left, up.
constexpr std::array<int, 4> stepX{1, 0, -1, 0};
constexpr std::array<int, 4> stepY{0, 1, 0, -1};

}  // namespace

// Every pixel side between ink and background is an edge, directed so that the
// ink lies on its right. A corner has two outgoing edges only where two ink
// pixels touch diagonally; there the edge turning right of the incoming one
// stays around the same pixel, so each 4-connected piece is traced apart
// whichever corner a trace starts from.
std::vector<std::vector<Vector2>> traceContours(const std::vector<bool>& mask, int width, int height) {
    std::vector<std::vector<Vector2>> contours;
    if (!grid::holds(mask.size(), width, height)) return contours;
    const std::int64_t cw = static_cast<std::int64_t>(width) + 1;
    const std::int64_t cornerCount = cw * (static_cast<std::int64_t>(height) + 1);
    // Per corner: bit d set when an edge leaves it in direction d.
    std::vector<std::uint8_t> outgoing(static_cast<std::size_t>(cornerCount), 0);
    const std::int64_t w = width;
    const auto set = [&](std::int64_t x, std::int64_t y) {
        return x >= 0 && y >= 0 && x < width && y < height && mask[y * w + x];
    };
    for (std::int64_t y = 0; y < height; ++y) {
        for (std::int64_t x = 0; x < width; ++x) {
            if (!mask[y * w + x]) continue;
            if (!set(x, y - 1)) outgoing[y * cw + x] |= 1 << 0;            // top: (x, y) → (x + 1, y)
            if (!set(x + 1, y)) outgoing[y * cw + x + 1] |= 1 << 1;        // right: (x + 1, y) → (x + 1, y + 1)
            if (!set(x, y + 1)) outgoing[(y + 1) * cw + x + 1] |= 1 << 2;  // bottom: (x + 1, y + 1) → (x, y + 1)
            if (!set(x - 1, y)) outgoing[(y + 1) * cw + x] |= 1 << 3;      // left: (x, y + 1) → (x, y)
        }
    }
    const std::vector<std::uint8_t> original = outgoing;
    const std::int64_t stepLimit = 4 * cornerCount;
    std::vector<Vector2> corners;
    for (std::int64_t start = 0; start < cornerCount; ++start) {
        while (outgoing[start] != 0) {
            int direction = std::countr_zero(static_cast<unsigned>(outgoing[start]));
            const int firstDirection = direction;
            corners.clear();
            std::int64_t corner = start;
            for (std::int64_t steps = 0; steps < stepLimit; ++steps) {
                corners.push_back({static_cast<double>(corner % cw), static_cast<double>(corner / cw)});
                outgoing[corner] &= static_cast<std::uint8_t>(~(1 << direction));
                corner += stepY[direction] * cw + stepX[direction];
                const std::uint8_t edges = original[corner];
                int next = -1;
                if (std::popcount(static_cast<unsigned>(edges)) == 2) {
                    next = (direction + 1) % 4;
                } else if (edges != 0) {
                    next = std::countr_zero(static_cast<unsigned>(edges));
                }
                if (corner == start && next == firstDirection) break;
                if (next < 0 || (outgoing[corner] & (1 << next)) == 0) break;
                direction = next;
            }
            if (corners.size() < 4) continue;
            std::vector<Vector2> contour;
            contour.reserve(corners.size());
            for (std::size_t i = 0; i < corners.size(); ++i) {
                const Vector2 a = corners[i];
                const Vector2 b = corners[(i + 1) % corners.size()];
                contour.push_back({(a.x + b.x) / 2, (a.y + b.y) / 2});
            }
            contours.push_back(std::move(contour));
        }
    }
    return contours;
}

std::vector<Vector2> largestContour(const std::vector<bool>& mask, int width, int height) {
    std::vector<Vector2> best;
    double bestArea = -1;
    for (std::vector<Vector2>& contour : traceContours(mask, width, height)) {
        const double area = std::abs(icon_geometry::signedArea(contour));
        if (area > bestArea) {
            bestArea = area;
            best = std::move(contour);
        }
    }
    return best;
}

}  // namespace photo_analysis
