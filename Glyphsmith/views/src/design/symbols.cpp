#include "glyphsmith_views/symbols.hpp"

#include <QFile>
#include <QHash>
#include <QPainter>
#include <optional>

#include "glyphsmith_views/painter_paths.hpp"

// The resources live in this static library: register them before the first use.
static void initialiseViewsResources() {
    Q_INIT_RESOURCE(views);
}

namespace glyphsmith_views {

namespace {

const std::optional<SvgShapes>& shapes(const QString& name, const QString& file) {
    // Read once per name; the symbols never change while the app runs.
    static QHash<QString, std::optional<SvgShapes>> cache;
    auto found = cache.find(name);
    if (found == cache.end()) {
        static const bool registered = (initialiseViewsResources(), true);
        (void)registered;
        std::optional<SvgShapes> read;
        QFile resource(file);
        if (resource.open(QIODevice::ReadOnly)) read = readSvgShapes(resource.readAll());
        if (read && (read->size.width() <= 0 || read->size.height() <= 0)) read.reset();
        found = cache.insert(name, read);
    }
    return *found;
}

const std::optional<SvgShapes>& shapes(const QString& name) {
    return shapes(name, QStringLiteral(":/glyphsmith/symbols/%1.svg").arg(name));
}

const std::optional<SvgShapes>& appIconShapes() {
    return shapes(QStringLiteral("\n app icon"), QStringLiteral(":/glyphsmith/glyphsmith.svg"));
}

}  // namespace

bool paintSymbol(QPainter& painter, const QString& name, const QColor& color, const QRectF& rect) {
    const auto& symbol = shapes(name);
    if (!symbol) return false;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.translate(rect.topLeft());
    painter.scale(rect.width() / symbol->size.width(), rect.height() / symbol->size.height());
    for (const auto& path : symbol->paths) painter.drawPath(path);
    painter.restore();
    return true;
}

QPixmap symbolPixmap(const QString& name, const QColor& color, int side, qreal devicePixelRatio) {
    if (!shapes(name) || side <= 0) return {};
    QPixmap pixmap(QSize(side, side) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    paintSymbol(painter, name, color, QRectF(0, 0, side, side));
    return pixmap;
}

QIcon symbolIcon(const QString& name, const QColor& color) {
    QIcon icon;
    for (const int side : {16, 20, 24, 32, 48}) {
        const QPixmap pixmap = symbolPixmap(name, color, side);
        if (!pixmap.isNull()) icon.addPixmap(pixmap);
    }
    return icon;
}

QPixmap appIconPixmap(int side, qreal devicePixelRatio) {
    const auto& icon = appIconShapes();
    if (!icon || side <= 0) return {};
    QPixmap pixmap(QSize(side, side) * devicePixelRatio);
    pixmap.setDevicePixelRatio(devicePixelRatio);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.scale(side / icon->size.width(), side / icon->size.height());
    for (std::size_t i = 0; i < icon->paths.size(); ++i) {
        painter.setBrush(icon->fills[i]);
        painter.drawPath(icon->paths[i]);
    }
    return pixmap;
}

QIcon appIcon() {
    QIcon icon;
    for (const int side : {16, 24, 32, 48, 64, 128, 256}) icon.addPixmap(appIconPixmap(side));
    return icon;
}

}  // namespace glyphsmith_views
