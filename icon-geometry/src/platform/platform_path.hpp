#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/rect.hpp"
#include "icon_geometry/vector.hpp"

namespace icon_geometry {

enum class FillRule { winding, evenOdd };

// Our stand-in for the platform's path type: a list of drawing elements, built
// in order and walked in order. Region operations (stroking, normalisation,
// union, subtraction) return new paths whose outlines are refitted to lines and
// cubics; what they promise is the region, not the placement of points.
class PlatformPath {
public:
    enum class ElementKind { moveTo, lineTo, quadCurveTo, curveTo, closeSubpath };
    struct Element {
        ElementKind kind;
        Vector2 points[3];  // as many as the kind uses: 1, 1, 2, 3 or 0
        friend bool operator==(const Element&, const Element&) = default;
    };

    // A line or curve on an empty path starts at its own first point, as if moved
    // there; after a close, one without a move continues from the closed
    // subpath's start. Closing twice, or closing an empty path, does nothing.
    void moveTo(Vector2 p);
    void addLineTo(Vector2 p);
    void addQuadCurveTo(Vector2 control, Vector2 end);
    void addCurveTo(Vector2 control1, Vector2 control2, Vector2 end);
    void closeSubpath();

    const std::vector<Element>& elements() const { return elements_; }
    bool isEmpty() const { return elements_.empty(); }
    // Walks the elements in order.
    void apply(const std::function<void(const Element&)>& visit) const;

    // The smallest rectangle holding the curves themselves, control points
    // excluded; the null rectangle when nothing is drawn (bare moves bound
    // nothing). Subpaths with a non-finite coordinate are left out.
    Rect boundingBox() const;

    // The closed outline swept by a pen of the given width with round caps and
    // round joins (its winding fill is the stroked area). Curves are stroked as
    // drawn; a width that is not positive and finite strokes nothing.
    PlatformPath strokedRound(double width) const;
    PlatformPath normalized(FillRule rule) const;
    PlatformPath united(const PlatformPath& other, FillRule rule) const;
    PlatformPath subtracting(const PlatformPath& other, FillRule rule) const;

    friend bool operator==(const PlatformPath&, const PlatformPath&) = default;

private:
    std::vector<Element> elements_;
};

// A region of the plane held as non-overlapping integer polygons: the working
// form of the region operations. Chains of unions and subtractions stay in this
// form and are turned back into a path once, at the end, which keeps a body of
// fifty strokes and fills in the low milliseconds.
class Region {
public:
    struct Point {
        std::int64_t x;
        std::int64_t y;
        friend bool operator==(const Point&, const Point&) = default;
    };
    using Polygon = std::vector<Point>;

    // The inside of the path under the rule, open subpaths closed. Non-finite
    // subpaths are dropped, coordinates clamped to ±1e7.
    static Region filled(const PlatformPath& path, FillRule rule);
    static Region filled(const BezierPath& path, FillRule rule);
    // The area swept by a round pen of the given width along the path; empty when
    // the width is not positive and finite. Pens wider than 40 units are drawn
    // with a tolerance of a thousandth of their half width.
    static Region stroked(const PlatformPath& path, double width);
    static Region stroked(const BezierPath& path, double width);
    static Region unionOf(const std::vector<Region>& regions);

    Region united(const Region& other) const;
    Region subtracting(const Region& other) const;
    Region intersecting(const Region& other) const;

    // The region grown (positive distance) or shrunk (negative) by the distance,
    // its corners mitred: grown and shrunk back by the same distance, a region
    // comes back as it was except where it is narrower than twice the distance.
    Region offsetBy(double distance) const;
    // The region with its notches and slivers narrower than the width removed:
    // a sliver is cut where shrinking and growing back by half the width takes
    // area away, then a notch filled where growing and shrinking back adds area.
    // Only pieces thicker on average than a fiftieth of a unit count, so a region
    // without notches or slivers comes back as it was, polygon for polygon.
    Region withoutSlivers(double width) const;
    // The parts of the path's lines that lie inside the region, as open
    // polylines: each subpath flattened and taken as a line, a closed one back to
    // its start. Nothing when no part of them lies outside the region, so that
    // the caller may keep the path as it is.
    std::optional<BezierPath> linesInside(const BezierPath& path) const;

    // Polygon points are integers in this many per path unit.
    static constexpr double pointsPerUnit = 65536.0;

    // Whether the operation that made the region succeeded. A failed region
    // (Clipper refused its input) holds nothing: the caller keeps what it had,
    // rather than mistaking the failure for an empty region. An operation with a
    // failed operand fails.
    enum class Status { ok, failed };
    Status status() const { return status_; }
    bool failed() const { return status_ == Status::failed; }
    static Region failure() {
        Region region;
        region.status_ = Status::failed;
        return region;
    }

    bool isEmpty() const { return polygons_.empty(); }
    const std::vector<Polygon>& polygons() const { return polygons_; }
    double area() const;
    // Each ring of the region as a piece: its area and its mean thickness (twice
    // its area over its perimeter, the width of a thin strip), in path units.
    struct Piece {
        double area;
        double thickness;
    };
    std::vector<Piece> pieces() const;
    bool contains(Vector2 point) const;
    // The outline, polygon edges longer than about 12 units kept as lines and the
    // stretches between them refitted to cubics, each within 0.5 units of the
    // polygon it replaces both ways.
    PlatformPath path() const;
    // The same outline as a Bézier path.
    BezierPath outline() const;

    friend bool operator==(const Region&, const Region&) = default;

private:
    std::vector<Polygon> polygons_;  // outer rings counter-clockwise in y-up terms, holes opposite
    Status status_ = Status::ok;
    friend struct RegionAccess;
};

// A move, a line or curve per segment and a close when closed, for each subpath
// that has a segment.
PlatformPath toPlatformPath(const BezierPath& path);
// Quadratics raised to cubics; subpaths without a segment dropped.
BezierPath fromPlatformPath(const PlatformPath& path);

}  // namespace icon_geometry
