#include "glyphsmith_views/dialog_file_panels.hpp"

#include <QFileDialog>

namespace glyphsmith_views {

namespace {

QStringList nameFilters(const QStringList& suffixes) {
    if (suffixes.isEmpty()) return {};
    QStringList patterns;
    for (const QString& suffix : suffixes) patterns << QStringLiteral("*.") + suffix;
    return {patterns.join(u' ')};
}

std::optional<QString> chosen(QFileDialog& dialog) {
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first();
}

}  // namespace

std::optional<QString> DialogFilePanels::open(const glyphsmith_state::OpenPanelRequest& request) {
    QFileDialog dialog(parent_, request.message);
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
    QFileDialog dialog(parent_, request.message);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(nameFilters(request.allowedSuffixes));
    if (!request.allowedSuffixes.isEmpty()) dialog.setDefaultSuffix(request.allowedSuffixes.first());
    if (!request.proposedName.isEmpty()) dialog.selectFile(request.proposedName);
    if (!request.prompt.isEmpty()) dialog.setLabelText(QFileDialog::Accept, request.prompt);
    return chosen(dialog);
}

}  // namespace glyphsmith_views
