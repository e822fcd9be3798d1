#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>
#include <span>

#include "face/rectangle_detector_stages.hpp"

// Side cover: how far the image's straight edges carry a side.
namespace photo_analysis::rectangle_stages {

std::vector<std::pair<double, double>> coveredSpans(std::span<const Line> lines, const Line& line, double lo, double hi,
                                                    const RectangleDetectorOptions& o) {
    std::vector<std::pair<double, double>> spans;
    for (const auto& other : lines) {
        if (undirectedAngle(other.direction, line.direction) > radians(o.sameLineAngleDegrees)) continue;
        for (const auto& s : other.segments) {
            if (std::abs(line.offset(s.a)) > o.sameLineDistance || std::abs(line.offset(s.b)) > o.sameLineDistance)
                continue;
            double a = line.along(s.a), b = line.along(s.b);
            if (a > b) std::swap(a, b);
            a = std::max(a, lo);
            b = std::min(b, hi);
            if (b > a) spans.push_back({a, b});
        }
    }
    std::sort(spans.begin(), spans.end());
    return spans;
}

SideCover cover(std::span<const Line> lines, const Line& line, Vector2 p, Vector2 q,
                const RectangleDetectorOptions& o) {
    double lo = line.along(p), hi = line.along(q);
    const bool reversed = lo > hi;
    if (reversed) std::swap(lo, hi);
    SideCover side;
    if (!(hi - lo > 0)) return side;
    double covered = 0, reach = lo, first = hi;
    for (const auto& [a, b] : coveredSpans(lines, line, lo, hi, o)) {
        const double from = std::max(a, reach);
        if (b > from) covered += b - from;
        reach = std::max(reach, b);
        first = std::min(first, a);
    }
    side.share = covered / (hi - lo);
    side.length = hi - lo;
    side.covered = covered;
    const double before = covered > 0 ? first - lo : hi - lo, after = covered > 0 ? hi - reach : hi - lo;
    side.fromStart = reversed ? after : before;
    side.toEnd = reversed ? before : after;
    return side;
}

// The share of each side's straight stretch that edges carry, on a face whose
// rounded corners leave every side bare near its ends: the rounding at a corner
// is the shorter of the two bare ends that meet there, and at most
// `o.maximumRounding` of the shorter side.
std::array<double, 4> straightShares(const std::array<SideCover, 4>& sides, double shortSide,
                                     const RectangleDetectorOptions& o) {
    const double largest = o.maximumRounding * shortSide;
    const auto rounding = [&](int corner) {
        return std::min({sides[static_cast<std::size_t>(corner)].fromStart,
                         sides[static_cast<std::size_t>((corner + 3) % 4)].toEnd, largest});
    };
    std::array<double, 4> shares{};
    for (int c = 0; c < 4; ++c) {
        const SideCover& side = sides[static_cast<std::size_t>(c)];
        const double straight = side.length - rounding(c) - rounding((c + 1) % 4);
        shares[static_cast<std::size_t>(c)] = straight > 0 ? std::min(1.0, side.covered / straight) : 0.0;
    }
    return shares;
}

double straightSupport(const std::array<SideCover, 4>& sides, double shortSide, const RectangleDetectorOptions& o) {
    double least = 1;
    for (const double share : straightShares(sides, shortSide, o)) least = std::min(least, share);
    return least;
}

}  // namespace photo_analysis::rectangle_stages
