#include <algorithm>
#include <array>
#include <cmath>
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

// Calls `visit` on each grid point of `outer` beyond `inner`.
template <typename Visit>
void forEachBeyond(const Surface& outer, const Quad& inner, Visit visit) {
    const ConvexRegion region(inner.corners);
    // Each row of the grid leaves `inner` in one stretch: the points before it
    // and after it.
    for (const auto& [first, end] : outer.rows) {
        const auto [lo, hi] = region.row(outer.samples[first].point.y, 2.0);
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
    forEachBeyond(outer, inner, [&](const GreySample& g) {
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
    int points = 0;
    std::vector<GreySample> subject;
    forEachBeyond(outer, inner, [&](const GreySample& g) {
        ++points;
        if (g.grey >= 0) subject.push_back(g);
    });
    if (subject.size() < 16 || static_cast<double>(subject.size()) < o.stripOnSubjectShare * points) return false;
    const ShadePlane plane = shadePlane(subject, subject.front().point, o);
    const auto inShade = std::count_if(subject.begin(), subject.end(), [&](const GreySample& g) {
        return std::abs(g.grey - plane.at(g.point)) <= o.faceShadeTolerance;
    });
    return static_cast<double>(inShade) >= o.plainStripShare * static_cast<double>(subject.size());
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

}  // namespace photo_analysis::rectangle_stages
