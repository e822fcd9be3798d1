#pragma once

// Three of the canvas's four preview modes: the icon on a white card, the icon
// as the 30 and 50 pixel tiles at 1× and 2× (on the brand colour and on white,
// pixels shown unsmoothed), and the icon as a white mask on the brand colour.
// Each is given the icon (or nothing) and, for the tiles and the mask, the
// brand colour; none changes the model.

#include <QColor>
#include <QString>
#include <QWidget>
#include <optional>

#include "glyphsmith_views/icon_image.hpp"

namespace glyphsmith_views {

// The largest square, at most `maxSide`, centred in the rectangle.
QRectF fittedSquare(const QRectF& space, double maxSide);

class IconPreview : public QWidget {
    Q_OBJECT
public:
    explicit IconPreview(QWidget* parent = nullptr);
    // `name`: what is edited, for the accessible name.
    void show(const std::optional<IconImage>& image, const QString& name);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<IconImage> image_;
};

class MaskPreview : public QWidget {
    Q_OBJECT
public:
    explicit MaskPreview(QWidget* parent = nullptr);
    void show(const std::optional<IconImage>& image, const QColor& brand);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<IconImage> image_;
    QColor brand_;
};

class TilesPreview : public QWidget {
    Q_OBJECT
public:
    explicit TilesPreview(QWidget* parent = nullptr);
    void show(const std::optional<IconImage>& image, const QColor& brand);

    // The rasters of the last paint, by row (scale 1, 2) and tile size (30, 50);
    // empty without an icon. For tests.
    const std::vector<QImage>& rasters() const { return rasters_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::optional<IconImage> image_;
    QColor brand_;
    std::vector<QImage> rasters_;
};

}  // namespace glyphsmith_views
