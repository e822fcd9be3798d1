#include <algorithm>
#include <cmath>

#include "icon_geometry/face_detail.hpp"

namespace icon_geometry {
namespace {

// Below this drawn width a slot cannot show as an opening and becomes a line.
constexpr double slotWidthThreshold = 24.0;
constexpr double minimumSunSize = 130.0;
constexpr double minimumWifiSize = 110.0;
// The disc of a circular dot grid keeps dots that sit exactly on its rim.
constexpr double gridDiscTolerance = 1e-9;

IconElement inner(BezierPath path) {
    return IconElement::stroke(std::move(path), StrokeWeight::inner());
}

BezierPath placed(const BezierPath& path, Vector2 at) {
    return path.translated(at.x, at.y);
}

// The larger of a size and a drawn minimum; a size that is not a number takes the minimum.
double atLeast(double size, double minimum) {
    return size > minimum ? size : minimum;
}

std::vector<IconElement> dotGridElements(const FaceDetail::DotGrid& grid, double scale) {
    if (grid.rows < 1) return {};
    const std::int64_t rows = std::min(grid.rows, FaceDetail::maximumGridCount);
    const std::int64_t columns = std::clamp(grid.columns, std::int64_t{0}, FaceDetail::maximumGridCount);
    const std::int64_t longer = std::max(rows, columns);
    const double p = grid.pitch;
    const double rho = static_cast<double>(longer - 1) / 2 * p + gridDiscTolerance;
    // Offsets use real halves so that grids with an even count stay centred.
    const double rowMiddle = static_cast<double>(rows - 1) / 2;
    const double columnMiddle = static_cast<double>(columns - 1) / 2;
    const BezierPath dot = FaceShape::ellipsePath(grid.dotDiameter, grid.dotDiameter);

    std::vector<IconElement> result;
    for (std::int64_t i = 0; i < rows; ++i) {
        const double dy = (static_cast<double>(i) - rowMiddle) * p;
        for (std::int64_t j = 0; j < columns; ++j) {
            const double dx = (static_cast<double>(j) - columnMiddle) * p;
            if (grid.circular && std::sqrt(dy * dy + dx * dx) > rho) continue;
            result.push_back(
                FaceDetail::styledElement(dot.translated(grid.center.x + dx, grid.center.y + dy), grid.style, scale));
        }
    }
    return result;
}

IconElement slotElement(const FaceDetail::Slot& slot, double scale) {
    const double w = slot.width;
    if (w * scale <= slotWidthThreshold) return inner(Pictogram::linePath(slot.from, slot.to));
    const double dx = slot.to.x - slot.from.x;
    const double dy = slot.to.y - slot.from.y;
    const double length = std::sqrt(dx * dx + dy * dy) + w;
    const BezierPath capsule = FaceShape::roundedRectanglePath(length, w, std::min(length, w) * 0.5)
                                   .applying(AffineTransform::rotation(std::atan2(dy, dx)))
                                   .translated(slot.from.x + dx * 0.5, slot.from.y + dy * 0.5);
    return inner(capsule);
}

std::vector<IconElement> socketElements(const FaceDetail::SocketHoles& socket, double scale) {
    const Vector2 c = socket.center;
    const double a = socket.spacing;
    const BezierPath hole = FaceShape::ellipsePath(socket.holeDiameter, socket.holeDiameter);
    std::vector<IconElement> result{
        FaceDetail::styledElement(placed(hole, {c.x - a * 0.5, c.y}), DetailStyle::automatic, scale),
        FaceDetail::styledElement(placed(hole, {c.x + a * 0.5, c.y}), DetailStyle::automatic, scale),
    };
    if (socket.earthPin) {
        const double earth = 0.9 * socket.holeDiameter;
        result.push_back(FaceDetail::styledElement(placed(FaceShape::ellipsePath(earth, earth), {c.x, c.y + a * -0.55}),
                                                   DetailStyle::automatic, scale));
    }
    return result;
}

std::vector<IconElement> cableElements(const FaceDetail::Cable& cable) {
    if (cable.points.size() < 2) return {};
    PathBuilder b;
    b.moveTo(cable.points.front());
    for (std::size_t i = 1; i < cable.points.size(); ++i) b.lineTo(cable.points[i]);
    return {IconElement::stroke(b.finish(), cable.weight)};
}

}  // namespace

IconElement FaceDetail::styledElement(const BezierPath& path, DetailStyle style, double scale) {
    switch (style.value) {
        case DetailStyle::fill:
            return IconElement::fill(path);
        case DetailStyle::hole:
            return IconElement::hole(path);
        case DetailStyle::stroke:
            return inner(path);
        case DetailStyle::automatic:
            break;
    }
    // Judged on the drawn size of the smaller side; the bounds of nothing measure 0.
    const Rect box = path.bounds();
    const double smaller = box.height < box.width ? box.height : box.width;
    if (smaller * scale >= outlineThreshold) return inner(path);
    return IconElement::fill(path);
}

std::vector<IconElement> FaceDetail::geometry(double scale) const {
    struct Visitor {
        double s;
        std::vector<IconElement> operator()(const Button& d) const {
            return {styledElement(placed(d.shape.outline(), d.center), d.style, s)};
        }
        std::vector<IconElement> operator()(const Indicator& d) const {
            const double diameter = atLeast(d.diameter, minimumIndicatorDiameter / s);
            return {styledElement(placed(FaceShape::ellipsePath(diameter, diameter), d.center), d.style, s)};
        }
        std::vector<IconElement> operator()(const DotGrid& d) const { return dotGridElements(d, s); }
        std::vector<IconElement> operator()(const Screen& d) const {
            // A screen is always an outline.
            return {inner(placed(FaceShape::roundedRectanglePath(d.width, d.height, d.cornerRadius), d.center))};
        }
        std::vector<IconElement> operator()(const Slot& d) const { return {slotElement(d, s)}; }
        std::vector<IconElement> operator()(const SocketHoles& d) const { return socketElements(d, s); }
        std::vector<IconElement> operator()(const Separator& d) const {
            return {inner(Pictogram::linePath(d.from, d.to))};
        }
        std::vector<IconElement> operator()(const Cable& d) const { return cableElements(d); }
        std::vector<IconElement> operator()(const PictogramMark& d) const {
            const double minimum = d.pictogram == Pictogram::sun    ? minimumSunSize
                                   : d.pictogram == Pictogram::wifi ? minimumWifiSize
                                                                    : minimumPictogramSize;
            return d.pictogram.elements(d.center, atLeast(d.size, minimum / s), s);
        }
        std::vector<IconElement> operator()(const Imported& d) const { return {styledElement(d.path, d.style, s)}; }
        std::vector<IconElement> operator()(const Elements& d) const { return d.elements; }
    };
    return std::visit(Visitor{scale}, value);
}

}  // namespace icon_geometry
