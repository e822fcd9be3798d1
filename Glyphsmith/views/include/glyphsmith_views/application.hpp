#pragma once

// The glyphsmith program: the Qt application, its French interface, the files
// named on the command line, one app per user, the app object and its main
// window, the quit confirmation and the termination save.

#include <QList>
#include <QStringList>
#include <QUrl>

namespace glyphsmith_views {

// The files named by the program's arguments (after the program's own name), as
// absolute file URLs in order; "--" ends the options, other arguments starting
// with "-" are options and not files.
QList<QUrl> fileArguments(const QStringList& arguments, const QString& workingFolder);

// Runs the app until it quits; the process's exit status.
int runApplication(int argc, char** argv);

}  // namespace glyphsmith_views
