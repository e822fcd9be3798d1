#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

#include "face/rectangle_detector_stages.hpp"
#include "icon_geometry/polygon.hpp"

// Closing: quadrilaterals closed from two pairs of nearly parallel lines.
namespace photo_analysis::rectangle_stages {

bool contains(const std::array<Vector2, 4>& quad, Vector2 p, double margin) {
    return ConvexRegion(quad).contains(p, margin);
}

namespace {

// Two opposite sides from lines i, j and two from k, l: the quadrilateral they
// close, if it meets the request's limits. The side on `faintLine`, if any, is
// judged on its straight stretch alone, against `o.faintSideShare`.
std::optional<Quad> closeQuad(const std::vector<Line>& lines, int i, int j, int k, int l, double regionSide,
                              const RectangleRequest& request, double regionWidth, double regionHeight,
                              Refusal& refusal, const RectangleDetectorOptions& o, int faintLine = -1) {
    refusal = Refusal::outsideRegion;
    // Corners in order around the quadrilateral: (i,k) (k,j) (j,l) (l,i).
    const int order[4][2] = {{i, k}, {k, j}, {j, l}, {l, i}};
    std::array<Vector2, 4> corners;
    for (int c = 0; c < 4; ++c) {
        const auto p = intersection(lines[order[c][0]], lines[order[c][1]]);
        if (!p) return std::nullopt;
        if (p->x < -0.05 * regionWidth || p->y < -0.05 * regionHeight || p->x > 1.05 * regionWidth ||
            p->y > 1.05 * regionHeight) {
            return std::nullopt;
        }
        corners[c] = *p;
    }
    // Sides in the same order: corner c to c + 1 lies on line order[c][1]... the
    // shared line of consecutive corners.
    std::array<int, 4> sideLines = {k, j, l, i};
    double area = icon_geometry::signedArea(corners);
    if (area < 0) {
        std::reverse(corners.begin(), corners.end());
        // Reversed corners c0 c1 c2 c3 → c3 c2 c1 c0; side from new c to c + 1.
        sideLines = {l, j, k, i};
        area = -area;
    }
    // Convex, with every corner within the right-angle tolerance.
    const double tolerance = radians(request.quadratureTolerance);
    for (int c = 0; c < 4; ++c) {
        const Vector2 prev = corners[(c + 3) % 4] - corners[c], next = corners[(c + 1) % 4] - corners[c];
        refusal = Refusal::notRightAngled;
        if (prev.cross(next) >= 0) return std::nullopt;  // not turning clockwise: not convex
        const double angle = std::acos(std::clamp(prev.normalized().dot(next.normalized()), -1.0, 1.0));
        if (std::abs(angle - std::numbers::pi / 2) > tolerance) return std::nullopt;
    }
    const double side0 = (corners[0].distance(corners[1]) + corners[3].distance(corners[2])) / 2;
    const double side1 = (corners[1].distance(corners[2]) + corners[0].distance(corners[3])) / 2;
    const double shortSide = std::min(side0, side1), longSide = std::max(side0, side1);
    const double ratio = shortSide / longSide;
    refusal = Refusal::proportions;
    if (!(ratio >= request.minimumAspectRatio && ratio <= request.maximumAspectRatio)) return std::nullopt;
    refusal = Refusal::size;
    if (shortSide < request.minimumSize * regionSide) return std::nullopt;

    Quad quad{corners, sideLines, 0, 1, area};
    std::array<SideCover, 4> sides;
    double total = 0;
    for (int c = 0; c < 4; ++c) {
        sides[static_cast<std::size_t>(c)] = cover(lines, lines[sideLines[c]], corners[c], corners[(c + 1) % 4], o);
        const double s = sides[static_cast<std::size_t>(c)].share;
        quad.minimumSupport = std::min(quad.minimumSupport, s);
        total += s;
    }
    quad.confidence = total / 4;
    refusal = Refusal::confidence;
    if (quad.confidence < request.minimumConfidence) return std::nullopt;
    // Well-rounded corners leave the sides bare near the corners: judged on their
    // straight stretches instead.
    refusal = Refusal::support;
    if (faintLine >= 0) {
        const std::array<double, 4> straight = straightShares(sides, shortSide, o);
        bool carried = true, straightCarried = true;
        for (std::size_t c = 0; c < 4; ++c) {
            if (sideLines[c] == faintLine) {
                if (straight[c] < o.faintSideShare) return std::nullopt;
                continue;
            }
            carried = carried && sides[c].share >= o.minimumSideSupport;
            straightCarried = straightCarried && straight[c] >= o.minimumSideSupport;
        }
        if (!carried && !straightCarried) return std::nullopt;
    } else if (quad.minimumSupport < o.minimumSideSupport &&
               straightSupport(sides, shortSide, o) < o.minimumSideSupport) {
        return std::nullopt;
    }
    refusal = Refusal::none;
    // Start at the corner nearest the top left of the photo, clockwise on screen.
    int first = 0;
    for (int c = 1; c < 4; ++c) {
        if (corners[c].x + corners[c].y < corners[first].x + corners[first].y) first = c;
    }
    std::rotate(quad.corners.begin(), quad.corners.begin() + first, quad.corners.end());
    std::rotate(quad.lines.begin(), quad.lines.begin() + first, quad.lines.end());
    return quad;
}

}  // namespace

std::optional<Quad> closeOnFaintSide(const std::vector<Line>& lines, const Quad& quad, int side, int line,
                                     double regionSide, const RectangleRequest& request, double regionWidth,
                                     double regionHeight, const RectangleDetectorOptions& o) {
    std::array<int, 4> sides = quad.lines;
    sides[static_cast<std::size_t>(side)] = line;
    // Opposite sides 0 and 2, 1 and 3; corner c between sides c - 1 and c.
    Refusal refusal = Refusal::none;
    return closeQuad(lines, sides[3], sides[1], sides[0], sides[2], regionSide, request, regionWidth, regionHeight,
                     refusal, o, line);
}

Closing closeQuadrilaterals(const std::vector<Line>& lines, double regionSide, const RectangleRequest& request,
                            double regionWidth, double regionHeight, const RectangleDetectorOptions& o) {
    const int n = static_cast<int>(lines.size());
    const double parallel = radians(request.quadratureTolerance);

    std::vector<std::pair<int, int>> pairs;
    for (int i = 0; i < n; ++i) {
        for (int j = i + 1; j < n; ++j) {
            if (undirectedAngle(lines[i].direction, lines[j].direction) > parallel) continue;
            if (std::abs(lines[i].offset(lines[j].point)) < request.minimumSize * regionSide) continue;
            pairs.push_back({i, j});
        }
    }
    Closing closing;
    for (std::size_t a = 0; a < pairs.size(); ++a) {
        for (std::size_t b = a + 1; b < pairs.size(); ++b) {
            const auto [i, j] = pairs[a];
            const auto [k, l] = pairs[b];
            if (i == k || i == l || j == k || j == l) continue;
            if (undirectedAngle(lines[i].direction, lines[k].direction) < std::numbers::pi / 2 - parallel) continue;
            Refusal refusal = Refusal::none;
            if (auto quad = closeQuad(lines, i, j, k, l, regionSide, request, regionWidth, regionHeight, refusal, o)) {
                closing.quads.push_back(*quad);
            }
            ++closing.refusedFor(refusal);
        }
    }
    closing.pairs = pairs.size();
    return closing;
}

}  // namespace photo_analysis::rectangle_stages
