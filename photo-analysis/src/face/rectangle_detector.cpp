#include "face/rectangle_detector.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <numbers>
#include <optional>

#include "face/rectangle_detector_stages.hpp"
#include "icon_geometry/number_text.hpp"
#include "icon_geometry/polygon.hpp"
#include "platform/line_segments.hpp"
#include "trace.hpp"

namespace photo_analysis {

namespace rectangle_stages {

double radians(double degrees) {
    return degrees * std::numbers::pi / 180;
}

constexpr const char* traceVariable = "FACE_DEBUG";

double undirectedAngle(Vector2 u, Vector2 v) {
    const double c = std::min(1.0, std::abs(u.dot(v)));
    return std::acos(c);
}

// Refits a line through its segments: the length-weighted principal direction.
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

// The stretch the segments of `line` cover, as positions along `reference`.
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

// The vertices of a closed outline simplified so that no point strays more than
// `tolerance` from the polygon (Douglas–Peucker), as indices in order round it.
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

std::optional<Vector2> intersection(const Line& l, const Line& m) {
    const double denominator = l.direction.cross(m.direction);
    if (std::abs(denominator) < 1e-9) return std::nullopt;
    const double t = (m.point - l.point).cross(m.direction) / denominator;
    return l.point + l.direction * t;
}

// The stretches between along-positions lo and hi of `line` that straight image
// edges along it cover (the segments of every line collinear with it), sorted.
std::vector<std::pair<double, double>> coveredSpans(const std::vector<Line>& lines, const Line& line, double lo,
                                                    double hi, const RectangleDetectorOptions& o) {
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

// How far straight image edges carry the side from p to q on `line`.
struct SideCover {
    double share = 0;      // of the side's length
    double length = 0;     // of the side
    double covered = 0;    // the length carried
    double fromStart = 0;  // uncovered from p to the first edge
    double toEnd = 0;      // uncovered from the last edge to q
};

SideCover cover(const std::vector<Line>& lines, const Line& line, Vector2 p, Vector2 q,
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

// The least share of a side's straight stretch that edges carry, on a face whose
// rounded corners leave every side bare near its ends: the rounding at a corner
// is the shorter of the two bare ends that meet there, and at most
// `o.maximumRounding` of the shorter side.
double straightSupport(const std::array<SideCover, 4>& sides, double shortSide, const RectangleDetectorOptions& o) {
    const double largest = o.maximumRounding * shortSide;
    const auto rounding = [&](int corner) {
        return std::min({sides[static_cast<std::size_t>(corner)].fromStart,
                         sides[static_cast<std::size_t>((corner + 3) % 4)].toEnd, largest});
    };
    double least = 1;
    for (int c = 0; c < 4; ++c) {
        const SideCover& side = sides[static_cast<std::size_t>(c)];
        const double straight = side.length - rounding(c) - rounding((c + 1) % 4);
        least = std::min(least, straight > 0 ? std::min(1.0, side.covered / straight) : 0.0);
    }
    return least;
}

// A convex quadrilateral, clockwise on screen, as four half-planes: whether a
// point lies within `margin` of it (inside it by -margin for a negative one).
class ConvexRegion {
public:
    explicit ConvexRegion(const std::array<Vector2, 4>& corners) {
        for (int i = 0; i < 4; ++i) {
            const Vector2 edge = corners[(i + 1) % 4] - corners[i];
            const double length = edge.length();
            normals_[i] = length > 0 ? Vector2{-edge.y, edge.x} * (1 / length) : Vector2{0, 0};
            offsets_[i] = normals_[i].dot(corners[i]);
        }
    }
    bool contains(Vector2 p, double margin) const {
        for (int i = 0; i < 4; ++i) {
            if (normals_[i].dot(p) - offsets_[i] < -margin) return false;
        }
        return true;
    }
    // The x from `lo` to `hi` at which the row at y lies within `margin` of it;
    // lo > hi where none does.
    std::pair<double, double> row(double y, double margin) const {
        double lo = std::numeric_limits<double>::lowest(), hi = std::numeric_limits<double>::max();
        for (int i = 0; i < 4; ++i) {
            // normal.x · x ≥ offset − margin − normal.y · y
            const double bound = offsets_[i] - margin - normals_[i].y * y;
            if (normals_[i].x > 0) {
                lo = std::max(lo, bound / normals_[i].x);
            } else if (normals_[i].x < 0) {
                hi = std::min(hi, bound / normals_[i].x);
            } else if (bound > 0) {
                return {1, 0};
            }
        }
        return {lo, hi};
    }

private:
    std::array<Vector2, 4> normals_;
    std::array<double, 4> offsets_{};
};

bool contains(const std::array<Vector2, 4>& quad, Vector2 p, double margin) {
    return ConvexRegion(quad).contains(p, margin);
}

// Two opposite sides from lines i, j and two from k, l: the quadrilateral they
// close, if it meets the request's limits.
std::optional<Quad> closeQuad(const std::vector<Line>& lines, int i, int j, int k, int l, double regionSide,
                              const RectangleRequest& request, double regionWidth, double regionHeight,
                              Refusal& refusal, const RectangleDetectorOptions& o) {
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
    const double tolerance = request.quadratureTolerance * std::numbers::pi / 180;
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
    if (quad.minimumSupport < o.minimumSideSupport && straightSupport(sides, shortSide, o) < o.minimumSideSupport)
        return std::nullopt;
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

// Every corner within a few working pixels of the other's: one outline seen on
// two edges a pixel or two apart (the photo's and the subject mask's), not a
// face inside a larger one.
bool sameQuad(const Quad& a, const Quad& b, const RectangleDetectorOptions& o) {
    for (int c = 0; c < 4; ++c) {
        if (a.corners[c].distance(b.corners[c]) > o.sameOutline) return false;
    }
    return true;
}

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

struct GreySample {
    Vector2 point;
    double grey = 0;
};

// The face's shade as a plane over the photo, g = a + b x + c y: light falling
// off across a face changes its grey smoothly. Fitted to the face's own grey,
// the details on it (text, ribs, rings) left out as they stray from it.
struct ShadePlane {
    double a = 0, b = 0, c = 0;
    Vector2 origin;
    bool valid = false;
    double at(Vector2 p) const { return a + b * (p.x - origin.x) + c * (p.y - origin.y); }
};

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

// What a quadrilateral holds: the points of a grid two working pixels inside
// its sides (away from the edges' own blur), with their grey where they lie on
// the subject, and the plane of the subject's prevailing shade there.
struct Surface {
    std::vector<GreySample> samples;  // row by row, left to right; a negative grey off the subject
    std::vector<std::pair<std::size_t, std::size_t>> rows;  // each row's first sample and its end
    ShadePlane plane;
};

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
    // Start flat at the most common shade, then let the plane follow the light.
    std::array<int, 256> counts{};
    for (const GreySample& g : subject) ++counts[static_cast<std::size_t>(g.grey)];
    const auto peak = std::max_element(counts.begin(), counts.end()) - counts.begin();
    Vector2 origin{0, 0};
    for (const Vector2 c : quad.corners) origin = origin + c * 0.25;
    surface.plane = {static_cast<double>(peak), 0, 0, origin, true};
    for (const double within : {3 * o.faceShadeTolerance, 2 * o.faceShadeTolerance, o.faceShadeTolerance}) {
        const auto refined = fitPlane(subject, surface.plane, within);
        if (!refined) break;
        surface.plane = *refined;
    }
    return surface;
}

// The grid points of `outer` beyond `inner`: how many, how many on the subject,
// and how many of those in the shade of `inner`'s face, the light's fall-off
// across it allowed for.
struct Beyond {
    int points = 0;
    int onSubject = 0;
    int faceShaded = 0;
};

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

// Whether the part of `outer` beyond `inner` is a plain surface on the subject:
// nearly all of it on the subject (the silhouette's rounded corners aside) and
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
    std::array<int, 256> counts{};
    for (const GreySample& g : subject) ++counts[static_cast<std::size_t>(g.grey)];
    const auto peak = std::max_element(counts.begin(), counts.end()) - counts.begin();
    ShadePlane plane{static_cast<double>(peak), 0, 0, subject.front().point, true};
    for (const double within : {3 * o.faceShadeTolerance, 2 * o.faceShadeTolerance, o.faceShadeTolerance}) {
        const auto refined = fitPlane(subject, plane, within);
        if (!refined) break;
        plane = *refined;
    }
    const auto inShade = std::count_if(subject.begin(), subject.end(), [&](const GreySample& g) {
        return std::abs(g.grey - plane.at(g.point)) <= o.faceShadeTolerance;
    });
    return static_cast<double>(inShade) >= o.plainStripShare * static_cast<double>(subject.size());
}

// Whether the part of `outer` beside `inner` is another surface than `inner`:
// a side of the body beyond the face's edge, not more of the face beyond a line
// across it. More of the face holds many points of the face's own shade between
// whatever details cross it.
bool shadeChanges(const Beyond& b, const RectangleDetectorOptions& o) {
    return b.onSubject >= 16 && b.faceShaded < o.minimumFaceShadedShare * b.onSubject;
}

// Whether the part of `outer` beside `inner` is plainly more of the face: all on
// the subject, and mostly in the face's own shade.
bool moreOfTheFace(const Beyond& b, const RectangleDetectorOptions& o) {
    return b.points >= 16 && b.onSubject >= o.minimumOnSubjectShare * b.points &&
           b.faceShaded >= o.plainlyFaceShadedShare * b.onSubject;
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

Closing closeQuadrilaterals(const std::vector<Line>& lines, double regionSide, const RectangleRequest& request,
                            double regionWidth, double regionHeight, const RectangleDetectorOptions& o) {
    const int n = static_cast<int>(lines.size());
    const double parallel = request.quadratureTolerance * std::numbers::pi / 180;

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
            ++closing.refused[static_cast<std::size_t>(refusal)];
        }
    }
    closing.pairs = pairs.size();
    return closing;
}

Nesting nestedChoice(const std::vector<Line>& lines, const std::vector<Quad>& quads, const platform::RegionEdges& edges,
                     const RectangleDetectorOptions& o) {
    // A quadrilateral around another that shares two of its lines, with at least
    // 60 % of its area, and is carried nearly as well is the face plus a strip of
    // the body beside it (a side or top wall): keep the inner one. So is one that
    // adds to it a plain strip along one side between two nearly parallel edges,
    // however much better the silhouette's edge carries the strip's outer side
    // than the face's own, fainter edge carries its inner one. Unless the
    // stretch beyond the inner one is of the face's own shade and either the
    // shared lines run on past the inner one's corners or it lies plainly on the
    // subject: then the inner one is a piece of the face cut off by a line across
    // it (a separator, a rib), and it goes after the others, which a grille's many
    // lines would otherwise crowd out.
    Nesting nesting{std::vector<std::optional<std::size_t>>(quads.size()),
                    std::vector<std::optional<std::size_t>>(quads.size())};
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
            if (!shadeChanges(b, o) && (sharedSidesRunOn(lines, quads[out], quads[in], o) || moreOfTheFace(b, o))) {
                if (!nesting.cutFrom[in]) nesting.cutFrom[in] = out;
            } else if (quads[in].area >= o.innerAreaShare * quads[out].area &&
                       (quads[in].minimumSupport + o.supportMargin >= quads[out].minimumSupport ||
                        (stripAlongOneSide(lines, quads[out], quads[in], o) &&
                         plainStrip(surface(out), quads[in], o)))) {
                if (!nesting.droppedFor[out]) nesting.droppedFor[out] = in;
            }
        }
    }
    return nesting;
}

