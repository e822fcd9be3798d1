#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <span>

#include "face/rectangle_detector_stages.hpp"

// Outline runs: the straight stretches of the subject's outline.
namespace photo_analysis::rectangle_stages {

std::vector<std::size_t> outlineVertices(const std::vector<Vector2>& outline, double tolerance) {
    const std::size_t n = outline.size();
    if (n < 3) return {};
    // Split the loop at the point farthest from the first, then each chain at its
    // point farthest from its chord, until every chain lies within tolerance.
    std::size_t far = 0;
    for (std::size_t i = 1; i < n; ++i) {
        if (outline[i].distance(outline[0]) > outline[far].distance(outline[0])) far = i;
    }
    if (far == 0) return {};
    std::vector<bool> vertex(n, false);
    vertex[0] = vertex[far] = true;
    std::vector<std::pair<std::size_t, std::size_t>> chains{{0, far}, {far, n}};
    while (!chains.empty()) {
        const auto [from, to] = chains.back();
        chains.pop_back();
        const Vector2 a = outline[from], b = outline[to % n];
        const Vector2 chord = b - a;
        const double length = chord.length();
        double worst = 0;
        std::size_t at = from;
        for (std::size_t i = from + 1; i < to; ++i) {
            const Vector2 d = outline[i] - a;
            const double off = length > 0 ? std::abs(chord.cross(d)) / length : d.length();
            if (off > worst) {
                worst = off;
                at = i;
            }
        }
        if (worst <= tolerance) continue;
        vertex[at] = true;
        chains.push_back({from, at});
        chains.push_back({at, to});
    }
    std::vector<std::size_t> vertices;
    for (std::size_t i = 0; i < n; ++i) {
        if (vertex[i]) vertices.push_back(i);
    }
    return vertices;
}

// The straight runs of the subject's outline at least `minimumLength` long, each
// as a line fitted to its points and carried by one segment over its straight
// stretch. A face's side that the photo shows faintly, against a wall of its
// shade, is one run of a clean outline however its corners are rounded and
// however the lens bends it a little: the image's edges break it into pieces
// that no single line holds.
std::vector<Line> outlineRuns(const std::vector<Vector2>& outline, double minimumLength, double tolerance,
                              const RectangleDetectorOptions& o) {
    const std::vector<std::size_t> vertices = outlineVertices(outline, tolerance);
    const std::size_t n = outline.size();
    // The stretches between vertices, as index ranges round the loop (the last
    // one's end past n).
    std::vector<std::pair<std::size_t, std::size_t>> stretches;
    for (std::size_t v = 0; v < vertices.size(); ++v)
        stretches.push_back({vertices[v], v + 1 < vertices.size() ? vertices[v + 1] : vertices[0] + n});
    const auto pointsOf = [&](std::size_t from, std::size_t to) {
        std::vector<Vector2> points;
        for (std::size_t i = from; i <= to; ++i) points.push_back(outline[i % n]);
        return points;
    };
    // Neighbouring stretches that turn little and lie on one line within twice
    // the tolerance are one run: a cut-out's edge that wavers about a straight side.
    const double mergeTurn = std::cos(radians(o.mergeTurnDegrees));
    for (bool merged = true; merged && stretches.size() > 4;) {
        merged = false;
        for (std::size_t k = 0; k < stretches.size() && stretches.size() > 4; ++k) {
            const std::size_t next = (k + 1) % stretches.size();
            const auto [fromA, toA] = stretches[k];
            const auto [fromB, toB] = stretches[next];
            const Vector2 u = outline[toA % n] - outline[fromA % n], w = outline[toB % n] - outline[fromB % n];
            if (!(u.length() > 0 && w.length() > 0) || u.normalized().dot(w.normalized()) < mergeTurn) continue;
            const std::size_t from = fromA;
            std::size_t to = toB;
            while (to < toA) to += n;
            Line both{outline[from % n], u.normalized(), 0, {}};
            const auto points = pointsOf(from, to);
            for (std::size_t i = 0; i + 1 < points.size(); ++i) both.segments.push_back({points[i], points[i + 1]});
            refit(both);
            const bool straight = std::all_of(points.begin(), points.end(),
                                              [&](Vector2 p) { return std::abs(both.offset(p)) <= 2 * tolerance; });
            if (!straight) continue;
            if (next == 0) {
                // The loop's last stretch runs on into its first.
                stretches[0] = {from, to};
                stretches.pop_back();
            } else {
                stretches[k] = {from, to};
                stretches.erase(stretches.begin() + static_cast<std::ptrdiff_t>(next));
            }
            merged = true;
        }
    }
    std::vector<Line> runs;
    for (const auto& [from, to] : stretches) {
        const Vector2 a = outline[from % n], b = outline[to % n];
        if (a.distance(b) < minimumLength) continue;
        const std::vector<Vector2> points = pointsOf(from, to);
        // Fitted twice, the second time without the points that stray from the
        // first fit by more than half the tolerance: the start of a rounding.
        Line line{a, (b - a) * (1 / a.distance(b)), 0, {}};
        for (int pass = 0; pass < 2; ++pass) {
            std::vector<Segment> held;
            for (std::size_t i = 0; i + 1 < points.size(); ++i) {
                if (pass == 0 || (std::abs(line.offset(points[i])) <= tolerance / 2 &&
                                  std::abs(line.offset(points[i + 1])) <= tolerance / 2)) {
                    held.push_back({points[i], points[i + 1]});
                }
            }
            if (held.size() < 2) break;
            Line fitted = line;
            fitted.segments = std::move(held);
            refit(fitted);
            line.point = fitted.point;
            line.direction = fitted.direction;
        }
        double lo = std::numeric_limits<double>::max(), hi = std::numeric_limits<double>::lowest();
        for (const Vector2 p : points) {
            if (std::abs(line.offset(p)) > tolerance / 2) continue;
            lo = std::min(lo, line.along(p));
            hi = std::max(hi, line.along(p));
        }
        if (!(hi - lo >= minimumLength)) continue;
        line.segments = {{line.point + line.direction * lo, line.point + line.direction * hi}};
        line.weight = hi - lo;
        runs.push_back(std::move(line));
    }
    return runs;
}

std::vector<Line> uncarriedRuns(std::vector<Line> runs, std::span<const Line> lines,
                                const RectangleDetectorOptions& o) {
    std::erase_if(runs, [&](const Line& run) {
        const Segment& stretch = run.segments.front();
        return std::any_of(lines.begin(), lines.end(), [&](const Line& line) {
            return cover(std::span(&line, 1), run, stretch.a, stretch.b, o).share >= o.carriedRunShare;
        });
    });
    return runs;
}

}  // namespace photo_analysis::rectangle_stages
