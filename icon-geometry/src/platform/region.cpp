#include <algorithm>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <polyclipping/clipper.hpp>

#include "icon_geometry/cubic.hpp"
#include "icon_geometry/path_fitting.hpp"
#include "icon_geometry/polygon.hpp"
#include "platform/path_walk.hpp"
#include "platform/platform_path.hpp"

namespace icon_geometry {

// The one place where paths meet Clipper's integer polygons: it owns the
// flattening of curves, the integer scale and the guarding of what Clipper
// cannot take (it throws on NaN and overflows on huge numbers).
namespace {

// 2^16: scaling in and out is exact, and 1/65536 of a unit is far below anything drawn.
constexpr double scale = Region::pointsPerUnit;
// Largest distance between a curve and the polygon that replaces it, in path units.
constexpr double flatteningTolerance = 0.05;
// Coordinates are clamped to this magnitude: paths from imported documents may
// hold "1e308", and scaled values must stay well inside Clipper's 62-bit range.
constexpr double coordinateLimit = 1e7;
// Bounds the work on one curve whatever its size.
constexpr double maxPiecesPerCurve = 1024;
// Very wide pens are drawn with a tolerance that grows with the half width, so
// that the points on round joins, and the crossings between the offset edges
// of a wide pen along a detailed path, stay few.
constexpr double widthToleranceFraction = 1e-3;
// Vertices this close to their neighbours' line are dropped before refitting:
// Clipper leaves collinear points where operands met.
constexpr double cleaningDistance = 0.001;
// Outline edges longer than this stay straight lines when refitting.
constexpr double longEdge = 12;
// The one tolerance of the refit: every curve it draws stays within this
// distance of the polygon it replaces, and every vertex of that polygon within
// this distance of the curve. The fitter aims at half of it at the vertices,
// which leaves room for the curve's sway between them.
constexpr double refitTolerance = 0.5;
constexpr double refitAim = refitTolerance / 2;
// A refitted curve is checked at points whose chords stray from it by at most
// an eighth of the tolerance.
constexpr double refitCheckSag = refitTolerance / 8;
constexpr double minRefitChecks = 4;
constexpr double maxRefitChecks = 4096;
// Offset corners sharper than about 14° are squared off at eight times the
// distance, so that a hairpin cannot throw a long spike across the region.
constexpr double offsetMiterLimit = 8;
// Pieces that growing and shrinking back add or take away but that are thinner
// on average than this are no notches or slivers: nothing a document written to
// a tenth of a unit can show, and most are the rounding of the integer polygons.
constexpr double roundingThickness = 0.02;

using ClipperLib::IntPoint;
using ClipperLib::Paths;

double clampedCoordinate(double value) {
    return std::clamp(value, -coordinateLimit, coordinateLimit);
}
Vector2 clamped(Vector2 p) {
    return {clampedCoordinate(p.x), clampedCoordinate(p.y)};
}

IntPoint toInteger(Vector2 p) {
    return {std::llround(p.x * scale), std::llround(p.y * scale)};
}

// Uniform pieces whose chords stay within the tolerance: a curve whose second
// derivative is bounded by D strays at most D·h²/8 from the chord over a
// parameter step h; `bound` is D/8.
double pieceCount(double bound, double tolerance) {
    const double count = std::ceil(std::sqrt(bound / tolerance));
    if (!(count >= 1)) return 1;
    return std::min(count, maxPiecesPerCurve);
}

void appendCubic(ClipperLib::Path& out, Vector2 p0, Vector2 c1, Vector2 c2, Vector2 p1, double tolerance) {
    const double d = std::fmax((p0 - 2 * c1 + c2).length(), (c1 - 2 * c2 + p1).length());
    const double count = pieceCount(0.75 * d, tolerance);
    for (double k = 1; k < count; ++k) out.push_back(toInteger(Cubic::point(p0, c1, c2, p1, k / count)));
    out.push_back(toInteger(p1));
}

void appendQuadratic(ClipperLib::Path& out, Vector2 p0, Vector2 q, Vector2 p1, double tolerance) {
    const double count = pieceCount(0.25 * (p0 - 2 * q + p1).length(), tolerance);
    for (double k = 1; k < count; ++k) {
        const double t = k / count;
        const double mt = 1 - t;
        out.push_back(toInteger(p0 * (mt * mt) + q * (2 * mt * t) + p1 * (t * t)));
    }
    out.push_back(toInteger(p1));
}

// The subpath as an integer polyline from its start; the caller has checked it is finite.
ClipperLib::Path flattened(const platform::SubpathView& subpath, double tolerance) {
    using Kind = PlatformPath::ElementKind;
    ClipperLib::Path out;
    out.reserve(subpath.drawing.size() + 1);
    Vector2 current = clamped(subpath.start);
    out.push_back(toInteger(current));
    for (const PlatformPath::Element& element : subpath.drawing) {
        switch (element.kind) {
            case Kind::lineTo:
                out.push_back(toInteger(clamped(element.points[0])));
                break;
            case Kind::quadCurveTo:
                appendQuadratic(out, current, clamped(element.points[0]), clamped(element.points[1]), tolerance);
                break;
            case Kind::curveTo:
                appendCubic(out, current, clamped(element.points[0]), clamped(element.points[1]),
                            clamped(element.points[2]), tolerance);
                break;
            case Kind::moveTo:
            case Kind::closeSubpath:
                break;
        }
        current = clamped(platform::endPoint(element));
    }
    return out;
}

ClipperLib::PolyFillType clipperRule(FillRule rule) {
    return rule == FillRule::evenOdd ? ClipperLib::pftEvenOdd : ClipperLib::pftNonZero;
}

// One boolean operation; nothing when Clipper fails.
std::optional<Paths> execute(ClipperLib::ClipType type, const Paths& subject, const Paths& clip,
                             ClipperLib::PolyFillType rule) {
    try {
        ClipperLib::Clipper clipper;
        clipper.AddPaths(subject, ClipperLib::ptSubject, true);
        clipper.AddPaths(clip, ClipperLib::ptClip, true);
        Paths solution;
        if (!clipper.Execute(type, solution, rule, rule)) return std::nullopt;
        return solution;
    } catch (const ClipperLib::clipperException&) {
        return std::nullopt;
    }
}

// --- Refitting an outline ---------------------------------------------------

void appendSubpath(const Subpath& subpath, PlatformPath& out) {
    if (subpath.segments.empty()) return;
    out.moveTo(subpath.start);
    for (const PathSegment& segment : subpath.segments) {
        if (const PathSegment::Line* line = segment.asLine()) {
            out.addLineTo(line->to);
        } else if (const PathSegment::Cubic* cubic = segment.asCubic()) {
            out.addCurveTo(cubic->control1, cubic->control2, cubic->to);
        }
    }
    if (subpath.isClosed) out.closeSubpath();
}

// --- Checking a refit against its polygon ------------------------------------

// Whether p lies within the tolerance of the polyline points[0 … count − 1]. The
// search starts at the edge `hint` (where the previous point was found) and
// moves outwards, so points taken in order along a matching curve cost little.
bool isNearPolyline(Vector2 p, const Vector2* points, std::size_t count, std::size_t& hint) {
    if (count == 1) return p.distance(points[0]) <= refitTolerance;
    const std::size_t edges = count - 1;
    hint = std::min(hint, edges - 1);
    for (std::size_t step = 0; step < edges; ++step) {
        bool any = false;
        if (hint + step < edges) {
            any = true;
            if (segmentDistance(p, points[hint + step], points[hint + step + 1]) <= refitTolerance) {
                hint += step;
                return true;
            }
        }
        if (step > 0 && hint >= step) {
            any = true;
            if (segmentDistance(p, points[hint - step], points[hint - step + 1]) <= refitTolerance) {
                hint -= step;
                return true;
            }
        }
        if (!any) break;
    }
    return false;
}

// Whether the curve replacing points[first … last] stays within the refit
// tolerance of them both ways: points along the curve to the polyline, and the
// polyline's vertices to the curve.
bool staysNear(const PathFitting::FittedCubic& c, const std::vector<Vector2>& points, std::size_t first,
               std::size_t last) {
    // Over a parameter step h a cubic strays from its chord by at most 0.75·D·h²,
    // D the larger second difference of its control points.
    const double bend = std::fmax((c[0] - c[1] * 2 + c[2]).length(), (c[1] - c[2] * 2 + c[3]).length());
    if (!std::isfinite(bend)) return false;
    const double count =
        std::min(maxRefitChecks, std::max(minRefitChecks, std::ceil(std::sqrt(0.75 * bend / refitCheckSag))));
    const auto n = static_cast<std::size_t>(count);
    std::vector<Vector2> along;
    along.reserve(n + 1);
    for (std::size_t k = 0; k <= n; ++k)
        along.push_back(Cubic::point(c[0], c[1], c[2], c[3], static_cast<double>(k) / count));
    std::size_t hint = 0;
    for (const Vector2& p : along)
        if (!isNearPolyline(p, points.data() + first, last - first + 1, hint)) return false;
    hint = 0;
    for (std::size_t i = first + 1; i < last; ++i)
        if (!isNearPolyline(points[i], along.data(), along.size(), hint)) return false;
    return true;
}

PathFitting::FittedCubic asCubic(Vector2 from, const PathSegment& segment) {
    if (const auto* c = segment.asCubic()) return {from, c->control1, c->control2, c->to};
    const Vector2 to = segment.end();
    return {from, from + (to - from) * (1.0 / 3), from + (to - from) * (2.0 / 3), to};
}

// The unit tangents at both ends of a fitted piece, the end one pointing back
// along it; a degenerate handle falls back to the chord.
std::pair<Vector2, Vector2> fittedTangents(const PathFitting::FittedCubic& c) {
    const Vector2 chord = (c[3] - c[0]).normalized();
    Vector2 start = (c[1] - c[0]).normalized();
    Vector2 end = (c[2] - c[3]).normalized();
    if (start == Vector2{0, 0}) start = chord;
    if (end == Vector2{0, 0}) end = -chord;
    return {start, end};
}

void emitSegment(const PathSegment& segment, PathBuilder& builder) {
    if (const auto* c = segment.asCubic())
        builder.curveTo(c->to, c->control1, c->control2);
    else
        builder.lineTo(segment.end());
}

void fitWithin(const std::vector<Vector2>& points, std::size_t first, std::size_t last, Vector2 tangentAtStart,
               Vector2 tangentAtEnd, PathBuilder& builder);

// Emits the pieces fitted to points[first …] (each ending on one of the points),
// keeping those within the tolerance and fitting the stretch of any other one
// again, split. Returns the index of the point the last piece ends on.
std::size_t emitChecked(const std::vector<Vector2>& points, std::size_t first, std::size_t last,
                        const std::vector<PathSegment>& pieces, PathBuilder& builder) {
    std::size_t current = first;
    for (const PathSegment& piece : pieces) {
        std::size_t end = current + 1;
        while (end <= last && !(points[end] == piece.end())) ++end;
        if (end > last) {
            // Not ending on the polygon: fit the rest afresh.
            const Vector2 chord = (points[last] - points[current]).normalized();
            fitWithin(points, current, last, chord, -chord, builder);
            return last;
        }
        const PathFitting::FittedCubic cubic = asCubic(points[current], piece);
        if (staysNear(cubic, points, current, end)) {
            emitSegment(piece, builder);
        } else {
            const auto [start, back] = fittedTangents(cubic);
            if (current == first && end == last) {
                // The whole stretch failed as one piece: split it in the middle.
                const std::size_t middle = (first + last) / 2;
                const Vector2 across = (points[middle + 1] - points[middle - 1]).normalized();
                fitWithin(points, first, middle, start, -across, builder);
                fitWithin(points, middle, last, across, back, builder);
            } else {
                fitWithin(points, current, end, start, back, builder);
            }
        }
        current = end;
    }
    return current;
}

// points[first … last] fitted with cubics that leave and arrive along the given
// tangents, each within the refit tolerance of the polygon; a single edge stays
// a line.
void fitWithin(const std::vector<Vector2>& points, std::size_t first, std::size_t last, Vector2 tangentAtStart,
               Vector2 tangentAtEnd, PathBuilder& builder) {
    if (last <= first) return;
    if (last - first == 1) {
        builder.lineTo(points[last]);
        return;
    }
    const std::vector<Vector2> stretch(points.begin() + static_cast<std::ptrdiff_t>(first),
                                       points.begin() + static_cast<std::ptrdiff_t>(last) + 1);
    PathBuilder trial;
    trial.moveTo(stretch.front());
    PathFitting::fitCubic(stretch, trial, 0, tangentAtStart, tangentAtEnd, refitAim);
    const BezierPath fitted = trial.finish();
    const std::vector<PathSegment> none;
    const std::size_t reached =
        emitChecked(points, first, last, fitted.subpaths.empty() ? none : fitted.subpaths.front().segments, builder);
    if (reached < last) builder.lineTo(points[last]);
}

// A closed subpath fitted to the ring, mended where it leaves the tolerance: the
// ring is walked from the subpath's start, and each piece is checked against the
// stretch of the ring it replaces.
Subpath checkedRingFit(const std::vector<Vector2>& ring, const Subpath& fitted) {
    const std::size_t count = ring.size();
    std::size_t start = 0;
    while (start < count && !(ring[start] == fitted.start)) ++start;
    if (start == count) start = 0;
    std::vector<Vector2> around;
    around.reserve(count + 1);
    for (std::size_t k = 0; k <= count; ++k) around.push_back(ring[(start + k) % count]);

    PathBuilder builder;
    builder.moveTo(around.front());
    const std::size_t reached = emitChecked(around, 0, count, fitted.segments, builder);
    if (reached < count) {
        // The closing line the fit left implicit.
        const PathFitting::FittedCubic closing = asCubic(around[reached], PathSegment::line(around[count]));
        if (!staysNear(closing, around, reached, count)) {
            const Vector2 chord = (around[count] - around[reached]).normalized();
            fitWithin(around, reached, count, chord, -chord, builder);
        }
    }
    builder.closeSubpath();
    const BezierPath checked = builder.finish();
    return checked.subpaths.empty() ? fitted : checked.subpaths.front();
}

// A closed polygon redrawn with lines and cubics. Long edges are straight parts
// of the outline and stay lines; the runs of short edges between them are arcs
// and joins flattened earlier, fitted again to cubics that leave and meet the
// long lines along their direction, so no kink appears where a curve meets a
// straight side. Joints turning by more than the fitting's corner angle stay
// sharp.
void appendRefittedRing(const std::vector<Vector2>& ring, double cornerCosine, PlatformPath& out) {
    const std::size_t count = ring.size();
    std::vector<Vector2> direction(count);
    std::vector<bool> isLong(count);
    std::size_t firstLong = count;
    for (std::size_t i = 0; i < count; ++i) {
        const Vector2 edge = ring[(i + 1) % count] - ring[i];
        direction[i] = edge.normalized();
        isLong[i] = edge.length() > longEdge;
        if (isLong[i] && firstLong == count) firstLong = i;
    }

    if (firstLong == count) {
        std::vector<PathSegment> lines;
        lines.reserve(count - 1);
        for (std::size_t i = 1; i < count; ++i) lines.push_back(PathSegment::line(ring[i]));
        appendSubpath(checkedRingFit(ring, PathFitting::fitSubpath(ring[0], lines, true, refitAim)), out);
        return;
    }

    PathBuilder builder;
    builder.moveTo(ring[firstLong]);
    std::vector<Vector2> run;
    Vector2 runStartTangent;
    const auto backAlongLastEdge = [&] { return (run[run.size() - 2] - run.back()).normalized(); };
    // tangentAtEnd points back into the run.
    const auto finishRun = [&](Vector2 tangentAtEnd) {
        if (run.size() == 2) {
            builder.lineTo(run[1]);
        } else if (run.size() > 2) {
            fitWithin(run, 0, run.size() - 1, runStartTangent, tangentAtEnd, builder);
        }
        run.clear();
    };
    const auto isCorner = [&](std::size_t before, std::size_t after) {
        return !(direction[before].dot(direction[after]) >= cornerCosine);
    };

    for (std::size_t k = 0; k < count; ++k) {
        const std::size_t i = (firstLong + k) % count;
        const std::size_t previous = (i + count - 1) % count;
        const bool corner = isCorner(previous, i);
        if (isLong[i]) {
            if (!run.empty()) finishRun(corner ? backAlongLastEdge() : -direction[i]);
            builder.lineTo(ring[(i + 1) % count]);
            continue;
        }
        if (!run.empty() && corner) finishRun(backAlongLastEdge());
        if (run.empty()) {
            run.push_back(ring[i]);
            runStartTangent = isLong[previous] && !corner ? direction[previous] : direction[i];
        }
        run.push_back(ring[(i + 1) % count]);
    }
    // The last run ends where the first long edge starts.
    if (!run.empty()) {
        const std::size_t last = (firstLong + count - 1) % count;
        finishRun(isCorner(last, firstLong) ? backAlongLastEdge() : -direction[firstLong]);
    }
    builder.closeSubpath();
    for (const Subpath& subpath : builder.finish().subpaths) appendSubpath(subpath, out);
}

}  // namespace

struct RegionAccess {
    static Region make(const std::optional<Paths>& result) {
        if (!result) return Region::failure();
        return make(*result);
    }
    static Region make(const Paths& paths) {
        Region region;
        region.polygons_.reserve(paths.size());
        for (const ClipperLib::Path& path : paths) {
            if (path.size() < 3) continue;
            Region::Polygon polygon;
            polygon.reserve(path.size());
            for (const IntPoint& p : path) polygon.push_back({p.X, p.Y});
            region.polygons_.push_back(std::move(polygon));
        }
        return region;
    }

