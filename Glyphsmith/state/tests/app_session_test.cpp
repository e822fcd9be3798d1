// The session between the store and the windows, headless, on a settable clock
// and a task queue: the compliance trigger of the current editor, the preview
// mode, the images given to the app and the free icon's saves.
#include "glyphsmith_state/app_session.hpp"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <chrono>

#include "glyphsmith_state/follow_current_editor.hpp"
#include "glyphsmith_state/preview_mode.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "glyphsmith_state_testing/settable_clock.hpp"
#include "session/compliance_trigger.hpp"
#include "store_testing.hpp"

using glyphsmith_state_testing::EditorFields;
using namespace glyphsmith_state;
using namespace std::chrono_literals;
using icon_geometry::Camera;

namespace {

struct Session : ::testing::Test {
    store_testing::DoubledStore doubled;
    ProjectStore& store = *doubled.store;
    glyphsmith_state_testing::SettableClock clock;
    DriverEditor& editor = store.freeEditor();

    // The compliance reports waiting in the task queue.
    std::size_t reportsAsked() const {
        std::size_t reports = 0;
        for (std::size_t i = 0; i < doubled.runner.pendingCount(); ++i)
            if (doubled.runner.priorityAt(i) == TaskPriority::utility) ++reports;
        return reports;
    }
};

TEST_F(Session, AReportWaitsForTheLastOfChangesCloserThanTheDelay) {
    ComplianceTrigger trigger(store, editor, clock);
    EXPECT_TRUE(trigger.isWaiting());
    clock.advance(ComplianceTrigger::defaultDelay);
    doubled.runner.runAll();
    ASSERT_TRUE(editor.report().has_value());
    EXPECT_EQ(trigger.requests(), 1);

    // Three edits within the wait: one report, for the last of them.
    editor.setFaceWidth(60);
    editor.setFaceWidth(61);
    editor.setFaceWidth(62);
    EXPECT_TRUE(trigger.isWaiting());
    EXPECT_EQ(trigger.requests(), 1);
    clock.advance(ComplianceTrigger::defaultDelay);
    EXPECT_EQ(trigger.requests(), 2);
    EXPECT_FALSE(trigger.isWaiting());
    // Two edits a wait apart: two reports.
    editor.setFaceWidth(63);
    clock.advance(ComplianceTrigger::defaultDelay);
    editor.setFaceWidth(64);
    clock.advance(ComplianceTrigger::defaultDelay);
    EXPECT_EQ(trigger.requests(), 4);

    // The brand camera counts, selections and photos do not.
    store.setBrandCamera(Camera{31, 1, 3});
    EXPECT_TRUE(trigger.isWaiting());
    clock.advance(ComplianceTrigger::defaultDelay);
    editor.setSelectedPart(0);
    editor.setCorners({{1, 2}});
    EXPECT_FALSE(trigger.isWaiting());
}

TEST_F(Session, NewDriverImagesInPlaceOfAsManyOldOnesAskForANewReport) {
    ComplianceTrigger trigger(store, editor, clock);
    clock.advance(ComplianceTrigger::defaultDelay);
    EditorFields(editor).setDriverImages({{homey_project::DriverImageSize::small, QByteArray("first")}});
    EXPECT_TRUE(trigger.isWaiting());
    clock.advance(ComplianceTrigger::defaultDelay);
    EditorFields(editor).setDriverImages({{homey_project::DriverImageSize::small, QByteArray("second")}});
    EXPECT_TRUE(trigger.isWaiting());
}

TEST_F(Session, TheCurrentEditorsReportComesADelayAfterItsLastChangeAndAnotherEditorWaitsAfresh) {
    doubled.addApp("/p/app", {"alpha", "beta"});
    AppSession session(store, clock);
    store.openHomeyApp(QStringLiteral("/p/app"));
    doubled.runner.runAll();  // the drivers' states; no report yet
    DriverEditor& alpha = store.currentEditor();
    // Three edits 0.1 s apart: one report, 0.4 s after the third.
    alpha.setDepth(20);
    clock.advance(100ms);
    alpha.setDepth(21);
    clock.advance(100ms);
    alpha.setDepth(22);
    clock.advance(399ms);
    EXPECT_EQ(reportsAsked(), 0u);
    clock.advance(1ms);
    EXPECT_EQ(reportsAsked(), 1u);
    doubled.runner.runAll();
    ASSERT_TRUE(alpha.report());
    EXPECT_EQ(alpha.report()->driverID, "alpha");

    // Another driver is another key: its own report after a wait of its own.
    store.setSelectedDriverID("beta");
    clock.advance(399ms);
    EXPECT_EQ(reportsAsked(), 0u);
    clock.advance(1ms);
    EXPECT_EQ(reportsAsked(), 1u);
    doubled.runner.runAll();
    ASSERT_TRUE(store.currentEditor().report());
    EXPECT_EQ(store.currentEditor().report()->driverID, "beta");
    // The editor no longer current asks nothing more.
    alpha.setDepth(30);
    clock.advance(AppSession::reportDelay);
    EXPECT_EQ(reportsAsked(), 0u);
}

TEST_F(Session, ImagesGivenToTheAppGoToTheCurrentEditorAndShowThePhotoBeforeTheyLoad) {
    AppSession session(store, clock);
    session.openImages({});
    EXPECT_EQ(session.previewMode(), PreviewMode::icon);
    EXPECT_EQ(doubled.runner.pendingCount(), 0u);
    QTemporaryDir folder;
    const QString photo = folder.filePath(QStringLiteral("face.jpg"));
    QFile(photo).open(QIODevice::WriteOnly);
    session.openImages({QUrl::fromLocalFile(photo)});
    EXPECT_EQ(session.previewMode(), PreviewMode::overlay);
    EXPECT_TRUE(editor.isWorking());
    EXPECT_GT(doubled.runner.pendingCount(), 0u);
}

TEST(FreeIconSaves, FollowEveryChangeWhateverBecameCurrentBeforeAndHoweverOftenProjectsComeAndGo) {
    glyphsmith_state_testing::MemoryFreeIcon freeIcon;
    store_testing::DoubledStore doubled(&freeIcon);
    doubled.addApp("/p/first", {"alpha", "beta"});
    doubled.addApp("/p/second", {"gamma"});
    ProjectStore& store = *doubled.store;
    glyphsmith_state_testing::SettableClock clock;
    AppSession session(store, clock, 100ms);
    session.startFreeIconAutosave();
    DriverEditor& free = store.freeEditor();
    // A change to the free icon, then one delay: its model is what was saved last.
    const auto savedAfter = [&](double width) {
        free.setFaceWidth(width);
        clock.advance(100ms);
        return !freeIcon.saves.empty() && freeIcon.saves.back() == free.model();
    };
    EXPECT_TRUE(savedAfter(120));

    // A driver edited, then the project closed: the window shows the free icon again.
    store.openHomeyApp(QStringLiteral("/p/first"));
    store.currentEditor().setFaceWidth(70);
    store.setSelectedDriverID("beta");
    store.closeProject();
    ASSERT_EQ(&store.currentEditor(), &free);
    EXPECT_TRUE(savedAfter(130));

    // Another project opened over the first, and its driver current.
    store.openHomeyApp(QStringLiteral("/p/first"));
    store.openHomeyApp(QStringLiteral("/p/second"));
    const std::size_t saves = freeIcon.saves.size();
    EXPECT_TRUE(savedAfter(140));
    EXPECT_EQ(freeIcon.saves.size(), saves + 1);
    store.closeProject();
    EXPECT_TRUE(savedAfter(150));
}

TEST(CurrentEditorFollowing, DropsOnlyWhatTheFollowerConnectedForTheEditorBefore) {
    store_testing::DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha", "beta"});
    ProjectStore& store = *doubled.store;
    DriverEditor& free = store.freeEditor();
    auto receiver = std::make_unique<QObject>();
    std::vector<const DriverEditor*> followed;
    int followerHeard = 0;
    followCurrentEditor(store, receiver.get(), [&](DriverEditor& editor, QObject& context) {
        followed.push_back(&editor);
        QObject::connect(&editor, &DriverEditor::modelChanged, &context, [&] { ++followerHeard; });
    });
    // The same receiver, connected to the same editor for a reason of its own.
    int ownHeard = 0;
    QObject::connect(&free, &DriverEditor::modelChanged, receiver.get(), [&] { ++ownHeard; });

    store.openHomeyApp(QStringLiteral("/p/app"));
    DriverEditor& alpha = store.currentEditor();
    free.setDepth(25);
    EXPECT_EQ(followerHeard, 0);
    EXPECT_EQ(ownHeard, 1);
    alpha.setDepth(26);
    EXPECT_EQ(followerHeard, 1);
    store.setSelectedDriverID("beta");
    alpha.setDepth(27);
    store.currentEditor().setDepth(28);
    EXPECT_EQ(followerHeard, 2);

    store.closeProject();
    free.setDepth(29);
    EXPECT_EQ(followerHeard, 3);
    EXPECT_EQ(ownHeard, 2);
    EXPECT_EQ(followed.size(), 4u);

    // The following ends with the receiver.
    receiver.reset();
    store.openHomeyApp(QStringLiteral("/p/app"));
    store.currentEditor().setDepth(30);
    EXPECT_EQ(followed.size(), 4u);
    EXPECT_EQ(followerHeard, 3);
}

TEST(PreviewModes, ReadBackExactlyTheirFourNamesInPickerOrder) {
    EXPECT_EQ(title(allPreviewModes[0]), QStringLiteral("Icône"));
    EXPECT_EQ(title(allPreviewModes[3]), QStringLiteral("Photo"));
    for (const PreviewMode mode : allPreviewModes) EXPECT_EQ(previewModeFromRawValue(rawValue(mode)), mode);
    EXPECT_FALSE(previewModeFromRawValue("Icon").has_value());
    EXPECT_FALSE(previewModeFromRawValue("photo").has_value());
}

}  // namespace
