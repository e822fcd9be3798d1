#pragma once

// The app's text styles: the size of each role of text, as a share of the
// app's font, and the colour of a text. Every view takes them from here instead
// of writing sizes and colours of its own.

#include <QColor>
#include <QFont>

class QWidget;

namespace glyphsmith_views {

enum class TextRole {
    // Notes, secondary lines, tile and file names.
    caption,
    // The compliance rows.
    callout,
    // The write sheet's title.
    title,
    // An empty state's title and the app's name in the About window.
    largeTitle,
};

// `base` at the role's size; a font sized in pixels keeps its size.
QFont roleFont(const QFont& base, TextRole role);
// The widget's text in `colour`, whichever palette role draws it (a label's,
// a field's or a button's).
void setTextColour(QWidget& widget, const QColor& colour);

}  // namespace glyphsmith_views