    static void append(const Region& region, Paths& out) {
        for (const Region::Polygon& polygon : region.polygons_) {
            ClipperLib::Path path;
            path.reserve(polygon.size());
            for (const Region::Point& p : polygon) path.emplace_back(p.x, p.y);
            out.push_back(std::move(path));
        }
    }

    static Paths paths(const Region& region) {
        Paths out;
        out.reserve(region.polygons_.size());
        append(region, out);
        return out;
    }
};

Region Region::filled(const PlatformPath& path, FillRule rule) {
    Paths polygons;
    platform::forEachSubpath(path, [&](const platform::SubpathView& subpath) {
        if (subpath.isFinite()) polygons.push_back(flattened(subpath, flatteningTolerance));
    });
    if (polygons.empty()) return {};
    return RegionAccess::make(execute(ClipperLib::ctUnion, polygons, {}, clipperRule(rule)));
}

// Closed subpaths are stroked as closed lines (joined all round), open ones
// with round caps. Clipper's offset unites its outlines itself, under the
// positive rule, so the result is already in normal form.
Region Region::stroked(const PlatformPath& path, double width) {
    if (!(width > 0) || !std::isfinite(width)) return {};
    const double halfWidth = std::min(width, 2 * coordinateLimit) * 0.5;
    try {
        ClipperLib::ClipperOffset offset;
        const double tolerance = std::fmax(flatteningTolerance, halfWidth * widthToleranceFraction);
        offset.ArcTolerance = tolerance * scale;
        bool any = false;
        platform::forEachSubpath(path, [&](const platform::SubpathView& subpath) {
            if (!subpath.isFinite()) return;
            offset.AddPath(flattened(subpath, tolerance), ClipperLib::jtRound,
                           subpath.isClosed ? ClipperLib::etClosedLine : ClipperLib::etOpenRound);
            any = true;
        });
        if (!any) return {};
        Paths solution;
        offset.Execute(solution, halfWidth * scale);
        return RegionAccess::make(solution);
    } catch (const ClipperLib::clipperException&) {
        return Region::failure();
    }
}

// Every operand is already in normal form (outer rings and holes of opposite
// orientation, no overlaps), so one non-zero union over all of them at once is
// the union of the regions.
Region Region::unionOf(const std::vector<Region>& regions) {
    const Region* only = nullptr;
    std::size_t nonEmpty = 0;
    std::size_t polygonCount = 0;
    for (const Region& region : regions) {
        if (region.failed()) return failure();
        if (region.isEmpty()) continue;
        only = &region;
        ++nonEmpty;
        polygonCount += region.polygons_.size();
    }
    if (nonEmpty == 0) return {};
    if (nonEmpty == 1) return *only;
    Paths subject;
    subject.reserve(polygonCount);
    for (const Region& region : regions) RegionAccess::append(region, subject);
    return RegionAccess::make(execute(ClipperLib::ctUnion, subject, {}, ClipperLib::pftNonZero));
}

Region Region::united(const Region& other) const {
    return unionOf({*this, other});
}

Region Region::subtracting(const Region& other) const {
    if (failed() || other.failed()) return failure();
    if (isEmpty() || other.isEmpty()) return *this;
    return RegionAccess::make(execute(ClipperLib::ctDifference, RegionAccess::paths(*this), RegionAccess::paths(other),
                                      ClipperLib::pftNonZero));
}

Region Region::intersecting(const Region& other) const {
    if (failed() || other.failed()) return failure();
    if (isEmpty() || other.isEmpty()) return {};
    return RegionAccess::make(execute(ClipperLib::ctIntersection, RegionAccess::paths(*this),
                                      RegionAccess::paths(other), ClipperLib::pftNonZero));
}

Region Region::offsetBy(double distance) const {
    if (failed()) return failure();
    if (isEmpty() || distance == 0 || !std::isfinite(distance)) return *this;
    try {
        ClipperLib::ClipperOffset offset(offsetMiterLimit);
        offset.AddPaths(RegionAccess::paths(*this), ClipperLib::jtMiter, ClipperLib::etClosedPolygon);
        Paths solution;
        offset.Execute(solution, std::clamp(distance, -coordinateLimit, coordinateLimit) * scale);
        return RegionAccess::make(solution);
    } catch (const ClipperLib::clipperException&) {
        return failure();
    }
}

namespace {

// The outer rings of the region that are thicker than the rounding of the
// region operations; holes are left out, so the rings kept fill what they bound.
Region thickPieces(const Region& region) {
    const std::vector<Region::Piece> pieces = region.pieces();
    Paths kept;
    std::size_t i = 0;
    for (const Region::Polygon& polygon : region.polygons()) {
        const Region::Piece& piece = pieces[i++];
        if (!(piece.thickness > roundingThickness)) continue;
        ClipperLib::Path path;
        path.reserve(polygon.size());
        for (const Region::Point& p : polygon) path.emplace_back(p.x, p.y);
        if (ClipperLib::Orientation(path)) kept.push_back(std::move(path));
    }
    return RegionAccess::make(kept);
}

}  // namespace

namespace {

// Whether two stretches of the region's boundary come closer than the width
// while lying farther apart along the boundary than across: the mark of a
// notch, a sliver or a narrow gap between rings. Most outlines have none, and
// this look costs far less than growing and shrinking them.
bool hasNarrowPlaces(const std::vector<Region::Polygon>& polygons, double width) {
    struct Edge {
        std::size_t ring;
        Vector2 a, b;
        double along;  // boundary length from the ring's first vertex to a
    };
    std::vector<Edge> edges;
    std::vector<double> ringLengths;
    for (std::size_t r = 0; r < polygons.size(); ++r) {
        const Region::Polygon& polygon = polygons[r];
        double along = 0;
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const Region::Point& p = polygon[i];
            const Region::Point& q = polygon[(i + 1) % polygon.size()];
            const Vector2 a{static_cast<double>(p.x) / scale, static_cast<double>(p.y) / scale};
            const Vector2 b{static_cast<double>(q.x) / scale, static_cast<double>(q.y) / scale};
            edges.push_back({r, a, b, along});
            along += a.distance(b);
        }
        ringLengths.push_back(along);
    }
    // Each edge in the cells, twice the width across, that its points a width
    // apart fall in: the edges within the width of a point are then among those
    // of the point's cell and its eight neighbours.
    const double cellSize = 2 * width;
    const auto cellOf = [cellSize](Vector2 p) -> std::optional<std::uint64_t> {
        const double x = std::floor(p.x / cellSize), y = std::floor(p.y / cellSize);
        constexpr double half = 1 << 30;
        if (!(std::fabs(x) < half && std::fabs(y) < half)) return std::nullopt;
        return (static_cast<std::uint64_t>(x + half) << 32) | static_cast<std::uint64_t>(y + half);
    };
    // A hash of chains: `head` holds each bucket's last entry, each entry the
    // one before it in its bucket.
    struct Entry {
        std::uint64_t cell;
        std::uint32_t edge;
        std::uint32_t next;
    };
    constexpr std::uint32_t none = std::numeric_limits<std::uint32_t>::max();
    if (edges.size() >= none) return true;
    std::vector<Entry> entries;
    entries.reserve(edges.size() * 2);
    for (std::size_t e = 0; e < edges.size(); ++e) {
        const Edge& edge = edges[e];
        const double steps = std::ceil(edge.a.distance(edge.b) / width);
        if (!(steps < 1e6)) return true;  // not worth a look
        for (double k = 0; k <= steps; ++k) {
            const std::optional<std::uint64_t> cell = cellOf(edge.a.lerp(edge.b, steps > 0 ? k / steps : 0));
            if (!cell) return true;
            if (!entries.empty() && entries.back().cell == *cell && entries.back().edge == e) continue;
            entries.push_back({*cell, static_cast<std::uint32_t>(e), none});
        }
    }
    if (entries.size() >= none) return true;
    int bits = 4;
    while (bits < 30 && (std::size_t{1} << bits) < 2 * entries.size()) ++bits;
    const auto bucketOf = [bits](std::uint64_t cell) {
        return static_cast<std::size_t>((cell * 0x9E3779B97F4A7C15ull) >> (64 - bits));
    };
    std::vector<std::uint32_t> head(std::size_t{1} << bits, none);
    for (std::uint32_t i = 0; i < entries.size(); ++i) {
        std::uint32_t& first = head[bucketOf(entries[i].cell)];
        entries[i].next = first;
        first = i;
    }

