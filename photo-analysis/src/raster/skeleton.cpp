#include <algorithm>
#include <cmath>
#include <unordered_set>

#include "icon_geometry/path_fitting.hpp"
#include "raster/components.hpp"
#include "raster/grid.hpp"

namespace photo_analysis {

namespace {

bool allFinite(const std::vector<Vector2>& points) {
    return std::all_of(points.begin(), points.end(),
                       [](Vector2 p) { return std::isfinite(p.x) && std::isfinite(p.y); });
}

Vector2 centre(std::int64_t index, std::int64_t width) {
    return {static_cast<double>(index % width) + 0.5, static_cast<double>(index / width) + 0.5};
}

// An open line: its inner points averaged over five, the two at each end kept,
// then fitted.
BezierPath openPath(const std::vector<Vector2>& points, double tolerance) {
    if (points.empty() || !allFinite(points)) return {};
    std::vector<Vector2> smoothed = points;
    const std::size_t n = points.size();
    if (n >= 6) {
        for (std::size_t i = 2; i + 2 < n; ++i) {
            Vector2 sum{0, 0};
            for (std::size_t k = i - 2; k <= i + 2; ++k) sum = sum + points[k];
            smoothed[i] = sum * (1.0 / 5.0);
        }
    }
    icon_geometry::PathBuilder builder;
    builder.moveTo(smoothed.front());
    for (std::size_t i = 1; i < n; ++i) builder.lineTo(smoothed[i]);
    return icon_geometry::PathFitting::fit(builder.finish(), tolerance);
}

BezierPath polylinePath(const Polyline& line, double tolerance) {
    return line.isClosed ? smoothedClosedPath(line.points, tolerance) : openPath(line.points, tolerance);
}

}  // namespace

BezierPath smoothedClosedPath(const std::vector<Vector2>& points, double tolerance) {
    if (points.empty() || !allFinite(points)) return {};
    std::vector<Vector2> smoothed = points;
    const std::size_t n = points.size();
    if (n >= 6) {
        for (std::size_t i = 0; i < n; ++i) {
            Vector2 sum{0, 0};
            for (std::size_t k = 0; k < 5; ++k) sum = sum + points[(i + n + k - 2) % n];
            smoothed[i] = sum * (1.0 / 5.0);
        }
    }
    icon_geometry::PathBuilder builder;
    builder.moveTo(smoothed.front());
    for (std::size_t i = 1; i < n; ++i) builder.lineTo(smoothed[i]);
    builder.closeSubpath();
    return icon_geometry::PathFitting::fit(builder.finish(), tolerance);
}

// Only set cells can be deleted, so each pass visits the cells still set (kept
// in row-major order) rather than the whole grid; deletions are collected over
// the pass and applied after it, as the method requires.
std::vector<bool> thin(std::vector<bool> mask, int width, int height) {
    if (!grid::holds(mask.size(), width, height)) return {};
    const std::int64_t w = width;
    // A byte copy with a blank frame: neighbours of border cells read unset.
    const std::int64_t fw = w + 2;
    std::vector<std::uint8_t> cells(static_cast<std::size_t>(fw * (height + 2)), 0);
    std::vector<std::int64_t> active;
    for (std::int64_t y = 0; y < height; ++y) {
        for (std::int64_t x = 0; x < w; ++x) {
            if (!mask[y * w + x]) continue;
            const std::int64_t f = (y + 1) * fw + x + 1;
            cells[f] = 1;
            active.push_back(f);
        }
    }
    std::vector<std::int64_t> deleted;
    std::vector<std::int64_t> kept;
    const auto pass = [&](bool first) {
        deleted.clear();
        kept.clear();
        for (const std::int64_t f : active) {
            const int p2 = cells[f - fw], p3 = cells[f - fw + 1], p4 = cells[f + 1], p5 = cells[f + fw + 1];
            const int p6 = cells[f + fw], p7 = cells[f + fw - 1], p8 = cells[f - 1], p9 = cells[f - fw - 1];
            const int b = p2 + p3 + p4 + p5 + p6 + p7 + p8 + p9;
            const int a = (!p2 && p3) + (!p3 && p4) + (!p4 && p5) + (!p5 && p6) + (!p6 && p7) + (!p7 && p8) +
                          (!p8 && p9) + (!p9 && p2);
            const bool deletable =
                b >= 2 && b <= 6 && a == 1 &&
                (first ? (p2 * p4 * p6 == 0 && p4 * p6 * p8 == 0) : (p2 * p4 * p8 == 0 && p2 * p6 * p8 == 0));
            (deletable ? deleted : kept).push_back(f);
        }
        for (const std::int64_t f : deleted) cells[f] = 0;
        active.swap(kept);
        return !deleted.empty();
    };
    while (true) {
        const bool firstDeleted = pass(true);
        const bool secondDeleted = pass(false);
        if (!firstDeleted && !secondDeleted) break;
    }
    std::vector<bool> result(mask.size(), false);
    for (const std::int64_t f : active) result[(f / fw - 1) * w + (f % fw - 1)] = true;
    return result;
}

std::vector<std::int64_t> skeletonNeighbours(std::int64_t index, int width, int height, const std::vector<bool>& mask) {
    std::vector<std::int64_t> result;
    if (!grid::holds(mask.size(), width, height) || index < 0 || index >= static_cast<std::int64_t>(mask.size())) {
        return result;
    }
    const std::int64_t w = width;
    const std::int64_t x = index % w;
    const std::int64_t y = index / w;
    const auto set = [&](std::int64_t cx, std::int64_t cy) {
        return cx >= 0 && cy >= 0 && cx < width && cy < height && mask[cy * w + cx];
    };
    constexpr int straight[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
    for (const auto& d : straight) {
        if (set(x + d[0], y + d[1])) result.push_back((y + d[1]) * w + x + d[0]);
    }
    constexpr int diagonal[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};
    for (const auto& d : diagonal) {
        if (set(x + d[0], y + d[1]) && !set(x + d[0], y) && !set(x, y + d[1])) {
            result.push_back((y + d[1]) * w + x + d[0]);
        }
    }
    return result;
}

std::vector<Polyline> skeletonPolylines(const std::vector<bool>& skeleton, int width, int height) {
    std::vector<Polyline> open;
    if (!grid::holds(skeleton.size(), width, height)) return open;
    const std::int64_t w = width;
    const std::int64_t cellCount = static_cast<std::int64_t>(skeleton.size());
    const auto neighbours = [&](std::int64_t p) { return skeletonNeighbours(p, width, height, skeleton); };
    // A step between two cells, the same key from either end.
    const auto stepKey = [cellCount](std::int64_t p, std::int64_t q) {
        return std::min(p, q) * cellCount + std::max(p, q);
    };
    std::unordered_set<std::int64_t> taken;
    std::vector<bool> used(skeleton.size(), false);

    for (std::int64_t node = 0; node < cellCount; ++node) {
        if (!skeleton[node]) continue;
        const std::vector<std::int64_t> nodeNeighbours = neighbours(node);
        if (nodeNeighbours.size() == 2) continue;
        for (const std::int64_t first : nodeNeighbours) {
            if (!taken.insert(stepKey(node, first)).second) continue;
            Polyline line;
            line.points = {centre(node, w), centre(first, w)};
            used[node] = true;
            used[first] = true;
            std::int64_t previous = node;
            std::int64_t current = first;
            while (true) {
                const std::vector<std::int64_t> next = neighbours(current);
                if (next.size() != 2) break;
                const std::int64_t to = next[0] != previous ? next[0] : next[1];
                if (to == previous) break;
                if (!taken.insert(stepKey(current, to)).second) break;
                line.points.push_back(centre(to, w));
                used[to] = true;
                previous = current;
                current = to;
            }
            open.push_back(std::move(line));
        }
    }

    std::vector<Polyline> closed;
    for (std::int64_t start = 0; start < cellCount; ++start) {
        if (!skeleton[start] || used[start]) continue;
        const std::vector<std::int64_t> startNeighbours = neighbours(start);
        if (startNeighbours.size() != 2) continue;
        Polyline loop;
        loop.isClosed = true;
        loop.points.push_back(centre(start, w));
        used[start] = true;
        std::int64_t previous = start;
        std::int64_t current = startNeighbours[0];
        while (current != start && !used[current]) {
            loop.points.push_back(centre(current, w));
            used[current] = true;
            const std::vector<std::int64_t> next = neighbours(current);
            const auto to = std::find_if(next.begin(), next.end(), [&](std::int64_t q) { return q != previous; });
            if (to == next.end()) break;
            previous = current;
            current = *to;
        }
        closed.push_back(std::move(loop));
    }
    open.insert(open.end(), std::make_move_iterator(closed.begin()), std::make_move_iterator(closed.end()));
    return open;
}

double polylineLength(const std::vector<Vector2>& points) {
    double length = 0;
    for (std::size_t i = 1; i < points.size(); ++i) length += points[i - 1].distance(points[i]);
    return length;
}

std::vector<BezierPath> strokePaths(const std::vector<bool>& mask, int width, int height, double minimumLength) {
    std::vector<BezierPath> paths;
    const std::vector<Polyline> lines = skeletonPolylines(thin(mask, width, height), width, height);
    std::vector<double> lengths;
    double longest = 0;
    for (const Polyline& line : lines) {
        lengths.push_back(polylineLength(line.points));
        longest = std::max(longest, lengths.back());
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].points.size() <= 2) continue;
        const double length = lengths[i];
        const bool kept = (length >= minimumLength && length >= 0.2 * longest) ||
                          (lines.size() == 1 && length >= 0.2 * longest && length >= minimumLength / 2);
        if (kept) paths.push_back(polylinePath(lines[i], 0.9));
    }
    return paths;
}

std::vector<BezierPath> boundaryPaths(const std::vector<bool>& region, const std::vector<bool>& face, int width,
                                      int height, double minimumLength) {
    std::vector<BezierPath> paths;
    if (!grid::holds(region.size(), width, height) || !grid::holds(face.size(), width, height)) return paths;
    const std::int64_t w = width;
    std::vector<bool> border(region.size(), false);
    const auto outside = [&](std::int64_t p) { return face[p] && !region[p]; };
    for (std::int64_t y = 1; y + 1 < height; ++y) {
        for (std::int64_t x = 1; x + 1 < w; ++x) {
            const std::int64_t p = y * w + x;
            if (!region[p] || !face[p]) continue;
            border[p] = outside(p - 1) || outside(p + 1) || outside(p - w) || outside(p + w);
        }
    }
    for (const Polyline& line : skeletonPolylines(thin(std::move(border), width, height), width, height)) {
        if (polylineLength(line.points) >= minimumLength) paths.push_back(polylinePath(line, 1.2));
    }
    return paths;
}

}  // namespace photo_analysis
