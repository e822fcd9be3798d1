#include "glyphsmith_views/photo_overlay.hpp"

#include <QPainter>

#include "glyphsmith_views/current_editor.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/glyphsmith_app.hpp"
#include "glyphsmith_views/icon_image.hpp"

namespace glyphsmith_views {

using glyphsmith_state::DriverEditor;

// A first overlay: the face photo fitted in the area and the icon over it at
// the starting opacity, or the empty state. Clicks, corners, proposals and the
// control row come with the photo tools.
PhotoOverlay::PhotoOverlay(GlyphsmithApp& app, QWidget* parent) : QWidget(parent), app_(app) {
    setAccessibleName(tr("Photo de face de l’appareil"));
    const auto follow = [this] {
        disconnect(photoConnection_);
        photoConnection_ =
            connect(&app_.currentEditor().editor(), &DriverEditor::facePhotoChanged, this, [this] { update(); });
        update();
    };
    connect(&app_.currentEditor(), &CurrentEditor::changed, this, follow);
    follow();
}

void PhotoOverlay::setIconImage(const IconImage* image) {
    iconImage_ = image;
    update();
}

const QImage& PhotoOverlay::shownPhoto() {
    const DriverEditor& editor = app_.currentEditor().editor();
    const auto& photo = editor.facePhoto();
    if (!photo || photo->isEmpty()) {
        scaled_ = QImage();
        return scaled_;
    }
    const auto revision = editor.facePhotoRevision();
    if (scaledFor_ != &editor || scaledRevision_ != revision || scaled_.isNull()) {
        const QImage full(photo->pixels().data(), photo->width(), photo->height(), photo->width() * 4,
                          QImage::Format_RGBA8888_Premultiplied);
        // Drawn at most at this size: scaling a 12 MP photo at every paint would stall the canvas.
        scaled_ = full.scaled(1600, 1600, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        scaledFor_ = &editor;
        scaledRevision_ = revision;
    }
    return scaled_;
}

void PhotoOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    const QImage& photo = shownPhoto();
    if (photo.isNull()) {
        painter.setPen(Palette::neutral());
        QFont title = font();
        title.setPointSizeF(title.pointSizeF() * 1.4);
        title.setBold(true);
        painter.setFont(title);
        const QRectF middle = rect();
        painter.drawText(middle.adjusted(0, 0, 0, -24), Qt::AlignCenter, tr("Aucune photo"));
        painter.setFont(font());
        painter.drawText(middle.adjusted(0, 36, 0, 0), Qt::AlignCenter,
                         tr("Ajoutez une photo de face dans l’inspecteur."));
        return;
    }
    const QSizeF fitted = QSizeF(photo.size()).scaled(size(), Qt::KeepAspectRatio);
    const QRectF photoRect(QPointF((width() - fitted.width()) / 2, (height() - fitted.height()) / 2), fitted);
    painter.drawImage(photoRect, photo);
    const int side = std::min(width(), height());
    if (iconImage_ && side > 0) {
        // One layer at the opacity: where the bodies overlap the ink is not darker.
        QImage layer(QSize(side, side) * devicePixelRatioF(), QImage::Format_ARGB32_Premultiplied);
        layer.setDevicePixelRatio(devicePixelRatioF());
        layer.fill(Qt::transparent);
        QPainter layerPainter(&layer);
        iconImage_->paint(layerPainter, QRectF(0, 0, side, side), Palette::ink());
        layerPainter.end();
        painter.setOpacity(PreviewMetrics::overlayOpacity);
        painter.drawImage(QPointF((width() - side) / 2.0, (height() - side) / 2.0), layer);
    }
}

}  // namespace glyphsmith_views
