#pragma once

// The engine's paths (M, L, C and Z only) as Qt painter paths, and SVG
// documents of such paths read into them.

#include <QByteArray>
#include <QColor>
#include <QPainterPath>
#include <QSizeF>
#include <optional>
#include <vector>

#include "icon_geometry/bezier_path.hpp"

namespace glyphsmith_views {

// Each subpath with a segment: a move to its start, its lines and cubics, a close
// when closed. Subpaths without segments are left out. Even-odd fill.
QPainterPath painterPath(const icon_geometry::BezierPath& path);

// The drawable elements of an SVG document as painter paths with their fill
// colours, in element order, and the document's width and height. Nothing when
// the text is not a document or a path's data is malformed.
struct SvgShapes {
    QSizeF size;
    std::vector<QPainterPath> paths;
    // The fill of each path; black when the document names none or no colour.
    std::vector<QColor> fills;
};
std::optional<SvgShapes> readSvgShapes(const QByteArray& svg);

}  // namespace glyphsmith_views