    for (const Edge& vertex : edges) {
        const Vector2 v = vertex.a;
        const std::optional<std::uint64_t> centre = cellOf(v);
        if (!centre) return true;
        for (const std::uint64_t dx : {std::uint64_t{0}, std::uint64_t{1} << 32, (std::uint64_t{1} << 32) * 2}) {
            for (const std::uint64_t dy : {std::uint64_t{0}, std::uint64_t{1}, std::uint64_t{2}}) {
                const std::uint64_t cell = *centre + dx + dy - (std::uint64_t{1} << 32) - 1;
                for (std::uint32_t i = head[bucketOf(cell)]; i != none; i = entries[i].next) {
                    if (entries[i].cell != cell) continue;
                    const Edge& edge = edges[entries[i].edge];
                    const Vector2 ab = edge.b - edge.a;
                    const double squared = ab.dot(ab);
                    const double t = squared > 0 ? std::clamp((v - edge.a).dot(ab) / squared, 0.0, 1.0) : 0.0;
                    const double across = v.distance(edge.a + ab * t);
                    if (!(across < width)) continue;
                    if (edge.ring != vertex.ring) return true;
                    const double ringLength = ringLengths[edge.ring];
                    double apart = std::fabs(edge.along + std::sqrt(squared) * t - vertex.along);
                    apart = std::fmin(apart, ringLength - apart);
                    if (apart - across > width / 2) return true;
                }
            }
        }
    }
    return false;
}

// One round of cutting slivers and filling notches; slivers first, since
// cutting one may leave a notch.
Region mendedOnce(const Region& region, double half) {
    const Region opened = region.offsetBy(-half).offsetBy(half);
    if (opened.failed()) return region;
    const Region slivers = thickPieces(region.subtracting(opened));
    const Region cut = slivers.isEmpty() ? region : region.subtracting(slivers);
    if (cut.failed()) return region;
    const Region closed = cut.offsetBy(half).offsetBy(-half);
    if (closed.failed()) return cut;
    const Region notches = thickPieces(closed.subtracting(cut));
    if (notches.isEmpty()) return cut;
    const Region mended = cut.united(notches);
    return mended.failed() ? cut : mended;
}

}  // namespace

