#pragma once

// The message label of the menus' alerts.

#include <QLabel>
#include <QMessageBox>

namespace glyphsmith_views {

// The alert's message label (its informative text); null if the toolkit names it otherwise.
inline QLabel* alertMessage(QMessageBox& box) {
    return box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
}

// Keeps the message at least `width` wide: a version line or a command does not
// wrap after a word or two.
inline void widenAlertMessage(QMessageBox& box, int width) {
    if (QLabel* message = alertMessage(box)) message->setMinimumWidth(width);
}

}  // namespace glyphsmith_views
