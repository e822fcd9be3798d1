#include "glyphsmith_views/dialog_file_panels.hpp"

#include <QApplication>
#include <QFileDialog>

namespace glyphsmith_views {

namespace {

// One named filter for the suffixes: "SVG (*.svg *.SVG)", "JSON (…)", else
// "Images (*.png *.PNG *.jpg …)".
QStringList nameFilters(const QStringList& suffixes) {
    if (suffixes.isEmpty()) return {};
    QStringList patterns;
    // Linux tells names apart by case: "IMG_0001.JPG" is a photo too.
    for (const QString& suffix : suffixes)
        patterns << QStringLiteral("*.") + suffix << QStringLiteral("*.") + suffix.toUpper();
    QString name = QObject::tr("Images");
    if (suffixes == QStringList{QStringLiteral("svg")}) name = QStringLiteral("SVG");
    if (suffixes == QStringList{QStringLiteral("json")}) name = QStringLiteral("JSON");
    return {name + QStringLiteral(" (") + patterns.join(u' ') + u')'};
}

QStringList chosen(QFileDialog& dialog) {
    return dialog.exec() == QDialog::Accepted ? dialog.selectedFiles() : QStringList();
}

}  // namespace

QWidget* DialogFilePanels::parentNow() const {
    // The window in front when the panel opens: a dialog over the main window
    // keeps its panel above it.
    if (QWidget* modal = QApplication::activeModalWidget()) return modal;
    if (QWidget* active = QApplication::activeWindow()) return active;
    return parent_;
}

QStringList DialogFilePanels::open(const glyphsmith_state::OpenPanelRequest& request) {
    QFileDialog dialog(parentNow(), request.message);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    if (request.canChooseFolders && !request.canChooseFiles) {
        dialog.setFileMode(QFileDialog::Directory);
        dialog.setOption(QFileDialog::ShowDirsOnly);
    } else {
        dialog.setFileMode(request.allowsMultipleSelection ? QFileDialog::ExistingFiles : QFileDialog::ExistingFile);
        dialog.setNameFilters(nameFilters(request.allowedSuffixes));
    }
    dialog.setOption(QFileDialog::ReadOnly, !request.canCreateFolders);
    if (!request.prompt.isEmpty()) dialog.setLabelText(QFileDialog::Accept, request.prompt);
    return chosen(dialog);
}

std::optional<QString> DialogFilePanels::save(const glyphsmith_state::SavePanelRequest& request) {
    QFileDialog dialog(parentNow(), request.message);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(nameFilters(request.allowedSuffixes));
    if (!request.allowedSuffixes.isEmpty()) dialog.setDefaultSuffix(request.allowedSuffixes.first());
    if (!request.proposedName.isEmpty()) dialog.selectFile(request.proposedName);
    if (!request.prompt.isEmpty()) dialog.setLabelText(QFileDialog::Accept, request.prompt);
    const QStringList files = chosen(dialog);
    if (files.isEmpty()) return std::nullopt;
    return files.first();
}

}  // namespace glyphsmith_views
