#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <optional>

#include "face/rectangle_detector_stages.hpp"

// Nesting: of two quadrilaterals one inside the other, which is the face.
namespace photo_analysis::rectangle_stages {

namespace {

int sharedLines(const Quad& a, const Quad& b) {
    int shared = 0;
    for (int x : a.lines) shared += static_cast<int>(std::count(b.lines.begin(), b.lines.end(), x));
    return shared;
}

// The length the edges leave bare at `corner` of the quadrilateral's side other
// than `side` that ends there.
double bareEnd(const std::vector<Line>& lines, const Quad& quad, int corner, int side,
               const RectangleDetectorOptions& o) {
    const int other = side == corner ? (corner + 3) % 4 : corner;
    const SideCover carried =
        cover(lines, lines[quad.lines[other]], quad.corners[other], quad.corners[(other + 1) % 4], o);
    return other == corner ? carried.fromStart : carried.toEnd;
}

// Whether the sides of `outer` that `inner` shares run on past the corners where
// inner ends them: then the stretch between the two is more of the same flat face
// (a line painted across it), not a wall beside it. Measured by the uncovered
// tail at each end of such a side: a face edge runs on to within its corner's
// rounding of the outer corner, as it does at the side's other end, while beside
// a wall it stops short by the wall's width too.
bool sharedSidesRunOn(const std::vector<Line>& lines, const Quad& outer, const Quad& inner,
                      const RectangleDetectorOptions& o) {
    int ends = 0;
    for (int c = 0; c < 4; ++c) {
        const int d =
            static_cast<int>(std::find(inner.lines.begin(), inner.lines.end(), outer.lines[c]) - inner.lines.begin());
        if (d == 4) continue;
        const Line& line = lines[outer.lines[c]];
        double outerLo = line.along(outer.corners[c]), outerHi = line.along(outer.corners[(c + 1) % 4]);
        double innerLo = line.along(inner.corners[d]), innerHi = line.along(inner.corners[(d + 1) % 4]);
        // The outer corners at the low and high ends of the side.
        const bool reversed = outerLo > outerHi;
        const int cornerLo = reversed ? (c + 1) % 4 : c, cornerHi = reversed ? c : (c + 1) % 4;
        if (outerLo > outerHi) std::swap(outerLo, outerHi);
        if (innerLo > innerHi) std::swap(innerLo, innerHi);
        const double length = outerHi - outerLo;
        if (!(length > 0)) continue;
        const auto spans = coveredSpans(lines, line, outerLo, outerHi, o);
        if (spans.empty()) return false;
        double last = outerLo;
        for (const auto& span : spans) last = std::max(last, span.second);
        const double tailLo = spans.front().first - outerLo, tailHi = outerHi - last;
        // Ends this close are one corner seen on two neighbouring lines.
        const double sameCorner = std::max(o.sameLineDistance, 0.02 * length);
        const bool cutLo = innerLo - outerLo > sameCorner, cutHi = outerHi - innerHi > sameCorner;
        if (!cutLo && !cutHi) continue;
        if (cutLo && cutHi) {
            // A band across the face, between two lines across it: the side runs
            // on past both of the band's corners.
            if (!(spans.front().first < innerLo - sameCorner && last > innerHi + sameCorner)) return false;
            ++ends;
            continue;
        }
        // Beside a wall the tail is the other end's plus the gap to the inner
        // corner; across the face it is about the other end's alone.
        const double gap = cutLo ? innerLo - outerLo : outerHi - innerHi;
        // At the other end the side stops short by that corner's rounding, which
        // the corner's other side shows too where the side itself reaches on
        // (a face's own corner, rounded, holds both).
        const double tail = cutLo ? tailLo : tailHi;
        const double otherTail =
            std::max(cutLo ? tailHi : tailLo, bareEnd(lines, outer, cutLo ? cornerHi : cornerLo, c, o));
        if (tail > o.perspective * otherTail + 0.5 * gap) return false;
        ++ends;
    }
    return ends > 0;
}

// Whether `outer` is `inner` and a strip along one of its sides: the two share
// the lines of the other three sides, and the fourth sides of the two are nearly
// parallel (a face's edge and the silhouette's edge behind it, two edges of a
// box, apart in direction by perspective alone).
bool stripAlongOneSide(const std::vector<Line>& lines, const Quad& outer, const Quad& inner,
                       const RectangleDetectorOptions& o) {
    if (sharedLines(outer, inner) != 3) return false;
    int outerOwn = -1, innerOwn = -1;
    for (const int x : outer.lines) {
        if (std::find(inner.lines.begin(), inner.lines.end(), x) == inner.lines.end()) outerOwn = x;
    }
    for (const int x : inner.lines) {
        if (std::find(outer.lines.begin(), outer.lines.end(), x) == outer.lines.end()) innerOwn = x;
    }
    if (outerOwn < 0 || innerOwn < 0) return false;
    return undirectedAngle(lines[static_cast<std::size_t>(outerOwn)].direction,
                           lines[static_cast<std::size_t>(innerOwn)].direction) <= radians(o.sideEdgesAngleDegrees);
}

// Whether `inner` is a face beside a side of the body that `outer` adds to it:
// across the side of `inner` that `outer` does not share.
bool besideASide(const std::vector<Line>& lines, const Quad& outer, const Quad& inner, CrossingReader& crossings,
                 const RectangleDetectorOptions& o) {
    const auto own = [](const Quad& a, const Quad& b) {
        for (std::size_t c = 0; c < 4; ++c) {
            if (std::find(b.lines.begin(), b.lines.end(), a.lines[c]) == b.lines.end()) return c;
        }
        return std::size_t{4};
    };
    const std::size_t d = own(inner, outer), e = own(outer, inner);
    if (d == 4 || e == 4) return false;
    const Vector2 middle = (inner.corners[d] + inner.corners[(d + 1) % 4]) * 0.5;
    const double width = std::abs(lines[static_cast<std::size_t>(outer.lines[e])].offset(middle));
    return faceBesideASide(inner, static_cast<int>(d), width, crossings, o);
}

// Whether a side of `inner` that `outer` does not share is printed on the face
// rather than where the face meets a side of the body: read across, it is a
// stroke or no edge at all rather than a step from one shade to another. The
// part of `outer` beyond it is then more of the face, however its shade
// differs from the one that prevails in `inner` (a face of two tones, its
// buttons a shade darker than the plate round them).
bool printedAcross(const std::vector<Line>& lines, const Quad& outer, const Quad& inner, CrossingReader& crossings,
                   const RectangleDetectorOptions& o) {
    for (std::size_t d = 0; d < 4; ++d) {
        if (std::find(outer.lines.begin(), outer.lines.end(), inner.lines[d]) != outer.lines.end()) continue;
        const Line& edge = lines[static_cast<std::size_t>(inner.lines[d])];
        const Vector2 from = inner.corners[d], to = inner.corners[(d + 1) % 4], middle = (from + to) * 0.5;
        // The strip's width: out to the side of `outer` most nearly along it.
        double width = 0, nearest = std::numeric_limits<double>::max();
        for (const int own : outer.lines) {
            if (std::find(inner.lines.begin(), inner.lines.end(), own) != inner.lines.end()) continue;
            const Line& side = lines[static_cast<std::size_t>(own)];
            const double angle = undirectedAngle(side.direction, edge.direction);
            if (angle < nearest) nearest = angle, width = std::abs(side.offset(middle));
        }
        const Crossing c = crossings.across(inner.lines[d], from, to, width);
        if (c.stretches >= 2 && !stepsAcross(c, o)) return true;
    }
    return false;
}

}  // namespace

// Every corner within a few working pixels of the other's: one outline seen on
// two edges a pixel or two apart (the photo's and the subject mask's), not a
// face inside a larger one.
bool sameQuad(const Quad& a, const Quad& b, const RectangleDetectorOptions& o) {
    for (int c = 0; c < 4; ++c) {
        if (a.corners[c].distance(b.corners[c]) > o.sameOutline) return false;
    }
    return true;
}

Nesting nestedChoice(const std::vector<Line>& lines, const std::vector<Quad>& quads, const platform::RegionEdges& edges,
                     CrossingReader& crossings, const RectangleDetectorOptions& o,
                     const std::vector<std::pair<std::size_t, std::size_t>>& strips) {
    // A quadrilateral around another that shares two of its lines, with at least
    // `o.innerAreaShare` of its area, and is carried nearly as well is the face plus a
    // strip of the body beside it (a side or top wall): keep the inner one. So is one
    // that adds to it a plain strip along one side between two nearly parallel edges,
    // however much better the silhouette's edge carries the strip's outer side than
    // the face's own, fainter edge carries its inner one. Unless the stretch beyond
    // the inner one is of the face's own shade and either the shared lines run on past
    // the inner one's corners or it lies plainly on the subject: then the inner one is
    // a piece of the face cut off by a line across it (a separator, a rib), and it
    // goes after the others, which a grille's many lines would otherwise crowd out;
    // but not where the shade steps across the inner one's own side along a strip
    // beside it, however close the two shades: a line painted across a face has the
    // same shade on both sides. Nor is the outer one left out where the inner one's
    // own sides are printed on the face.
    Nesting nesting{std::vector<std::optional<std::size_t>>(quads.size()),
                    std::vector<std::optional<std::size_t>>(quads.size())};
    // A face found beside a side of the body leaves out the quadrilateral of the
    // two together, however many lines close it.
    for (const auto& [outer, face] : strips) {
        for (std::size_t q = 0; q < quads.size(); ++q) {
            if (!nesting.droppedFor[q] && (q == outer || sameQuad(quads[q], quads[outer], o)))
                nesting.droppedFor[q] = face;
        }
    }
    std::vector<std::optional<Surface>> surfaces(quads.size());
    const auto surface = [&](std::size_t q) -> const Surface& {
        if (!surfaces[q]) surfaces[q] = surfaceOf(edges, quads[q], o);
        return *surfaces[q];
    };
    for (std::size_t out = 0; out < quads.size(); ++out) {
        for (std::size_t in = 0; in < quads.size(); ++in) {
            if (out == in || quads[in].area >= quads[out].area) continue;
            if (sharedLines(quads[out], quads[in]) < 2 || sameQuad(quads[out], quads[in], o)) continue;
            const bool enclosed = std::all_of(quads[in].corners.begin(), quads[in].corners.end(),
                                              [&](Vector2 c) { return contains(quads[out].corners, c, 2.0); });
            if (!enclosed) continue;
            const Beyond b = beyond(surface(out), quads[in], surface(in).plane, o);
            const auto besideAStrip = [&] {
                return stripAlongOneSide(lines, quads[out], quads[in], o) &&
                       besideASide(lines, quads[out], quads[in], crossings, o);
            };
            if (!shadeChanges(b, o) && (sharedSidesRunOn(lines, quads[out], quads[in], o) || moreOfTheFace(b, o)) &&
                !besideAStrip()) {
                if (!nesting.cutFrom[in]) nesting.cutFrom[in] = out;
            } else if (quads[in].area >= o.innerAreaShare * quads[out].area &&
                       (quads[in].minimumSupport + o.supportMargin >= quads[out].minimumSupport ||
                        (stripAlongOneSide(lines, quads[out], quads[in], o) &&
                         plainStrip(surface(out), quads[in], o))) &&
                       !printedAcross(lines, quads[out], quads[in], crossings, o)) {
                if (!nesting.droppedFor[out]) nesting.droppedFor[out] = in;
            }
        }
    }
    return nesting;
}

}  // namespace photo_analysis::rectangle_stages
