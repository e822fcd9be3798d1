#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

#include "face/rectangle_detector_stages.hpp"

// Lines: the straight edges of the image, and the faint ones on the subject,
// gathered into lines.
namespace photo_analysis::rectangle_stages {

double radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

double undirectedAngle(Vector2 u, Vector2 v) {
    const double c = std::min(1.0, std::abs(u.dot(v)));
    return std::acos(c);
}

void refit(Line& line) {
    double sw = 0, mx = 0, my = 0;
    for (const auto& s : line.segments) {
        const double w = s.length();
        mx += w * (s.a.x + s.b.x) / 2;
        my += w * (s.a.y + s.b.y) / 2;
        sw += w;
    }
    if (!(sw > 0)) return;
    mx /= sw;
    my /= sw;
    double sxx = 0, sxy = 0, syy = 0;
    for (const auto& s : line.segments) {
        const double w = s.length();
        for (const Vector2 p : {s.a, s.b}) {
            const double dx = p.x - mx, dy = p.y - my;
            sxx += w * dx * dx;
            sxy += w * dx * dy;
            syy += w * dy * dy;
        }
    }
    const double theta = 0.5 * std::atan2(2 * sxy, sxx - syy);
    Vector2 direction{std::cos(theta), std::sin(theta)};
    if (direction.dot(line.direction) < 0) direction = -direction;
    line.point = {mx, my};
    line.direction = direction;
    line.weight = sw;
}

std::pair<double, double> extentAlong(const Line& reference, const Line& line) {
    double lo = std::numeric_limits<double>::max(), hi = std::numeric_limits<double>::lowest();
    for (const auto& s : line.segments) {
        for (const Vector2 p : {s.a, s.b}) {
            lo = std::min(lo, reference.along(p));
            hi = std::max(hi, reference.along(p));
        }
    }
    return {lo, hi};
}

namespace {

// Lines end to end that one straight line carries through all their segments:
// pieces of one long edge whose short segments, off by a pixel here and there
// (a segmentation's outline is never quite straight), each set off in a
// slightly different direction. Joined, they carry the edge's whole length.
void joinPieces(std::vector<Line>& lines, double shortestPiece, const RectangleDetectorOptions& o) {
    std::vector<Line> pieces, rest;
    for (auto& line : lines) (line.weight >= shortestPiece ? pieces : rest).push_back(std::move(line));
    lines = std::move(pieces);
    const double parallel = std::cos(radians(o.piecesAngleDegrees));
    for (bool joined = true; joined;) {
        joined = false;
        for (std::size_t i = 0; i < lines.size(); ++i) {
            for (std::size_t j = i + 1; j < lines.size(); ++j) {
                if (std::abs(lines[i].direction.dot(lines[j].direction)) < parallel) continue;
                const auto [loJ, hiJ] = extentAlong(lines[i], lines[j]);
                const auto [loI, hiI] = extentAlong(lines[i], lines[i]);
                if (std::min(hiI, hiJ) - std::max(loI, loJ) > o.piecesOverlap) continue;
                Line both = lines[i];
                both.segments.insert(both.segments.end(), lines[j].segments.begin(), lines[j].segments.end());
                refit(both);
                const bool carried = std::all_of(both.segments.begin(), both.segments.end(), [&](const Segment& s) {
                    return std::abs(both.offset(s.a)) <= o.sameLineDistance &&
                           std::abs(both.offset(s.b)) <= o.sameLineDistance;
                });
                if (!carried) continue;
                lines[i] = std::move(both);
                lines.erase(lines.begin() + static_cast<std::ptrdiff_t>(j));
                joined = true;
                --j;
            }
        }
    }
    lines.insert(lines.end(), std::make_move_iterator(rest.begin()), std::make_move_iterator(rest.end()));
}

}  // namespace

std::vector<Line> collinearLines(std::vector<Segment> segments, double minimumLength,
                                 const RectangleDetectorOptions& o) {
    std::sort(segments.begin(), segments.end(),
              [](const Segment& l, const Segment& r) { return l.length() > r.length(); });
    std::vector<Line> lines;
    for (const auto& s : segments) {
        const double length = s.length();
        if (!(length > 4)) continue;
        const Vector2 direction = (s.b - s.a) * (1 / length);
        Line* home = nullptr;
        for (auto& line : lines) {
            if (undirectedAngle(line.direction, direction) <= radians(o.sameLineAngleDegrees) &&
                std::abs(line.offset(s.a)) <= o.sameLineDistance && std::abs(line.offset(s.b)) <= o.sameLineDistance) {
                home = &line;
                break;
            }
        }
        if (home) {
            home->segments.push_back(s);
            refit(*home);
        } else {
            lines.push_back({s.a, direction, length, {s}});
        }
    }
    joinPieces(lines, minimumLength / 4, o);
    std::erase_if(lines, [&](const Line& l) { return l.weight < minimumLength; });
    std::sort(lines.begin(), lines.end(), [](const Line& l, const Line& r) { return l.weight > r.weight; });
    if (lines.size() > static_cast<std::size_t>(o.maximumLines)) lines.resize(o.maximumLines);
    return lines;
}

std::optional<Vector2> intersection(const Line& l, const Line& m) {
    const double denominator = l.direction.cross(m.direction);
    if (std::abs(denominator) < 1e-9) return std::nullopt;
    const double t = (m.point - l.point).cross(m.direction) / denominator;
    return l.point + l.direction * t;
}

// The faint edges on the subject that no plain edge already carries: where the
// shading changes between the face and a side of the body of nearly its shade,
// which the silhouette's own edge, farther out, would otherwise stand in for;
// and a light face's edge against a wall of nearly its shade.
std::vector<Segment> faintInnerSegments(const platform::RegionEdges& edges, const RectangleDetectorOptions& o) {
    const auto inside = [&](Vector2 p) {
        const double x = std::floor(p.x), y = std::floor(p.y);
        if (!(x >= 0 && y >= 0 && x < edges.width && y < edges.height)) return false;
        return edges.inside[static_cast<std::size_t>(y) * static_cast<std::size_t>(edges.width) +
                            static_cast<std::size_t>(x)] == 255;
    };
    std::vector<Segment> kept;
    for (const Segment& s : edges.faintGreyEdges) {
        const double length = s.length();
        if (!(length > 4)) continue;
        const Vector2 direction = (s.b - s.a) * (1 / length);
        // On the subject, or along its edge just outside a mask drawn a little
        // tight: within a few pixels of it across the segment.
        const Vector2 across = Vector2{-direction.y, direction.x} * o.maskSlack;
        const auto near = [&](Vector2 p) { return inside(p) || inside(p + across) || inside(p - across); };
        if (!near(s.a) || !near(s.b) || !near((s.a + s.b) * 0.5)) continue;
        // Carried where a plain edge on its line runs alongside it for most of its
        // length; past the plain edge's ends it carries the line on alone (a
        // face's edge whose contrast fades along it).
        const bool carried = std::any_of(edges.greyEdges.begin(), edges.greyEdges.end(), [&](const Segment& g) {
            const double l = g.length();
            if (!(l > 4)) return false;
            const Vector2 along = (g.b - g.a) * (1 / l);
            const Vector2 normal{-along.y, along.x};
            if (!(undirectedAngle(along, direction) <= radians(o.sameLineAngleDegrees) &&
                  std::abs((s.a - g.a).dot(normal)) <= o.sameLineDistance &&
                  std::abs((s.b - g.a).dot(normal)) <= o.sameLineDistance)) {
                return false;
            }
            double lo = (g.a - s.a).dot(direction), hi = (g.b - s.a).dot(direction);
            if (lo > hi) std::swap(lo, hi);
            return std::min(hi, length) - std::max(lo, 0.0) >= 0.5 * length;
        });
        if (!carried) kept.push_back(s);
    }
    return kept;
}

}  // namespace photo_analysis::rectangle_stages
