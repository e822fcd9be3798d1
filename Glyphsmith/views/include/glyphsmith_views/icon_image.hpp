#pragma once

// The icon as the canvas shows it: the icon document the engine writes, read
// back into painter paths and drawn in one colour (a template image), and the
// small rasters the tiles are made of. Also what one canvas frame shows of an
// editor: its icon, the validation report and whether the driver's own camera
// deviates from the brand's, computed once per (model, proposals, camera).

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QRectF>
#include <memory>
#include <optional>
#include <vector>

#include "glyphsmith_state/driver_editor.hpp"
#include "icon_geometry/camera.hpp"
#include "icon_geometry/icon_model.hpp"
#include "icon_geometry/svg_validator.hpp"

class QPainter;

namespace glyphsmith_views {

class IconImage {
public:
    // The document's drawing; nothing when the text is not an SVG document of
    // readable paths with a positive size.
    static std::optional<IconImage> fromSvg(const QByteArray& svg);

    // Width and height of the document (960 × 960 for an icon).
    QSizeF size() const { return size_; }
    // Draws the whole drawing stretched into the rectangle, every path filled by
    // the even-odd rule in the colour.
    void paint(QPainter& painter, const QRectF& target, const QColor& color) const;

private:
    QSizeF size_;
    std::shared_ptr<const std::vector<QPainterPath>> paths_;
};

// A side × side bitmap, premultiplied RGBA, fully transparent but for the
// image drawn black (antialiased, source-over) into the square from
// inset × side to side − inset × side on both axes. Nothing for a side below 1
// or a bitmap that cannot be made.
std::optional<QImage> rasterizeIcon(const IconImage& image, int side, double inset);

// The raster's shape (its alpha) in one colour: a template image tinted.
QImage tinted(const QImage& raster, const QColor& color);

// What the canvas shows of an editor.
struct CanvasPicture {
    // The model with its kept proposals, drawn with the brand camera when it has
    // no camera of its own; nothing when it cannot be drawn.
    std::optional<IconImage> icon;
    // The validator's report on the model's own icon (without proposals).
    icon_geometry::ValidationReport report;
    // The model has a camera of its own that differs from the brand camera.
    bool deviates = false;
};

// Computes a picture, and again only when the inputs it is made of change.
class CanvasPictureCache {
public:
    const CanvasPicture& picture(const glyphsmith_state::DriverEditor& editor, const icon_geometry::Camera& brand);

private:
    struct Inputs {
        icon_geometry::IconModel model;
        icon_geometry::IconModel shownModel;
        icon_geometry::Camera brand;
        friend bool operator==(const Inputs&, const Inputs&) = default;
    };
    std::optional<Inputs> inputs_;
    CanvasPicture picture_;
};

}  // namespace glyphsmith_views
