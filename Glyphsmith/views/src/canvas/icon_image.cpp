#include "glyphsmith_views/icon_image.hpp"

#include <QPainter>
#include <cmath>
#include <string_view>

#include "glyphsmith_views/painter_paths.hpp"
#include "icon_geometry/icon_svg.hpp"

namespace glyphsmith_views {

std::optional<IconImage> IconImage::fromSvg(const QByteArray& svg) {
    auto shapes = readSvgShapes(svg);
    if (!shapes || !(shapes->size.width() > 0) || !(shapes->size.height() > 0)) return std::nullopt;
    IconImage image;
    image.size_ = shapes->size;
    image.paths_ = std::make_shared<const std::vector<QPainterPath>>(std::move(shapes->paths));
    return image;
}

void IconImage::paint(QPainter& painter, const QRectF& target, const QColor& color) const {
    if (target.isEmpty()) return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.translate(target.topLeft());
    painter.scale(target.width() / size_.width(), target.height() / size_.height());
    for (const auto& path : *paths_) painter.drawPath(path);
    painter.restore();
}

std::optional<QImage> rasterizeIcon(const IconImage& image, int side, double inset) {
    if (side < 1) return std::nullopt;
    QImage raster(side, side, QImage::Format_RGBA8888_Premultiplied);
    if (raster.isNull()) return std::nullopt;
    raster.fill(Qt::transparent);
    const double margin = inset * side;
    QPainter painter(&raster);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    image.paint(painter, QRectF(margin, margin, side - 2 * margin, side - 2 * margin), Qt::black);
    painter.end();
    return raster;
}

QImage tinted(const QImage& raster, const QColor& color) {
    QImage result = raster.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(result.rect(), color);
    painter.end();
    return result;
}

namespace {

icon_geometry::ValidationReport validation(const std::string& svg) {
    return icon_geometry::SVGValidator::validateText(svg);
}

}  // namespace

const CanvasPicture& CanvasPictureCache::picture(const glyphsmith_state::DriverEditor& editor,
                                                 const icon_geometry::Camera& brand) {
    Inputs inputs{editor.model(), editor.modelWithKeptProposals(), brand};
    if (inputs_ && *inputs_ == inputs) return picture_;
    const std::string ownSvg = icon_geometry::iconSvg(inputs.model, brand);
    // Without kept proposals the shown icon is the model's own: drawn once.
    const std::string shownSvg =
        inputs.shownModel == inputs.model ? ownSvg : icon_geometry::iconSvg(inputs.shownModel, brand);
    picture_.icon = IconImage::fromSvg(QByteArray::fromStdString(shownSvg));
    picture_.report = validation(ownSvg);
    picture_.deviates = inputs.model.camera.has_value() && *inputs.model.camera != brand;
    inputs_ = std::move(inputs);
    return picture_;
}

}  // namespace glyphsmith_views