// A filled notch can leave a sliver beside it: a few rounds, each only when the
// one before changed something.
Region Region::withoutSlivers(double width) const {
    if (failed() || isEmpty() || !(width > 0) || !std::isfinite(width)) return *this;
    constexpr int rounds = 3;
    if (!hasNarrowPlaces(polygons_, width)) return *this;
    Region current = *this;
    for (int round = 0; round < rounds; ++round) {
        Region next = mendedOnce(current, width / 2);
        if (next == current) break;
        current = std::move(next);
    }
    return current;
}

std::optional<BezierPath> Region::linesInside(const BezierPath& path) const {
    if (failed()) return std::nullopt;
    Paths lines;
    platform::forEachSubpath(toPlatformPath(path), [&](const platform::SubpathView& subpath) {
        if (!subpath.isFinite()) return;
        ClipperLib::Path line = flattened(subpath, flatteningTolerance);
        if (subpath.isClosed) line.push_back(line.front());
        if (line.size() >= 2) lines.push_back(std::move(line));
    });
    if (lines.empty()) return std::nullopt;
    const Paths area = RegionAccess::paths(*this);
    const auto clip = [&](ClipperLib::ClipType type) -> std::optional<Paths> {
        try {
            ClipperLib::Clipper clipper;
            clipper.AddPaths(lines, ClipperLib::ptSubject, false);
            clipper.AddPaths(area, ClipperLib::ptClip, true);
            ClipperLib::PolyTree tree;
            if (!clipper.Execute(type, tree, ClipperLib::pftNonZero, ClipperLib::pftNonZero)) return std::nullopt;
            Paths open;
            ClipperLib::OpenPathsFromPolyTree(tree, open);
            return open;
        } catch (const ClipperLib::clipperException&) {
            return std::nullopt;
        }
    };
    // What lies outside is told by the length kept, not by a difference, which
    // Clipper gets wrong for some horizontal lines.
    const auto length = [](const Paths& paths) {
        double total = 0;
        for (const ClipperLib::Path& line : paths)
            for (std::size_t i = 1; i < line.size(); ++i)
                total += std::hypot(static_cast<double>(line[i].X - line[i - 1].X),
                                    static_cast<double>(line[i].Y - line[i - 1].Y));
        return total;
    };
    const std::optional<Paths> inside = clip(ClipperLib::ctIntersection);
    if (!inside) return std::nullopt;
    const double all = length(lines);
    if (length(*inside) >= all - std::fmax(1.0, all * 1e-9)) return std::nullopt;
    PathBuilder builder;
    for (const ClipperLib::Path& line : *inside) {
        if (line.size() < 2) continue;
        const auto point = [](const IntPoint& p) {
            return Vector2{static_cast<double>(p.X) / scale, static_cast<double>(p.Y) / scale};
        };
        builder.moveTo(point(line.front()));
        for (std::size_t i = 1; i < line.size(); ++i) builder.lineTo(point(line[i]));
    }
    return builder.finish();
}

