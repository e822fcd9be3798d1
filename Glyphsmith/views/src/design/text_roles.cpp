#include "glyphsmith_views/text_roles.hpp"

#include <QWidget>

namespace glyphsmith_views {

namespace {

// The platform's sizes for a 13-point body text.
double scale(TextRole role) {
    switch (role) {
        case TextRole::caption:
            return 11.0 / 13.0;
        case TextRole::callout:
            return 12.0 / 13.0;
        case TextRole::title:
            return 1.3;
        case TextRole::largeTitle:
            return 1.4;
    }
    return 1;
}

}  // namespace

QFont roleFont(const QFont& base, TextRole role) {
    QFont font = base;
    if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * scale(role));
    return font;
}

void setTextColour(QWidget& widget, const QColor& colour) {
    QPalette colours = widget.palette();
    for (const QPalette::ColorRole text : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        colours.setColor(text, colour);
    widget.setPalette(colours);
}

}  // namespace glyphsmith_views