std::vector<Quad> proposals(const std::vector<Quad>& quads, const Nesting& nesting, int maximum,
                            const RectangleDetectorOptions& o) {
    std::vector<std::pair<bool, Quad>> kept;
    for (std::size_t q = 0; q < quads.size(); ++q) {
        if (!nesting.droppedFor[q]) kept.push_back({nesting.cutFrom[q].has_value(), quads[q]});
    }
    std::stable_sort(kept.begin(), kept.end(), [](const auto& l, const auto& r) {
        if (l.first != r.first) return !l.first;
        const Quad &a = l.second, &b = r.second;
        return a.confidence != b.confidence ? a.confidence > b.confidence : a.area > b.area;
    });
    // Near-duplicates keep the first.
    std::vector<Quad> distinct;
    for (const auto& entry : kept) {
        const Quad& q = entry.second;
        const bool duplicate = std::any_of(distinct.begin(), distinct.end(), [&](const Quad& d) {
            for (int c = 0; c < 4; ++c) {
                if (d.corners[c].distance(q.corners[c]) > o.duplicateDistance) return false;
            }
            return true;
        });
        if (!duplicate) distinct.push_back(q);
        if (static_cast<int>(distinct.size()) >= maximum) break;
    }

    return distinct;
}

}  // namespace rectangle_stages

