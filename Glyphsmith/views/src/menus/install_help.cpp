#include "glyphsmith_views/install_help.hpp"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/plain_text.hpp"

namespace glyphsmith_views {

namespace {

QString toolName() {
    return QStringLiteral("glyphctl");
}

bool sameFolder(const QString& a, const QString& b) {
    const QString canonicalA = QFileInfo(a).canonicalFilePath();
    return !canonicalA.isEmpty() && canonicalA == QFileInfo(b).canonicalFilePath();
}

}  // namespace

QString shellQuoted(const QString& text) {
    QString quoted = text;
    quoted.replace(u'\'', QStringLiteral("'\\''"));
    return u'\'' + quoted + u'\'';
}

QString bundledCommandLineTool(const QString& appFolder, const QString& builtAppFolder, const QString& builtTool) {
    const QString beside = QDir(appFolder).absoluteFilePath(toolName());
    if (QFileInfo(beside).isFile()) return beside;
    if (!builtTool.isEmpty() && sameFolder(appFolder, builtAppFolder) && QFileInfo(builtTool).isFile())
        return builtTool;
    return beside;
}

QString bundledCommandLineTool() {
    return bundledCommandLineTool(QCoreApplication::applicationDirPath(), QStringLiteral(GLYPHSMITH_BUILT_APP_FOLDER),
                                  QStringLiteral(GLYPHSMITH_BUILT_GLYPHCTL));
}

QString cliInstallCommand(const QString& toolPath) {
    return QStringLiteral("sudo mkdir -p /usr/local/bin && sudo ln -sf ") + shellQuoted(toolPath) +
           QStringLiteral(" /usr/local/bin/glyphctl");
}

QString cliInstallCommand() {
    return cliInstallCommand(bundledCommandLineTool());
}

QMessageBox* showCLIInstallAlert(QWidget* parent) {
    const QString text =
        QObject::tr(
            "L’outil glyphctl, livré dans l’app, crée, contrôle et écrit les icônes depuis le Terminal. Pour "
            "l’appeler par son nom, lancez dans le Terminal la commande ci-dessous ; elle demande votre mot "
            "de passe.") +
        QStringLiteral("\n\n") + cliInstallCommand() + QStringLiteral("\n\n") + QObject::tr("Ensuite : glyphctl aide.");
    QMessageBox* box = plainMessageBox(parent, QObject::tr("Outil en ligne de commande"), text);
    box->setWindowModality(Qt::ApplicationModal);
    box->setIcon(QMessageBox::Information);
    // The command can be selected and copied by hand too.
    if (QLabel* message = alertMessageLabel(*box))
        message->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    // Wide enough that a usual path keeps the command on two lines or fewer.
    widenAlertMessage(*box, WindowMetrics::sheetWidth - 80);
    QPushButton* copy = box->addButton(QObject::tr("Copier la commande"), QMessageBox::AcceptRole);
    QPushButton* close = box->addButton(QObject::tr("Fermer"), QMessageBox::RejectRole);
    box->setDefaultButton(copy);
    box->setEscapeButton(close);
    QObject::connect(box, &QDialog::finished, box, [box, copy] {
        if (box->clickedButton() != copy) return;
        if (QClipboard* clipboard = QGuiApplication::clipboard()) clipboard->setText(cliInstallCommand());
    });
    box->open();
    return box;
}

}  // namespace glyphsmith_views
