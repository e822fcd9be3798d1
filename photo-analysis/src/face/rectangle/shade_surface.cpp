#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <optional>

#include "face/rectangle_detector_stages.hpp"

// Shade surface: the grey a quadrilateral holds, the plane of its prevailing
// shade, and what lies beyond a quadrilateral nested in it.
namespace photo_analysis::rectangle_stages {

namespace {

std::optional<ShadePlane> fitPlane(const std::vector<GreySample>& samples, const ShadePlane& start, double within) {
    double s[3][4] = {};
    for (const GreySample& g : samples) {
        if (std::abs(g.grey - start.at(g.point)) > within) continue;
        const double v[3] = {1, g.point.x - start.origin.x, g.point.y - start.origin.y};
        for (int r = 0; r < 3; ++r) {
            for (int k = 0; k < 3; ++k) s[r][k] += v[r] * v[k];
            s[r][3] += v[r] * g.grey;
        }
    }
    if (s[0][0] < 16) return std::nullopt;
    // Gauss-Jordan elimination with partial pivoting on the normal equations.
    for (int col = 0; col < 3; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 3; ++r) {
            if (std::abs(s[r][col]) > std::abs(s[pivot][col])) pivot = r;
        }
        if (!(std::abs(s[pivot][col]) > 1e-9)) return std::nullopt;
        for (int k = 0; k < 4; ++k) std::swap(s[col][k], s[pivot][k]);
        for (int r = 0; r < 3; ++r) {
            if (r == col) continue;
            const double f = s[r][col] / s[col][col];
            for (int k = col; k < 4; ++k) s[r][k] -= f * s[col][k];
        }
    }
    return ShadePlane{s[0][3] / s[0][0], s[1][3] / s[1][1], s[2][3] / s[2][2], start.origin, true};
}

// Calls `visit` on each grid point of `outer` beyond `inner` by `margin`.
template <typename Visit>
void forEachBeyond(const Surface& outer, const Quad& inner, double margin, Visit visit) {
    const ConvexRegion region(inner.corners);
    // Each row of the grid leaves `inner` in one stretch: the points before it
    // and after it.
    for (const auto& [first, end] : outer.rows) {
        const auto [lo, hi] = region.row(outer.samples[first].point.y, margin);
        std::size_t i = first;
        for (; i < end && !(outer.samples[i].point.x >= lo && lo <= hi); ++i) visit(outer.samples[i]);
        std::size_t j = end;
        for (; j > i && outer.samples[j - 1].point.x > hi; --j) visit(outer.samples[j - 1]);
    }
}

}  // namespace

ShadePlane shadePlane(const std::vector<GreySample>& samples, Vector2 origin, const RectangleDetectorOptions& o) {
    // Start flat at the most common shade, then let the plane follow the light.
    std::array<int, 256> counts{};
    for (const GreySample& g : samples) ++counts[static_cast<std::size_t>(g.grey)];
    const auto peak = std::max_element(counts.begin(), counts.end()) - counts.begin();
    ShadePlane plane{static_cast<double>(peak), 0, 0, origin, true};
    for (const double within : {3 * o.faceShadeTolerance, 2 * o.faceShadeTolerance, o.faceShadeTolerance}) {
        const auto refined = fitPlane(samples, plane, within);
        if (!refined) break;
        plane = *refined;
    }
    return plane;
}

Surface surfaceOf(const platform::RegionEdges& edges, const Quad& quad, const RectangleDetectorOptions& o) {
    double x0 = quad.corners[0].x, x1 = x0, y0 = quad.corners[0].y, y1 = y0;
    for (const Vector2 c : quad.corners) {
        x0 = std::min(x0, c.x);
        x1 = std::max(x1, c.x);
        y0 = std::min(y0, c.y);
        y1 = std::max(y1, c.y);
    }
    x0 = std::max(x0, 0.0);
    y0 = std::max(y0, 0.0);
    x1 = std::min(x1, edges.width - 1.0);
    y1 = std::min(y1, edges.height - 1.0);
    const double step = std::max(2.0, std::min(edges.width, edges.height) / o.shadeGridSteps);
    const ConvexRegion region(quad.corners);
    Surface surface;
    surface.corners = quad.corners;
    std::vector<GreySample> subject;
    for (double y = y0 + step / 2; y < y1; y += step) {
        const std::size_t first = surface.samples.size();
        for (double x = x0 + step / 2; x < x1; x += step) {
            if (!region.contains({x, y}, -2.0)) continue;
            const std::size_t i =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(edges.width) + static_cast<std::size_t>(x);
            const bool on = edges.inside[i] == 255;
            surface.samples.push_back({{x, y}, on ? static_cast<double>(edges.grey[i]) : -1.0});
            if (on) subject.push_back(surface.samples.back());
        }
        if (surface.samples.size() > first) surface.rows.push_back({first, surface.samples.size()});
    }
    if (subject.size() < 16) return surface;
    Vector2 origin{0, 0};
    for (const Vector2 c : quad.corners) origin = origin + c * 0.25;
    surface.plane = shadePlane(subject, origin, o);
    return surface;
}

