#include "glyphsmith_views/painter_paths.hpp"

#include <string_view>

#include "icon_geometry/icon_geometry_error.hpp"
#include "icon_geometry/svg_document.hpp"

namespace glyphsmith_views {

QPainterPath painterPath(const icon_geometry::BezierPath& path) {
    QPainterPath result;
    result.setFillRule(Qt::OddEvenFill);
    for (const auto& subpath : path.subpaths) {
        if (subpath.segments.empty()) continue;
        result.moveTo(subpath.start.x, subpath.start.y);
        for (const auto& segment : subpath.segments) {
            if (const auto* line = segment.asLine()) {
                result.lineTo(line->to.x, line->to.y);
            } else if (const auto* cubic = segment.asCubic()) {
                result.cubicTo(cubic->control1.x, cubic->control1.y, cubic->control2.x, cubic->control2.y, cubic->to.x,
                               cubic->to.y);
            }
        }
        if (subpath.isClosed) result.closeSubpath();
    }
    return result;
}

std::optional<SvgShapes> readSvgShapes(const QByteArray& svg) {
    try {
        const auto document =
            icon_geometry::SVGDocument::parse(std::string_view(svg.constData(), static_cast<std::size_t>(svg.size())));
        SvgShapes shapes;
        shapes.size = QSizeF(icon_geometry::SVGDocument::lengthAttribute("width", document.root),
                             icon_geometry::SVGDocument::lengthAttribute("height", document.root));
        for (const auto& element : document.elements) {
            const auto path = icon_geometry::SVGDocument::elementPath(element);
            if (!path) continue;
            shapes.paths.push_back(painterPath(*path));
            const QColor fill(QString::fromStdString(element.fill));
            shapes.fills.push_back(fill.isValid() ? fill : QColor(Qt::black));
        }
        return shapes;
    } catch (const icon_geometry::IconGeometryError&) {
        return std::nullopt;
    }
}

}  // namespace glyphsmith_views
