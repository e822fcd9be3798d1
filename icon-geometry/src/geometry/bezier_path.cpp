#include "icon_geometry/bezier_path.hpp"

#include <algorithm>
#include <cmath>

#include "geometry/curve_extent.hpp"
#include "icon_geometry/cubic.hpp"

namespace icon_geometry {

namespace {

bool isFinite(Vector2 p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

}  // namespace

bool Subpath::isFinite() const {
    if (!icon_geometry::isFinite(start)) return false;
    for (const PathSegment& segment : segments) {
        if (const auto* c = segment.asCubic();
            c && !(icon_geometry::isFinite(c->control1) && icon_geometry::isFinite(c->control2)))
            return false;
        if (!icon_geometry::isFinite(segment.end())) return false;
    }
    return true;
}

bool BezierPath::isEmpty() const {
    return std::all_of(subpaths.begin(), subpaths.end(), [](const Subpath& s) { return s.segments.empty(); });
}

// Subpaths without a segment draw nothing and bound nothing; subpaths with a
// non-finite coordinate are left out, as the region operations leave them out.
Rect BezierPath::bounds() const {
    using geometry_detail::Extent;
    Rect result = Rect::null();
    for (const Subpath& subpath : subpaths) {
        if (subpath.segments.empty() || !subpath.isFinite()) continue;
        Extent extent;
        extent.add(subpath.start);
        Vector2 current = subpath.start;
        for (const PathSegment& segment : subpath.segments) {
            if (const auto* line = segment.asLine()) {
                extent.add(line->to);
            } else {
                const auto& c = *segment.asCubic();
                geometry_detail::addCubicExtremes(extent, current, c.control1, c.control2, c.to);
            }
            current = segment.end();
        }
        result = result.united(extent.rect());
    }
    return result;
}

BezierPath BezierPath::mapPoints(const std::function<Vector2(Vector2)>& f) const {
    BezierPath result;
    result.subpaths.reserve(subpaths.size());
    for (const Subpath& subpath : subpaths) {
        Subpath mapped;
        mapped.start = f(subpath.start);
        mapped.isClosed = subpath.isClosed;
        mapped.segments.reserve(subpath.segments.size());
        for (const PathSegment& segment : subpath.segments) {
            if (const auto* line = segment.asLine()) {
                mapped.segments.push_back(PathSegment::line(f(line->to)));
            } else {
                const auto& c = *segment.asCubic();
                const Vector2 control1 = f(c.control1);
                const Vector2 control2 = f(c.control2);
                mapped.segments.push_back(PathSegment::cubic(control1, control2, f(c.to)));
            }
        }
        result.subpaths.push_back(std::move(mapped));
    }
    return result;
}

BezierPath BezierPath::translated(double dx, double dy) const {
    return mapPoints([dx, dy](Vector2 p) { return Vector2{p.x + dx, p.y + dy}; });
}

BezierPath BezierPath::applying(const AffineTransform& m) const {
    return mapPoints([&m](Vector2 p) { return m.apply(p); });
}

BezierPath BezierPath::droppingSmallSubpaths(double minimumSize) const {
    BezierPath result;
    for (const Subpath& subpath : subpaths) {
        const Rect box = BezierPath{{subpath}}.bounds();
        if (box.width >= minimumSize || box.height >= minimumSize) result.subpaths.push_back(subpath);
    }
    return result;
}

void PathBuilder::moveTo(Vector2 point) {
    if (current && !current->segments.empty()) path.subpaths.push_back(std::move(*current));
    current = Subpath{point, {}, false};
}

void PathBuilder::lineTo(Vector2 point) {
    if (!current) return;
    if (current->currentPoint().distance(point) > epsilon) current->segments.push_back(PathSegment::line(point));
}

void PathBuilder::curveTo(Vector2 to, Vector2 control1, Vector2 control2) {
    if (!current) return;
    const Vector2 here = current->currentPoint();
    if (here.distance(to) <= epsilon && here.distance(control1) <= epsilon && here.distance(control2) <= epsilon) {
        return;
    }
    current->segments.push_back(PathSegment::cubic(control1, control2, to));
}

void PathBuilder::closeSubpath() {
    if (!current) return;
    auto& segments = current->segments;
    if (!segments.empty()) {
        if (const auto* line = segments.back().asLine(); line && line->to.distance(current->start) <= epsilon) {
            segments.pop_back();
        }
    }
    current->isClosed = true;
    if (!segments.empty()) path.subpaths.push_back(std::move(*current));
    current.reset();
}

BezierPath PathBuilder::finish() {
    if (current && !current->segments.empty()) path.subpaths.push_back(std::move(*current));
    current.reset();
    return path;
}

}  // namespace icon_geometry

std::size_t std::hash<icon_geometry::PathSegment>::operator()(const icon_geometry::PathSegment& s) const {
    icon_geometry::Hasher h;
    if (const auto* line = s.asLine()) {
        h.combine(std::size_t{0});
        h.combine(line->to);
    } else {
        const auto& c = *s.asCubic();
        h.combine(std::size_t{1});
        h.combine(c.control1);
        h.combine(c.control2);
        h.combine(c.to);
    }
    return h.state;
}

std::size_t std::hash<icon_geometry::Subpath>::operator()(const icon_geometry::Subpath& s) const {
    icon_geometry::Hasher h;
    h.combine(s.start);
    h.combine(s.segments.size());
    for (const auto& segment : s.segments) h.combine(std::hash<icon_geometry::PathSegment>{}(segment));
    h.combine(std::size_t{s.isClosed ? 1u : 0u});
    return h.state;
}

std::size_t std::hash<icon_geometry::BezierPath>::operator()(const icon_geometry::BezierPath& p) const {
    icon_geometry::Hasher h;
    h.combine(p.subpaths.size());
    for (const auto& subpath : p.subpaths) h.combine(std::hash<icon_geometry::Subpath>{}(subpath));
    return h.state;
}