Beyond beyond(const Surface& outer, const Quad& inner, const ShadePlane& face, const RectangleDetectorOptions& o) {
    Beyond counts;
    forEachBeyond(outer, inner, 2.0, [&](const GreySample& g) {
        ++counts.points;
        if (g.grey < 0) return;
        ++counts.onSubject;
        if (face.valid && std::abs(g.grey - face.at(g.point)) <= o.faceShadeTolerance) ++counts.faceShaded;
    });
    return counts;
}

// Nearly all of it on the subject (the silhouette's rounded corners aside) and
// nearly all of that in a shade of its own, which may change smoothly across it.
// A side of the body is plain; the face holds the details.
bool plainStrip(const Surface& outer, const Quad& inner, const RectangleDetectorOptions& o) {
    return plainStrip(outer, inner, {2.0, o.stripOnSubjectShare, o.plainStripShare}, o);
}

bool plainStrip(const Surface& outer, const Quad& inner, const Plainness& plain, const RectangleDetectorOptions& o) {
    int points = 0;
    std::vector<GreySample> subject;
    const ConvexRegion bounds(outer.corners);
    forEachBeyond(outer, inner, plain.margin, [&](const GreySample& g) {
        if (!bounds.contains(g.point, -plain.margin)) return;
        ++points;
        if (g.grey >= 0) subject.push_back(g);
    });
    if (subject.size() < 16 || static_cast<double>(subject.size()) < plain.onSubject * points) return false;
    const ShadePlane plane = shadePlane(subject, subject.front().point, o);
    const auto inShade = std::count_if(subject.begin(), subject.end(), [&](const GreySample& g) {
        return std::abs(g.grey - plane.at(g.point)) <= o.faceShadeTolerance;
    });
    return static_cast<double>(inShade) >= plain.inShade * static_cast<double>(subject.size());
}

// A side of the body beyond the face's edge, not more of the face beyond a line
// across it: more of the face holds many points of the face's own shade between
// whatever details cross it.
bool shadeChanges(const Beyond& b, const RectangleDetectorOptions& o) {
    return b.onSubject >= 16 && b.faceShaded < o.minimumFaceShadedShare * b.onSubject;
}

// All on the subject, and mostly in the face's own shade.
bool moreOfTheFace(const Beyond& b, const RectangleDetectorOptions& o) {
    return b.points >= 16 && b.onSubject >= o.minimumOnSubjectShare * b.points &&
           b.faceShaded >= o.plainlyFaceShadedShare * b.onSubject;
}