std::vector<Region::Piece> Region::pieces() const {
    std::vector<Piece> result;
    result.reserve(polygons_.size());
    for (const Polygon& polygon : polygons_) {
        double twiceArea = 0, perimeter = 0;
        const std::size_t count = polygon.size();
        for (std::size_t i = 0, j = count - 1; i < count; j = i++) {
            const double ax = static_cast<double>(polygon[j].x), ay = static_cast<double>(polygon[j].y);
            const double bx = static_cast<double>(polygon[i].x), by = static_cast<double>(polygon[i].y);
            twiceArea += (ax + bx) * (ay - by);
            perimeter += std::hypot(bx - ax, by - ay);
        }
        const double area = std::fabs(twiceArea) * 0.5 / (scale * scale);
        const double length = perimeter / scale;
        result.push_back({area, length > 0 ? 2 * area / length : 0});
    }
    return result;
}

double Region::area() const {
    // Shoelace sum over all rings: holes run the other way and subtract.
    double twiceArea = 0;
    for (const Polygon& polygon : polygons_) {
        const std::size_t count = polygon.size();
        for (std::size_t i = 0, j = count - 1; i < count; j = i++) {
            twiceArea += (static_cast<double>(polygon[j].x) + static_cast<double>(polygon[i].x)) *
                         (static_cast<double>(polygon[j].y) - static_cast<double>(polygon[i].y));
        }
    }
    return std::fabs(twiceArea) * 0.5 / (scale * scale);
}

