#pragma once

// The app's small symbols ("checkmark.seal", "exclamationmark.triangle",
// "camera.rotate", …): our own one-colour SVG drawings in the views' resources,
// read with the engine's SVG reader and painted in the colour a view asks for.
// A new symbol is one more file in resources/symbols/ and one line in
// resources/views.qrc.

#include <QColor>
#include <QIcon>
#include <QPixmap>
#include <QString>

class QPainter;
class QRectF;

namespace glyphsmith_views {

// The symbol filling `side` × `side` logical pixels, in `color`; a null pixmap
// for an unknown name.
QPixmap symbolPixmap(const QString& name, const QColor& color, int side, qreal devicePixelRatio = 1.0);
// The same as an icon, at the usual sizes of menus and buttons.
QIcon symbolIcon(const QString& name, const QColor& color);
// Paints the symbol into the rectangle; false for an unknown name.
bool paintSymbol(QPainter& painter, const QString& name, const QColor& color, const QRectF& rect);

// The app's own icon (glyphsmith.svg) in its colours, for windows and the About window.
QPixmap appIconPixmap(int side, qreal devicePixelRatio = 1.0);
QIcon appIcon();

}  // namespace glyphsmith_views
