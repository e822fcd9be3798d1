#include "glyphsmith_views/application.hpp"

#include <QApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QLocale>
#include <QTimer>
#include <QTranslator>

#include "glyphsmith_views/action_registry.hpp"
#include "glyphsmith_views/app_delegate.hpp"
#include "glyphsmith_views/app_info.hpp"
#include "glyphsmith_views/app_menus.hpp"
#include "glyphsmith_views/dialog_file_panels.hpp"
#include "glyphsmith_views/glyphsmith_app.hpp"
#include "glyphsmith_views/main_window.hpp"
#include "glyphsmith_views/single_instance.hpp"
#include "glyphsmith_views/symbols.hpp"

namespace glyphsmith_views {

QList<QUrl> fileArguments(const QStringList& arguments, const QString& workingFolder) {
    QList<QUrl> files;
    bool options = true;
    const QDir folder(workingFolder);
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (options && argument == QLatin1String("--")) {
            options = false;
            continue;
        }
        if (options && argument.startsWith(u'-')) continue;
        if (argument.isEmpty()) continue;
        // The desktop entry's %F gives paths; a file manager may give file URLs.
        const QUrl url(argument);
        if (url.isLocalFile())
            files << QUrl::fromLocalFile(QDir::cleanPath(url.toLocalFile()));
        else
            files << QUrl::fromLocalFile(QDir::cleanPath(folder.absoluteFilePath(argument)));
    }
    return files;
}

int runApplication(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Glyphsmith"));
    QApplication::setApplicationDisplayName(AppInfo::name());
    QApplication::setApplicationVersion(AppInfo::version());
    QGuiApplication::setDesktopFileName(applicationId());
    QApplication::setWindowIcon(appIcon());

    // The interface is French: Qt's own buttons and dialogs too.
    QTranslator qtTranslations;
    if (qtTranslations.load(QStringLiteral("qtbase_fr"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslations);

    const QList<QUrl> files = fileArguments(QApplication::arguments(), QDir::currentPath());
    SingleInstance instance;
    {
        QStringList paths;
        for (const QUrl& file : files) paths << file.toLocalFile();
        if (instance.handOver(paths, 1000)) return 0;
    }
    instance.listen();

    GlyphsmithApp app(AppServices::production());
    ActionRegistry actions(app);
    MainWindow window(app, actions);
    if (auto* panels = dynamic_cast<DialogFilePanels*>(app.panels())) panels->setParentWidget(&window);
    installAppMenus(window);

    AppDelegate delegate;
    delegate.showMainWindow = [&window] { bringForward(window); };
    delegate.confirmQuit = [&window](const QStringList& names) { return AppDelegate::askToQuit(&window, names); };
    window.setCloseGuard([&delegate] { return delegate.shouldTerminate(); });
    QObject::connect(&window, &MainWindow::closing, &application, &QCoreApplication::quit, Qt::QueuedConnection);
    QObject::connect(actions.action(Command::quit), &QAction::triggered, &window, &QWidget::close);
    QObject::connect(&window, &MainWindow::firstShown, &app, [&] {
        connectDelegate(delegate, app);
        app.updates().checkForUpdatesAtLaunch();
        app.session().startFreeIconAutosave();
    });
    QObject::connect(&application, &QCoreApplication::aboutToQuit, &delegate, &AppDelegate::applicationWillTerminate);
    QObject::connect(&application, &QGuiApplication::commitDataRequest, &delegate,
                     [&delegate] { delegate.applicationWillTerminate(); });
    QObject::connect(&instance, &SingleInstance::filesReceived, &delegate, [&](const QStringList& paths) {
        QList<QUrl> urls;
        for (const QString& path : paths) urls << QUrl::fromLocalFile(path);
        if (acceptedImageFiles(urls).isEmpty())
            bringForward(window);
        else
            delegate.receive(urls);
    });

    window.resize(1280, 800);
    // Files named at launch wait in the delegate until the window is shown.
    delegate.receive(files);
    window.show();
    return application.exec();
}

}  // namespace glyphsmith_views
