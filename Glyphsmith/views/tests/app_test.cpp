#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

#include "app_fixture.hpp"
#include "glyphsmith_views/action_registry.hpp"
#include "glyphsmith_views/app_delegate.hpp"
#include "glyphsmith_views/app_info.hpp"
#include "glyphsmith_views/application.hpp"
#include "glyphsmith_views/main_window.hpp"
#include "glyphsmith_views/single_instance.hpp"

namespace glyphsmith_views {
namespace {

using glyphsmith_state::PreviewMode;

using namespace std::chrono_literals;

TEST(FreeIconSave, ThreeQuickChangesGiveOneSaveOneDelayAfterTheLast) {
    glyphsmith_views_testing::AppFixture fixture(200ms);
    auto& free = fixture.store().freeEditor();
    fixture.app->session().startFreeIconAutosave();
    for (double depth : {20.0, 21.0, 22.0}) {
        free.setDepth(depth);
        fixture.clock->advance(60ms);
    }
    EXPECT_TRUE(fixture.freeIcon->saves.empty());
    fixture.clock->advance(260ms);
    ASSERT_EQ(fixture.freeIcon->saves.size(), 1u);
    EXPECT_EQ(fixture.freeIcon->saves.back(), free.model());
}

TEST(FreeIconSave, IsWrittenOnceAfterTheWindowShowsAndNeverForADriversEdits) {
    glyphsmith_views_testing::AppFixture fixture(100ms);
    fixture.app->session().startFreeIconAutosave();
    fixture.clock->advance(200ms);
    EXPECT_EQ(fixture.freeIcon->saves.size(), 1u);
    fixture.addProject("/p/maison", "Maison", {"prise"});
    fixture.store().openHomeyApp(QStringLiteral("/p/maison"));
    fixture.store().setSelectedDriverID("prise");
    fixture.store().currentEditor().setDepth(40);
    fixture.clock->advance(200ms);
    EXPECT_EQ(fixture.freeIcon->saves.size(), 1u);
}

TEST(FreeIconSave, AChangeThenQuitIsSavedByTheTerminationSave) {
    glyphsmith_views_testing::AppFixture fixture;
    AppDelegate delegate;
    connectDelegate(delegate, *fixture.app);
    fixture.app->session().startFreeIconAutosave();
    fixture.store().freeEditor().setDepth(30);
    delegate.applicationWillTerminate();
    ASSERT_EQ(fixture.freeIcon->saves.size(), 1u);
    EXPECT_EQ(fixture.freeIcon->saves.back().primaryBody().depth, 30);
}

TEST(OpenedFiles, ImagesGivenBeforeTheWindowReachTheEditorOnceItShowsInOverlayMode) {
    glyphsmith_views_testing::AppFixture fixture;
    QTemporaryDir folder;
    QFile(folder.filePath(QStringLiteral("face.jpg"))).open(QIODevice::WriteOnly);
    const QUrl photo = QUrl::fromLocalFile(folder.filePath(QStringLiteral("face.jpg")));
    AppDelegate delegate;
    delegate.receive({QUrl::fromLocalFile(folder.filePath(QStringLiteral("notes.txt"))), photo});
    EXPECT_EQ(delegate.pending, QList<QUrl>{photo});
    EXPECT_EQ(fixture.app->session().previewMode(), PreviewMode::icon);

    connectDelegate(delegate, *fixture.app);
    EXPECT_TRUE(delegate.pending.isEmpty());
    EXPECT_EQ(fixture.app->session().previewMode(), PreviewMode::overlay);
    // The load is under way on the current editor.
    EXPECT_GT(fixture.runner->pendingCount(), 0u);
}

TEST(OpenedFiles, OnlyFilesThatAreNotImagesDoNothing) {
    AppDelegate delegate;
    int shown = 0;
    delegate.showMainWindow = [&] { ++shown; };
    QTemporaryDir folder;
    delegate.receive({QUrl::fromLocalFile(folder.path()), QUrl::fromLocalFile(folder.filePath("a.txt"))});
    EXPECT_TRUE(delegate.pending.isEmpty());
    EXPECT_EQ(shown, 0);
}

TEST(QuitConfirmation, AsksOnlyWithUnwrittenDriversAndCancelKeepsTheAppRunning) {
    glyphsmith_views_testing::AppFixture fixture;
    AppDelegate delegate;
    connectDelegate(delegate, *fixture.app);
    QStringList asked;
    bool answer = false;
    delegate.confirmQuit = [&](const QStringList& names) {
        asked = names;
        return answer;
    };
    EXPECT_TRUE(delegate.shouldTerminate());
    EXPECT_TRUE(asked.isEmpty());
    fixture.addProject("/p/maison", "Maison", {"prise"});
    fixture.store().openHomeyApp(QStringLiteral("/p/maison"));
    fixture.store().setSelectedDriverID("prise");
    fixture.store().currentEditor().setDepth(40);
    EXPECT_FALSE(delegate.shouldTerminate());
    EXPECT_EQ(asked, QStringList{QStringLiteral("prise")});
    answer = true;
    EXPECT_TRUE(delegate.shouldTerminate());
}

TEST(QuitConfirmation, ClosingTheMainWindowAsksAndAnnulerKeepsItOpen) {
    glyphsmith_views_testing::AppFixture fixture;
    ActionRegistry actions(*fixture.app);
    MainWindow window(*fixture.app, actions);
    AppDelegate delegate;
    connectDelegate(delegate, *fixture.app);
    delegate.confirmQuit = [](const QStringList&) { return false; };
    window.setCloseGuard([&] { return delegate.shouldTerminate(); });
    window.show();
    fixture.addProject("/p/maison", "Maison", {"prise"});
    fixture.store().openHomeyApp(QStringLiteral("/p/maison"));
    fixture.store().currentEditor().setDepth(40);
    EXPECT_FALSE(window.close());
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(actions.action(Command::quit)->shortcut(), QKeySequence(QStringLiteral("Ctrl+Q")));
}

TEST(LaunchCheck, DoesNotAskTheSiteWhenSwitchedOffOrWithinADay) {
    glyphsmith_views_testing::AppFixture off;
    off.app->updates().setChecksAtLaunch(false);
    off.app->updates().checkForUpdatesAtLaunch();
    EXPECT_EQ(off.fetcher->requestCount(), 0u);

    glyphsmith_views_testing::AppFixture recent;
    recent.preferences->last = recent.clock->now().addSecs(-86399);
    recent.app->updates().checkForUpdatesAtLaunch();
    EXPECT_EQ(recent.fetcher->requestCount(), 0u);

    glyphsmith_views_testing::AppFixture due;
    due.preferences->last = due.clock->now().addSecs(-86400);
    due.app->updates().checkForUpdatesAtLaunch();
    EXPECT_EQ(due.fetcher->requestCount(), 1u);
}

TEST(ProgramArguments, BecomeAbsoluteFileUrlsAfterTheOptions) {
    const QList<QUrl> files =
        fileArguments({QStringLiteral("glyphsmith"), QStringLiteral("--verbose"), QStringLiteral("photos/face.jpg"),
                       QStringLiteral("file:///tmp/b%20c.png"), QStringLiteral("--"), QStringLiteral("-tiret.png")},
                      QStringLiteral("/home/ana"));
    EXPECT_EQ(files, (QList<QUrl>{QUrl::fromLocalFile(QStringLiteral("/home/ana/photos/face.jpg")),
                                  QUrl::fromLocalFile(QStringLiteral("/tmp/b c.png")),
                                  QUrl::fromLocalFile(QStringLiteral("/home/ana/-tiret.png"))}));
}

TEST(SingleInstance, ASecondLaunchHandsItsPhotoToTheRunningAppAndAStaleSocketIsReplaced) {
    QTemporaryDir folder;
    const QString socket = folder.filePath(QStringLiteral("glyphsmith.socket"));
    // What a crashed app leaves: a socket file nobody listens on.
    {
        QLocalServer crashed;
        crashed.setSocketOptions(QLocalServer::UserAccessOption);
        ASSERT_TRUE(crashed.listen(socket));
        crashed.close();
    }
    QFile stale(socket);
    if (!stale.exists()) ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    SingleInstance first(socket);
    EXPECT_FALSE(first.handOver({}, 300));
    ASSERT_TRUE(first.listen());
    QStringList received;
    QObject::connect(&first, &SingleInstance::filesReceived, [&](const QStringList& paths) { received = paths; });

    bool handed = false;
    std::thread second([&] {
        SingleInstance later(socket);
        handed = later.handOver({QStringLiteral("/photos/face.jpg")});
    });
    QTRY_VERIFY_WITH_TIMEOUT(!received.isEmpty(), 5000);
    second.join();
    EXPECT_TRUE(handed);
    EXPECT_EQ(received, QStringList{QStringLiteral("/photos/face.jpg")});
}

TEST(AppInformation, FollowsTheBundleRules) {
    BundleInfo bundle;
    EXPECT_EQ(AppInfo::name(bundle), QStringLiteral("App"));
    bundle.name = QStringLiteral("Glyphsmith");
    EXPECT_EQ(AppInfo::name(bundle), QStringLiteral("Glyphsmith"));
    EXPECT_EQ(AppInfo::version(bundle), QStringLiteral("\u2014"));
    EXPECT_EQ(AppInfo::build(bundle), QStringLiteral("\u2014"));
    EXPECT_EQ(AppInfo::interfaceLanguage(bundle), QStringLiteral("fr"));
    bundle.preferredLocalizations = {QStringLiteral("en-GB")};
    EXPECT_EQ(AppInfo::interfaceLanguage(bundle), QStringLiteral("en"));
    bundle.preferredLocalizations = {QStringLiteral("de-DE"), QStringLiteral("en-US")};
    EXPECT_EQ(AppInfo::interfaceLanguage(bundle), QStringLiteral("fr"));
    bundle.identifier = QStringLiteral("org.example.Glyphsmith");
    EXPECT_EQ(AppInfo::productSlug(bundle), QStringLiteral("glyphsmith"));
    bundle.identifier = QStringLiteral("Atelier.com");
    EXPECT_EQ(AppInfo::productSlug(bundle), QStringLiteral("atelier"));
    bundle.identifier = QStringLiteral("...");
    EXPECT_EQ(AppLinks::productPage(QStringLiteral("https://x.example"), bundle), QStringLiteral("https://x.example/"));
    bundle.identifier = QStringLiteral("org.example.Glyphsmith");
    bundle.preferredLocalizations = {QStringLiteral("en")};
    EXPECT_EQ(AppLinks::productPage(QStringLiteral("https://x.example"), bundle),
              QStringLiteral("https://x.example/en/glyphsmith"));
    EXPECT_FALSE(AppLinks::siteFrom(QString()).has_value());
}

}  // namespace
}  // namespace glyphsmith_views
