#include "glyphsmith_views/previews.hpp"

#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/text_roles.hpp"

namespace glyphsmith_views {

namespace {

constexpr std::array<int, 2> scales{1, 2};

QPainterPath card(const QRectF& square) {
    QPainterPath path;
    path.addRoundedRect(square, PreviewMetrics::cornerRadius, PreviewMetrics::cornerRadius);
    return path;
}

}  // namespace

QRectF fittedSquare(const QRectF& space, double maxSide) {
    const double side = std::max(0.0, std::min({space.width(), space.height(), maxSide}));
    return QRectF(space.center().x() - side / 2, space.center().y() - side / 2, side, side);
}

// ----- The icon on its card -----

IconPreview::IconPreview(QWidget* parent) : QWidget(parent) {}

void IconPreview::show(const std::optional<IconImage>& image, const QString& name) {
    image_ = image;
    setAccessibleName(tr("Icône du pilote %1").arg(name));
    update();
}

void IconPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square = fittedSquare(rect(), PreviewMetrics::maxSide);
    // A 1-pixel line centred half a pixel inside the card.
    painter.setPen(QPen(Palette::border(), 1));
    painter.setBrush(Palette::previewBackground());
    painter.drawPath(card(square.adjusted(0.5, 0.5, -0.5, -0.5)));
    if (image_) {
        const double padding = Spacing::medium;
        image_->paint(painter, square.adjusted(padding, padding, -padding, -padding), Palette::ink());
    }
}

// ----- The mask on the brand colour -----

MaskPreview::MaskPreview(QWidget* parent) : QWidget(parent) {
    setAccessibleName(tr("Masque monochrome de l’icône"));
}

void MaskPreview::show(const std::optional<IconImage>& image, const QColor& brand) {
    image_ = image;
    brand_ = brand;
    update();
}

void MaskPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF square = fittedSquare(rect(), PreviewMetrics::maxSide);
    painter.setPen(Qt::NoPen);
    painter.setBrush(brand_);
    painter.drawPath(card(square));
    if (image_) {
        const double padding = Spacing::large;
        image_->paint(painter, square.adjusted(padding, padding, -padding, -padding), Palette::onBrand());
    }
}

// ----- The tiles -----

TilesPreview::TilesPreview(QWidget* parent) : QWidget(parent) {
    setAccessibleName(tr("Aperçu de l’icône en tuiles de 30 et 50 pixels"));
}

void TilesPreview::show(const std::optional<IconImage>& image, const QColor& brand) {
    image_ = image;
    brand_ = brand;
    update();
}

namespace {

// The grid's measures at full size: the row-label column, then two columns of
// tile pairs; a header row of texts, then two rows of tiles.
struct TileGrid {
    double labelWidth;
    double headerHeight;
    static constexpr double pairWidth = 2 * PreviewMetrics::tileFrame + Spacing::small;

    explicit TileGrid(const QFontMetricsF& metrics)
        : labelWidth(std::max(metrics.horizontalAdvance(QStringLiteral("1×")),
                              metrics.horizontalAdvance(QStringLiteral("2×")))),
          headerHeight(metrics.height()) {}

    QSizeF size() const {
        return {labelWidth + 2 * (Spacing::large + pairWidth),
                headerHeight + 2 * (Spacing::large + PreviewMetrics::tileFrame)};
    }
    double columnX(int column) const { return labelWidth + Spacing::large + column * (pairWidth + Spacing::large); }
    double rowY(int row) const {
        return headerHeight + Spacing::large + row * (PreviewMetrics::tileFrame + Spacing::large);
    }
};

}  // namespace

QSize TilesPreview::sizeHint() const {
    return TileGrid(QFontMetricsF(roleFont(font(), TextRole::caption))).size().toSize();
}

void TilesPreview::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QFont caption = roleFont(font(), TextRole::caption);
    const TileGrid grid{QFontMetricsF(caption)};
    const QSizeF full = grid.size();
    // Centred; where the column is narrower than the grid (the window at its
    // smallest), the whole grid is scaled down rather than cut off.
    const double room = width() - 2 * Spacing::medium;
    const double scale = std::min({1.0, room / full.width(), height() / full.height()});
    painter.translate((width() - full.width() * scale) / 2, (height() - full.height() * scale) / 2);
    painter.scale(scale, scale);

    painter.setFont(caption);
    painter.setPen(Palette::neutral());
    for (int column = 0; column < 2; ++column) {
        const QRectF header(grid.columnX(column), 0, TileGrid::pairWidth, grid.headerHeight);
        painter.drawText(header, Qt::AlignCenter, QStringLiteral("%1 px").arg(PreviewMetrics::tileSizes[column]));
    }
    rasters_.clear();
    for (int row = 0; row < 2; ++row) {
        const int k = scales[row];
        painter.setPen(Palette::neutral());
        painter.drawText(QRectF(0, grid.rowY(row), grid.labelWidth, PreviewMetrics::tileFrame), Qt::AlignCenter,
                         k == 1 ? QStringLiteral("1×") : QStringLiteral("2×"));
        for (int column = 0; column < 2; ++column) {
            const int n = PreviewMetrics::tileSizes[column] * k;
            const auto raster = image_ ? rasterizeIcon(*image_, n, PreviewMetrics::tileInset) : std::nullopt;
            if (!raster) continue;  // the pair keeps its space, empty
            rasters_.push_back(*raster);
            const struct {
                QColor ground, ink;
            } tiles[] = {{brand_, Palette::onBrand()}, {Palette::tileBackground(), Palette::ink()}};
            for (int t = 0; t < 2; ++t) {
                const QRectF frame(grid.columnX(column) + t * (PreviewMetrics::tileFrame + Spacing::small),
                                   grid.rowY(row), PreviewMetrics::tileFrame, PreviewMetrics::tileFrame);
                painter.fillRect(frame, tiles[t].ground);
                // Each raster pixel shows as a square: no smoothing.
                painter.setRenderHint(QPainter::SmoothPixmapTransform, false);
                painter.drawImage(frame, tinted(*raster, tiles[t].ink));
                painter.setPen(QPen(Palette::border(), 1));
                painter.setBrush(Qt::NoBrush);
                painter.drawRect(frame.adjusted(0.5, 0.5, -0.5, -0.5));
            }
        }
    }
}

}  // namespace glyphsmith_views
