#pragma once

// The canvas's photo mode: the current editor's face photo with the icon drawn
// over it, the clicks that place details, add face corners and keep or remove
// proposals, and the icon's opacity.

#include <QImage>
#include <QWidget>
#include <cstdint>

namespace glyphsmith_views {

class GlyphsmithApp;
class IconImage;

class PhotoOverlay : public QWidget {
    Q_OBJECT
public:
    explicit PhotoOverlay(GlyphsmithApp& app, QWidget* parent = nullptr);

    // The icon the canvas drew for the current editor (nothing when it has none).
    void setIconImage(const IconImage* image);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    const QImage& shownPhoto();

    GlyphsmithApp& app_;
    const IconImage* iconImage_ = nullptr;
    QMetaObject::Connection photoConnection_;
    QImage scaled_;
    const void* scaledFor_ = nullptr;
    std::uint64_t scaledRevision_ = 0;
};

}  // namespace glyphsmith_views
