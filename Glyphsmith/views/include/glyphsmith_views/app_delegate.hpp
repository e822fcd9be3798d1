#pragma once

// The application delegate: files opened with the app (program arguments, the
// desktop entry's %F, a second launch) are filtered to images and handed to
// `handler`, or wait in `pending` until a main window installs it; quitting asks
// first when `unsavedChanges` names drivers; `willTerminate` runs when the
// application is about to quit or the session ends. It knows nothing of the
// store: the app installs the three functions when the main window is shown.

#include <QList>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <functional>

class QWidget;

namespace glyphsmith_views {

class GlyphsmithApp;

class AppDelegate : public QObject {
    Q_OBJECT
public:
    explicit AppDelegate(QObject* parent = nullptr);

    // Images received while no handler is installed, in order of arrival.
    QList<QUrl> pending;
    std::function<QStringList()> unsavedChanges;
    std::function<void()> willTerminate;
    std::function<void(const QList<QUrl>&)> handler;
    // Brings a main window on screen and to the front.
    std::function<void()> showMainWindow;
    // The quit confirmation for these driver names: true to quit. By default the
    // modal alert "Quitter sans écrire les modifications ?" over the main window.
    std::function<bool(const QStringList& names)> confirmQuit;

    // Keeps the images among the files; nothing more when there are none.
    // Otherwise hands them to the handler, or queues them, and brings a main
    // window forward.
    void receive(const QList<QUrl>& urls);
    // Whether the app may quit now: at once without unwritten changes, else as
    // the confirmation answers.
    bool shouldTerminate();
    // Runs willTerminate when installed.
    void applicationWillTerminate();

    // The modal quit alert over `parent`: "Annuler" (the default) or "Quitter
    // sans écrire"; true for the latter.
    static bool askToQuit(QWidget* parent, const QStringList& names);
};

// The hook-up when the main window comes on screen: the handler (images become
// photos of the current editor and the canvas shows the photo), the queued
// images delivered, the unwritten driver names, the termination save.
void connectDelegate(AppDelegate& delegate, GlyphsmithApp& app);

}  // namespace glyphsmith_views
