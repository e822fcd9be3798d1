#include "platform/platform_path.hpp"

#include <cmath>
#include <optional>

#include "geometry/curve_extent.hpp"
#include "icon_geometry/cubic.hpp"
#include "platform/path_walk.hpp"

namespace icon_geometry {

namespace {

using Kind = PlatformPath::ElementKind;
using geometry_detail::addCubicExtremes;
using geometry_detail::addQuadraticExtremes;
using geometry_detail::Extent;

}  // namespace

void PlatformPath::moveTo(Vector2 p) {
    elements_.push_back({Kind::moveTo, {p}});
}

// A line or curve on an empty path has no current point; it starts at its own
// first point, as if moved there.
void PlatformPath::addLineTo(Vector2 p) {
    if (elements_.empty()) moveTo(p);
    elements_.push_back({Kind::lineTo, {p}});
}

void PlatformPath::addQuadCurveTo(Vector2 control, Vector2 end) {
    if (elements_.empty()) moveTo(control);
    elements_.push_back({Kind::quadCurveTo, {control, end}});
}

void PlatformPath::addCurveTo(Vector2 control1, Vector2 control2, Vector2 end) {
    if (elements_.empty()) moveTo(control1);
    elements_.push_back({Kind::curveTo, {control1, control2, end}});
}

// Closing twice, or closing nothing, leaves the path as it is.
void PlatformPath::closeSubpath() {
    if (elements_.empty() || elements_.back().kind == Kind::closeSubpath) return;
    elements_.push_back({Kind::closeSubpath, {}});
}

void PlatformPath::apply(const std::function<void(const Element&)>& visit) const {
    for (const Element& element : elements_) visit(element);
}

// Subpaths with a non-finite coordinate are left out, as the region operations
// leave them out; bare moves draw nothing and bound nothing.
Rect PlatformPath::boundingBox() const {
    Rect result = Rect::null();
    platform::forEachSubpath(*this, [&](const platform::SubpathView& subpath) {
        if (!subpath.isFinite()) return;
        Extent extent;
        extent.add(subpath.start);
        Vector2 current = subpath.start;
        for (const Element& element : subpath.drawing) {
            switch (element.kind) {
                case Kind::lineTo:
                    extent.add(element.points[0]);
                    break;
                case Kind::quadCurveTo:
                    addQuadraticExtremes(extent, current, element.points[0], element.points[1]);
                    break;
                case Kind::curveTo:
                    addCubicExtremes(extent, current, element.points[0], element.points[1], element.points[2]);
                    break;
                case Kind::moveTo:
                case Kind::closeSubpath:
                    break;
            }
            current = platform::endPoint(element);
        }
        result = result.united(extent.rect());
    });
    return result;
}

PlatformPath PlatformPath::strokedRound(double width) const {
    return Region::stroked(*this, width).path();
}

PlatformPath PlatformPath::normalized(FillRule rule) const {
    return Region::filled(*this, rule).path();
}

PlatformPath PlatformPath::united(const PlatformPath& other, FillRule rule) const {
    return Region::filled(*this, rule).united(Region::filled(other, rule)).path();
}

PlatformPath PlatformPath::subtracting(const PlatformPath& other, FillRule rule) const {
    return Region::filled(*this, rule).subtracting(Region::filled(other, rule)).path();
}

PlatformPath toPlatformPath(const BezierPath& path) {
    PlatformPath result;
    for (const Subpath& subpath : path.subpaths) {
        if (subpath.segments.empty()) continue;
        result.moveTo(subpath.start);
        for (const PathSegment& segment : subpath.segments) {
            if (const auto* line = segment.asLine()) {
                result.addLineTo(line->to);
            } else {
                const auto& c = *segment.asCubic();
                result.addCurveTo(c.control1, c.control2, c.to);
            }
        }
        if (subpath.isClosed) result.closeSubpath();
    }
    return result;
}

BezierPath fromPlatformPath(const PlatformPath& path) {
    BezierPath result;
    std::optional<Subpath> open;
    const auto finishOpen = [&] {
        if (open && !open->segments.empty()) result.subpaths.push_back(*open);
    };
    path.apply([&](const PlatformPath::Element& element) {
        const Vector2* p = element.points;
        switch (element.kind) {
            case Kind::moveTo:
                finishOpen();
                open = Subpath{p[0], {}, false};
                break;
            case Kind::lineTo:
                if (!open) open = Subpath{p[0], {}, false};
                open->segments.push_back(PathSegment::line(p[0]));
                break;
            case Kind::quadCurveTo: {
                if (!open) open = Subpath{p[0], {}, false};
                open->segments.push_back(Cubic::fromQuadratic(open->currentPoint(), p[0], p[1]));
                break;
            }
            case Kind::curveTo:
                if (!open) open = Subpath{p[0], {}, false};
                open->segments.push_back(PathSegment::cubic(p[0], p[1], p[2]));
                break;
            case Kind::closeSubpath:
                if (open) {
                    open->isClosed = true;
                    if (!open->segments.empty()) result.subpaths.push_back(*open);
                    open = Subpath{open->start, {}, false};
                }
                break;
        }
    });
    finishOpen();
    return result;
}

Region Region::filled(const BezierPath& path, FillRule rule) {
    return filled(toPlatformPath(path), rule);
}

Region Region::stroked(const BezierPath& path, double width) {
    return stroked(toPlatformPath(path), width);
}

BezierPath Region::outline() const {
    return fromPlatformPath(path());
}

}  // namespace icon_geometry