std::optional<std::vector<RectangleObservation>> SegmentRectangleDetector::detect(const Photo& photo,
                                                                                  const SubjectMask& mask,
                                                                                  const RectangleRequest& request,
                                                                                  const TraceSink& trace) const {
    using namespace rectangle_stages;
    const RectangleDetectorOptions& o = options_;
    const int width = photo.width(), height = photo.height();
    if (photo.isEmpty() || mask.width != width || mask.height != height || !mask.isWellFormed()) return std::nullopt;
    const auto& roi = request.regionOfInterest;
    if (!std::isfinite(roi.left) || !std::isfinite(roi.top) || !std::isfinite(roi.right) ||
        !std::isfinite(roi.bottom)) {
        return std::nullopt;
    }
    // The region in whole photo pixels, rounded outward.
    const int x0 = static_cast<int>(std::clamp(std::floor(roi.left), 0.0, double(width)));
    const int x1 = static_cast<int>(std::clamp(std::ceil(roi.right), 0.0, double(width)));
    const int y0 = static_cast<int>(std::clamp(std::floor(roi.top), 0.0, double(height)));
    const int y1 = static_cast<int>(std::clamp(std::ceil(roi.bottom), 0.0, double(height)));
    if (x1 - x0 < 8 || y1 - y0 < 8) return std::vector<RectangleObservation>{};

    const platform::RegionEdges edges =
        platform::regionEdges(photo, mask.coverage, SubjectMask::insideThreshold, {x0, y0, x1, y1}, o.workingSide);
    const double scale = edges.scale;
    // Image edges and the silhouette's straight runs: a face edge against a
    // background of the same shade is only seen in the mask.
    std::vector<Segment> segments = edges.greyEdges;
    segments.insert(segments.end(), edges.insideEdges.begin(), edges.insideEdges.end());
    const std::vector<Segment> faint = faintInnerSegments(edges, o);
    segments.insert(segments.end(), faint.begin(), faint.end());
    const double regionSide = std::min(edges.width, edges.height);
    const std::size_t segmentCount = segments.size();
    const double shortestLine = o.shortestLineShare * regionSide;
    auto lines = collinearLines(std::move(segments), shortestLine, o);
    const std::size_t imageLines = lines.size();
    // A run the image's own edges already carry along most of its length adds
    // nothing but more quadrilaterals to weigh.
    for (Line& run : outlineRuns(edges.outline, shortestLine,
                                 std::max(o.outlineTolerance, o.outlineToleranceShare * regionSide), o)) {
        const Segment& stretch = run.segments.front();
        if (cover(lines, run, stretch.a, stretch.b, o).share < o.carriedRunShare) lines.push_back(std::move(run));
    }
    namespace NumberText = icon_geometry::NumberText;
    const auto count = [](std::size_t v) { return NumberText::integer(static_cast<long long>(v)); };
    const auto inPhoto = [&](Vector2 p) { return Vector2{p.x / scale + x0, p.y / scale + y0}; };
    const auto cornersText = [&](const Quad& q) {
        std::string text;
        for (const Vector2 c : q.corners) {
            const Vector2 p = inPhoto(c);
            text += (text.empty() ? "(" : " (") + NumberText::integer(std::lround(p.x)) + "," +
                    NumberText::integer(std::lround(p.y)) + ")";
        }
        return text;
    };
    trace::line(trace, traceVariable,
                "    détecteur : " + count(edges.greyEdges.size()) + " segments du gris, " +
                    count(edges.insideEdges.size()) + " du contour, " + count(faint.size()) + " faibles ; " +
                    count(segmentCount) + " en tout ; " + count(imageLines) + " droites des segments, " +
                    count(lines.size() - imageLines) + " du contour");
    if (trace::enabled(trace, traceVariable)) {
        for (std::size_t q = 0; q < lines.size(); ++q) {
            const auto [lo, hi] = extentAlong(lines[q], lines[q]);
            const Vector2 a = inPhoto(lines[q].point + lines[q].direction * lo),
                          b = inPhoto(lines[q].point + lines[q].direction * hi);
            trace::line(trace, traceVariable,
                        "      droite " + count(q) + (q < imageLines ? " des segments" : " du contour") + " (" +
                            NumberText::integer(std::lround(a.x)) + "," + NumberText::integer(std::lround(a.y)) +
                            ") (" + NumberText::integer(std::lround(b.x)) + "," +
                            NumberText::integer(std::lround(b.y)) + "), portée " +
                            NumberText::integer(std::lround(lines[q].weight / scale)));
        }
    }
    const Closing closing = closeQuadrilaterals(lines, regionSide, request, edges.width, edges.height, o);
    const std::vector<Quad>& quads = closing.quads;
    const auto& refused = closing.refused;
    trace::line(trace, traceVariable,
                "    détecteur : " + count(closing.pairs) + " paires de droites, " + count(quads.size()) +
                    " quadrilatères fermés ; refusés : " + count(refused[1]) + " hors de la région, " +
                    count(refused[2]) + " angles, " + count(refused[3]) + " proportions, " + count(refused[4]) +
                    " taille, " + count(refused[5]) + " confiance, " + count(refused[6]) + " appui");

    const Nesting nesting = nestedChoice(lines, quads, edges, o);
    for (std::size_t q = 0; q < quads.size(); ++q) {
        if (nesting.cutFrom[q])
            trace::line(trace, traceVariable,
                        "    détecteur : " + cornersText(quads[q]) + " mis après : un morceau du visage " +
                            cornersText(quads[*nesting.cutFrom[q]]));
        if (nesting.droppedFor[q])
            trace::line(trace, traceVariable,
                        "    détecteur : " + cornersText(quads[q]) + " écarté : le visage " +
                            cornersText(quads[*nesting.droppedFor[q]]) + " et une bande du corps");
    }
    const std::vector<Quad> distinct = proposals(quads, nesting, request.maximumObservations, o);

    std::vector<RectangleObservation> observations;
    for (const auto& q : distinct) {
        trace::line(trace, traceVariable,
                    "    détecteur : proposé " + cornersText(q) + " conf " + NumberText::fixed(q.confidence, 2) +
                        " appui " + NumberText::fixed(q.minimumSupport, 2));
        observations.push_back(
            {inPhoto(q.corners[0]), inPhoto(q.corners[1]), inPhoto(q.corners[2]), inPhoto(q.corners[3]), q.confidence});
    }
    return observations;
}

}  // namespace photo_analysis
