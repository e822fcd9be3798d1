#include "glyphsmith_views/plain_text.hpp"

#include <QCoreApplication>
#include <QLabel>
#include <QLocale>
#include <QMessageBox>

namespace glyphsmith_views {

QLabel* plainLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setText(text);
    return label;
}

QMessageBox* plainMessageBox(QWidget* parent, const QString& title, const QString& text) {
    auto* box = new QMessageBox(parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    box->setTextFormat(Qt::PlainText);
    box->setWindowTitle(title);
    // The title is the alert's message; the text below it its informative text.
    box->setText(title);
    box->setInformativeText(text);
    // The informative text is a label of its own that still guesses the format.
    if (QLabel* informative = alertMessageLabel(*box)) informative->setTextFormat(Qt::PlainText);
    return box;
}

QLabel* alertMessageLabel(QMessageBox& box) {
    return box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel"));
}

void widenAlertMessage(QMessageBox& box, int width) {
    if (QLabel* message = alertMessageLabel(box)) message->setMinimumWidth(width);
}

QString joinedNames(const QStringList& names) {
    return QLocale().createSeparatedList(names);
}

QString unwrittenChangesMessage(const QStringList& names) {
    return QCoreApplication::translate("Views",
                                       "Ces pilotes ont des modifications qui ne sont pas écrites dans le "
                                       "projet : %1.")
        .arg(joinedNames(names));
}

}  // namespace glyphsmith_views
