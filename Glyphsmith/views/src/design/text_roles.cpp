#include "glyphsmith_views/text_roles.hpp"

#include <QWidget>

namespace glyphsmith_views {

QFont roleFont(const QFont& base, TextRole role) {
    // By role, in order: the platform's caption and callout beside a 13-point body, and the titles.
    constexpr double scales[] = {11.0 / 13.0, 12.0 / 13.0, 1.3, 1.4};
    QFont font = base;
    if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * scales[static_cast<int>(role)]);
    return font;
}

void setTextColour(QWidget& widget, const QColor& colour) {
    QPalette colours = widget.palette();
    for (const QPalette::ColorRole text : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        colours.setColor(text, colour);
    widget.setPalette(colours);
}

}  // namespace glyphsmith_views
