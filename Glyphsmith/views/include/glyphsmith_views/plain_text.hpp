#pragma once

// Text from outside the app (app and driver names, paths, error messages,
// release notes) is shown as plain text: QLabel and QMessageBox would otherwise
// guess rich text and render a driver named "<b>" in bold.

#include <QString>
#include <QStringList>

class QLabel;
class QMessageBox;
class QWidget;

namespace glyphsmith_views {

// A label that never reads its text as markup.
QLabel* plainLabel(const QString& text, QWidget* parent = nullptr);
// A window-modal message box over `parent` whose texts are plain text; it deletes
// itself once closed. Open it with open().
QMessageBox* plainMessageBox(QWidget* parent, const QString& title, const QString& text);
// The label of a message box's informative text; null if the toolkit names it
// otherwise.
QLabel* alertMessageLabel(QMessageBox& box);
// Keeps a message box's informative text at least `width` wide, so a version
// line or a command does not wrap after a word or two.
void widenAlertMessage(QMessageBox& box, int width);
// "A, B et C" in the default locale's conjunction list; one name alone stands alone.
QString joinedNames(const QStringList& names);
// "Ces pilotes ont des modifications qui ne sont pas écrites dans le projet : A, B et C."
QString unwrittenChangesMessage(const QStringList& names);

}  // namespace glyphsmith_views