namespace {

enum class Across { unread, neither, step, stroke };

// How the grey changes across `line` over the stretch of `o.stepStretch` from
// `start` along it, read `r` working pixels to each side.
Across stretchAcross(const platform::RegionEdges& edges, const Line& line, double start, int r,
                     const RectangleDetectorOptions& o) {
    // The grey summed over the stretch at each offset across the line; the
    // reach is a small share of the region, well within the array.
    constexpr int widest = 64;
    r = std::min(r, 2 * widest);
    // Every other pixel across and along: the blur spreads an edge wider.
    const std::size_t samples = static_cast<std::size_t>(r + 1);
    const Vector2 across = line.normal();
    std::array<double, 2 * widest + 1> sum{};
    std::array<std::uint8_t, 2 * widest + 1> row{};
    int rows = 0, tried = 0;
    for (double t = start + 1; t < start + o.stepStretch; t += 2, ++tried) {
        const Vector2 base = line.point + line.direction * t;
        bool onSubject = true;
        for (int u = -r; u <= r && onSubject; u += 2) {
            const Vector2 p = base + across * u;
            const double x = std::floor(p.x), y = std::floor(p.y);
            if (!(x >= 0 && y >= 0 && x < edges.width && y < edges.height)) {
                onSubject = false;
                break;
            }
            const std::size_t i =
                static_cast<std::size_t>(y) * static_cast<std::size_t>(edges.width) + static_cast<std::size_t>(x);
            onSubject = edges.inside[i] == 255;
            row[static_cast<std::size_t>((u + r) / 2)] = edges.grey[i];
        }
        if (!onSubject) continue;
        for (std::size_t k = 0; k < samples; ++k) sum[k] += row[k];
        ++rows;
    }
    if (rows == 0 || 2 * rows < tried) return Across::unread;
    // Each side's shade over the outer half of the reach, and how far the grey
    // strays within it and between the two.
    struct Stretch {
        double mean = 0, low = std::numeric_limits<double>::max(), high = std::numeric_limits<double>::lowest();
    };
    const auto over = [&](std::size_t first, std::size_t last) {
        Stretch s;
        for (std::size_t k = first; k <= last; ++k) {
            const double g = sum[k] / rows;
            s.mean += g / static_cast<double>(last - first + 1);
            s.low = std::min(s.low, g);
            s.high = std::max(s.high, g);
        }
        return s;
    };
    const std::size_t half = static_cast<std::size_t>(r / 4);
    const Stretch a = over(0, half), b = over(samples - 1 - half, samples - 1),
                  between = over(half + 1, samples - 2 - half);
    const double tolerance = std::max(o.strokeTolerance, 0.25 * std::abs(a.mean - b.mean));
    const bool plain = a.high - a.low <= tolerance && b.high - b.low <= tolerance;
    if (between.low < std::min(a.mean, b.mean) - tolerance || between.high > std::max(a.mean, b.mean) + tolerance)
        return Across::stroke;
    return plain && std::abs(a.mean - b.mean) >= o.stepContrast ? Across::step : Across::neither;
}

void count(Crossing& counts, Across verdict) {
    if (verdict == Across::unread) return;
    ++counts.stretches;
    counts.steps += verdict == Across::step;
    counts.strokes += verdict == Across::stroke;
}

// Closer in than four pixels, the edge's own blur is all there is to read; and a
// surface narrower than the reach cannot be told from a stroke.
bool readable(double reach, double width) {
    return reach >= 4 && width >= 1.5 * reach;
}

}  // namespace

Crossing crossing(const platform::RegionEdges& edges, const Line& line, double from, double to, double reach,
                  double width, const RectangleDetectorOptions& o) {
    Crossing counts;
    if (!readable(reach, width)) return counts;
    const int r = static_cast<int>(std::floor(reach));
    for (double start = from; start + o.stepStretch <= to; start += o.stepStretch)
        count(counts, stretchAcross(edges, line, start, r, o));
    return counts;
}

CrossingReader::CrossingReader(const platform::RegionEdges& edges, const std::vector<Line>& lines,
                               const RectangleDetectorOptions& o)
    : edges_(edges), lines_(lines), o_(o), reach_(o.stepReachShare * std::min(edges.width, edges.height)) {}

Crossing CrossingReader::across(int line, Vector2 from, Vector2 to, double width) {
    Crossing counts;
    if (!readable(reach_, width)) return counts;
    const Line& edge = lines_[static_cast<std::size_t>(line)];
    double lo = edge.along(from), hi = edge.along(to);
    if (lo > hi) std::swap(lo, hi);
    // Stretches laid along the line from its own point, each read once.
    const double length = o_.stepStretch;
    for (long k = static_cast<long>(std::ceil(lo / length)); (k + 1) * length <= hi; ++k) {
        const auto [known, fresh] = read_.try_emplace({line, k}, 0);
        if (fresh) {
            known->second =
                static_cast<int>(stretchAcross(edges_, edge, k * length, static_cast<int>(std::floor(reach_)), o_));
        }
        count(counts, static_cast<Across>(known->second));
    }
    return counts;
}

bool stepsAcross(const Crossing& c, const RectangleDetectorOptions& o) {
    return c.steps >= 2 && c.steps >= o.stepShare * (c.steps + c.strokes) && c.steps >= o.stepLengthShare * c.stretches;
}

}  // namespace photo_analysis::rectangle_stages
