#pragma once

// The command-line tool's install help: the one shell command that links the
// glyphctl shipped with this app into /usr/local/bin, shown in an alert that can
// copy it. The app runs nothing itself: the user pastes the command into a
// terminal, where sudo asks for the password.

#include <QString>

class QMessageBox;
class QWidget;

namespace glyphsmith_views {

// The text as one word of a POSIX shell, whatever it holds: between single
// quotes, each ' written '\'' (nothing is special inside single quotes, so
// "$(…)", "`", "\" and "\"" stay text).
QString shellQuoted(const QString& text);

// The glyphctl to link: the one beside the program once installed (`appFolder`
// is the folder of the running executable), else, for the program run from its
// build folder (`builtAppFolder`), the one built with it (`builtTool`); failing
// both, the place beside the program, where an installed tool would be.
QString bundledCommandLineTool(const QString& appFolder, const QString& builtAppFolder, const QString& builtTool);
// The same for this program as it runs.
QString bundledCommandLineTool();

// "sudo mkdir -p /usr/local/bin && sudo ln -sf '<tool>' /usr/local/bin/glyphctl".
QString cliInstallCommand(const QString& toolPath);
// The same for this program's tool, found anew at each call.
QString cliInstallCommand();

// The alert "Outil en ligne de commande", application-modal over `parent`, with
// "Copier la commande" (the default button: the command, exactly, on the
// clipboard) and "Fermer" (nothing). It deletes itself once answered. The
// command is read again for the copy.
QMessageBox* showCLIInstallAlert(QWidget* parent);

}  // namespace glyphsmith_views