// Even-odd parity over all rings: rings never overlap, so a point is inside when
// an odd number of rings (an outer ring, or an island in a hole) surrounds it.
bool Region::contains(Vector2 point) const {
    if (!std::isfinite(point.x) || !std::isfinite(point.y)) return false;
    const double x = point.x * scale;
    const double y = point.y * scale;
    bool inside = false;
    for (const Polygon& polygon : polygons_) {
        const std::size_t count = polygon.size();
        for (std::size_t i = 0, j = count - 1; i < count; j = i++) {
            const double ax = static_cast<double>(polygon[j].x);
            const double ay = static_cast<double>(polygon[j].y);
            const double bx = static_cast<double>(polygon[i].x);
            const double by = static_cast<double>(polygon[i].y);
            if ((ay > y) == (by > y)) continue;
            const double crossingX = ax + (y - ay) * (bx - ax) / (by - ay);
            if (x < crossingX) inside = !inside;
        }
    }
    return inside;
}

PlatformPath Region::path() const {
    PlatformPath out;
    const double cornerCosine = std::cos(PathFitting::cornerAngle);
    std::vector<Vector2> ring;
    for (const Polygon& polygon : polygons_) {
        ClipperLib::Path path;
        path.reserve(polygon.size());
        for (const Point& p : polygon) path.emplace_back(p.x, p.y);
        ClipperLib::CleanPolygon(path, cleaningDistance * scale);
        if (path.size() < 3) continue;
        ring.clear();
        for (const IntPoint& p : path)
            ring.push_back({static_cast<double>(p.X) / scale, static_cast<double>(p.Y) / scale});
        appendRefittedRing(ring, cornerCosine, out);
    }
    return out;
}

}  // namespace icon_geometry
