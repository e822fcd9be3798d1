#include <algorithm>

#include "icon_geometry/convex_hull.hpp"
#include "icon_geometry/cubic.hpp"
#include "icon_geometry/polygon.hpp"
#include "projection/silhouette.hpp"

namespace icon_geometry::Silhouette {
namespace {

constexpr int samplesPerCubic = 48;  // 49 samples, t = k/48
constexpr double collinearTolerance = 1e-9;

struct Contour {
    const Subpath* subpath;
    std::vector<Piece> pieces;
};

// Appends piece `piece` between parameters s and e.
void appendPart(const Piece& piece, double s, double e, PathBuilder& builder) {
    if (!builder.current) return;
    if (const auto* c = piece.segment.asCubic()) {
        Cubic::Curve curve{piece.start, c->control1, c->control2, c->to};
        if (e < 1) curve = Cubic::subcurve(curve[0], curve[1], curve[2], curve[3], 0, e);
        if (s > 0 && e > 0) curve = Cubic::subcurve(curve[0], curve[1], curve[2], curve[3], s / e, 1);
        builder.curveTo(curve[3], curve[1], curve[2]);
    } else {
        const Vector2 end = piece.segment.end();
        builder.lineTo(piece.start + (end - piece.start) * e);
    }
}

}  // namespace

std::vector<Piece> closedPieces(const std::vector<PathSegment>& segments, Vector2 start) {
    std::vector<Piece> pieces;
    pieces.reserve(segments.size() + 1);
    Vector2 from = start;
    for (const PathSegment& segment : segments) {
        pieces.push_back({from, segment});
        from = segment.end();
    }
    if (from.x != start.x || from.y != start.y) pieces.push_back({from, PathSegment::line(start)});
    return pieces;
}

std::vector<Sample> sampleHull(std::vector<Sample> samples) {
    return convexHull(
        std::move(samples), [](const Sample& s) { return s.point; }, collinearTolerance);
}

void appendContourArc(const std::vector<Piece>& pieces, int a, double t0, int b, double t1, PathBuilder& builder) {
    const int n = static_cast<int>(pieces.size());
    if (n == 0) return;
    int i = a;
    double s = t0;
    for (int moves = 0; moves <= n; ++moves) {
        if (i == b && t1 >= s) {
            if (t1 > s) appendPart(pieces[static_cast<std::size_t>(i)], s, t1, builder);
            return;
        }
        if (moves == n) return;
        if (s < 1) appendPart(pieces[static_cast<std::size_t>(i)], s, 1, builder);
        i = (i + 1) % n;
        s = 0;
    }
}

BezierPath outlineBetween(const std::vector<BezierPath>& curves) {
    std::vector<Contour> contours;
    for (const BezierPath& curve : curves) {
        const auto it = std::find_if(curve.subpaths.begin(), curve.subpaths.end(),
                                     [](const Subpath& s) { return !s.segments.empty(); });
        if (it != curve.subpaths.end()) contours.push_back({&*it, closedPieces(it->segments, it->start)});
    }
    if (contours.empty()) return {};

    std::vector<Sample> samples;
    std::vector<Vector2> firstContourPoints;
    for (std::size_t i = 0; i < contours.size(); ++i) {
        const auto& pieces = contours[i].pieces;
        for (std::size_t j = 0; j < pieces.size(); ++j) {
            const Piece& piece = pieces[j];
            const int contour = static_cast<int>(i);
            const int segment = static_cast<int>(j);
            if (const auto* c = piece.segment.asCubic()) {
                for (int k = 0; k <= samplesPerCubic; ++k) {
                    const double t = static_cast<double>(k) / samplesPerCubic;
                    samples.push_back(
                        {contour, segment, t, Cubic::point(piece.start, c->control1, c->control2, c->to, t)});
                }
            } else {
                samples.push_back({contour, segment, 0, piece.start});
                samples.push_back({contour, segment, 1, piece.segment.end()});
            }
        }
        if (i == 0) {
            for (const Sample& s : samples) firstContourPoints.push_back(s.point);
        }
    }

    std::vector<Sample> hull = sampleHull(samples);
    if (hull.size() <= 2) return {};
    std::vector<Vector2> hullPoints;
    hullPoints.reserve(hull.size());
    for (const Sample& s : hull) hullPoints.push_back(s.point);
    if (signedArea(hullPoints) * signedArea(firstContourPoints) < 0) std::reverse(hull.begin(), hull.end());

    std::vector<std::vector<Sample>> runs;
    for (const Sample& s : hull) {
        if (runs.empty() || runs.back().back().contour != s.contour) runs.emplace_back();
        runs.back().push_back(s);
    }
    if (runs.size() >= 2 && runs.front().front().contour == runs.back().back().contour) {
        std::vector<Sample> merged = std::move(runs.back());
        runs.pop_back();
        merged.insert(merged.end(), runs.front().begin(), runs.front().end());
        runs.front() = std::move(merged);
    }
    if (runs.size() == 1) {
        const Subpath& only = *contours[static_cast<std::size_t>(runs.front().front().contour)].subpath;
        return BezierPath{{only}};
    }

    PathBuilder builder;
    for (std::size_t r = 0; r < runs.size(); ++r) {
        const Sample& first = runs[r].front();
        const Sample& last = runs[r].back();
        if (r == 0)
            builder.moveTo(first.point);
        else
            builder.lineTo(first.point);
        appendContourArc(contours[static_cast<std::size_t>(first.contour)].pieces, first.segment, first.t, last.segment,
                         last.t, builder);
    }
    builder.closeSubpath();
    return builder.finish();
}

}  // namespace icon_geometry::Silhouette
