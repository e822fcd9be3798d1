#include "glyphsmith_state/project_store.hpp"

#include <gtest/gtest.h>

#include <QLocale>
#include <QPointer>
#include <QSignalSpy>

#include "glyphsmith_state/free_icon.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "store_testing.hpp"

using glyphsmith_state_testing::EditorFields;
using namespace glyphsmith_state;
using namespace store_testing;
using homey_project::HomeyProjectError;
using icon_geometry::Camera;
using icon_geometry::IconModel;

namespace {

TEST(ProjectStore, StartsWithoutProjectOnTheStartingModel) {
    DoubledStore doubled;
    ProjectStore& store = *doubled.store;
    EXPECT_FALSE(store.app());
    EXPECT_TRUE(store.states().empty());
    EXPECT_TRUE(store.editors().empty());
    EXPECT_FALSE(store.selectedDriverID());
    EXPECT_EQ(store.brandCamera(), Camera::defaultCamera());
    EXPECT_FALSE(store.error());
    EXPECT_FALSE(store.pendingWrite());
    EXPECT_TRUE(store.lastWritten().empty());
    EXPECT_FALSE(store.pendingDiscard());
    EXPECT_EQ(&store.currentEditor(), &store.freeEditor());
    EXPECT_EQ(store.currentTitle(), QStringLiteral("Icône sans projet"));

    const IconModel& model = store.freeEditor().model();
    ASSERT_TRUE(model.hasExtrudedPrimaryBody());
    const auto body = model.primaryBody();
    EXPECT_EQ(body.face, icon_geometry::FaceShape::roundedRectangle(86, 86, 6));
    EXPECT_EQ(body.depth, 18.92);
    EXPECT_FALSE(body.bevel);
    EXPECT_TRUE(body.details.empty());
    EXPECT_FALSE(model.camera);
    EXPECT_EQ(model.orientation, icon_geometry::Orientation::wall);
}

TEST(ProjectStore, FreeEditorStartsFromTheStoredFreeIcon) {
    glyphsmith_state_testing::MemoryFreeIcon stored;
    stored.stored = otherModel();
    DoubledStore withStored(&stored);
    EXPECT_EQ(withStored.store->freeEditor().model(), otherModel());
    EXPECT_FALSE(withStored.store->freeEditor().hasUnwrittenChanges());

    glyphsmith_state_testing::MemoryFreeIcon none;
    DoubledStore withoutStored(&none);
    EXPECT_EQ(withoutStored.store->freeEditor().model(), freeIconStartingModel());
}

TEST(ProjectStore, OpeningSelectsTheFirstDriverAndMakesItsEditor) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha", "beta"});
    ProjectStore& store = *doubled.store;
    store.openHomeyApp(QStringLiteral("/p/app"));
    ASSERT_TRUE(store.app());
    EXPECT_EQ(store.selectedDriverID(), std::optional<std::string>("alpha"));
    ASSERT_EQ(store.editors().size(), 1u);
    EXPECT_EQ(&store.currentEditor(), store.editors().at("alpha").get());
    EXPECT_EQ(store.currentTitle(), QStringLiteral("Pilote alpha"));

    // Reading the current editor changes nothing: the selection made it.
    QSignalSpy editorsChanged(&store, &ProjectStore::editorsChanged);
    store.setSelectedDriverID(std::string("beta"));
    EXPECT_EQ(editorsChanged.count(), 1);
    DriverEditor& beta = store.currentEditor();
    (void)store.currentEditor();
    EXPECT_EQ(editorsChanged.count(), 1);
    EXPECT_EQ(&store.makeDriverEditor(*store.selectedDriver()), &beta);

    // No driver selected: the free editor and the project-less title.
    store.setSelectedDriverID(std::nullopt);
    EXPECT_EQ(&store.currentEditor(), &store.freeEditor());
    EXPECT_EQ(store.currentTitle(), QStringLiteral("Icône sans projet"));
    store.setSelectedDriverID(std::string("gone"));
    EXPECT_FALSE(store.selectedDriver());
    EXPECT_EQ(&store.currentEditor(), &store.freeEditor());
}

TEST(ProjectStore, ReopeningBuildsNewEditors) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha"});
    ProjectStore& store = *doubled.store;
    store.openHomeyApp(QStringLiteral("/p/app"));
    const std::weak_ptr<DriverEditor> first = store.editors().at("alpha");
    store.closeProject();
    EXPECT_TRUE(first.expired());
    store.openHomeyApp(QStringLiteral("/p/app"));
    ASSERT_EQ(store.editors().count("alpha"), 1u);
    EXPECT_EQ(store.editors().at("alpha")->model(), freeIconStartingModel());
}

TEST(ProjectStore, ProjectWithoutDriversSelectsNothing) {
    DoubledStore doubled;
    doubled.addApp("/p/empty", {});
    doubled.store->openHomeyApp(QStringLiteral("/p/empty"));
    EXPECT_TRUE(doubled.store->app());
    EXPECT_FALSE(doubled.store->selectedDriverID());
    EXPECT_TRUE(doubled.store->states().empty());
    EXPECT_EQ(&doubled.store->currentEditor(), &doubled.store->freeEditor());
}

TEST(ProjectStore, FolderThatIsNoHomeyAppKeepsTheOpenProject) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha", "beta"});
    ProjectStore& store = *doubled.store;
    store.openHomeyApp(QStringLiteral("/p/app"));
    store.setSelectedDriverID(std::string("beta"));
    const auto app = store.app();
    const auto editors = store.editors();
    const QStringList recent = store.recentProjects();

    store.openHomeyApp(QStringLiteral("/p/not-an-app"));
    EXPECT_EQ(store.error(), AppError::notAHomeyApp());
    EXPECT_EQ(store.app(), app);
    EXPECT_EQ(store.editors(), editors);
    EXPECT_EQ(store.selectedDriverID(), std::optional<std::string>("beta"));
    EXPECT_EQ(store.recentProjects(), recent);
}

TEST(ProjectStore, RecentProjectsHoldEachFolderOnceMostRecentFirst) {
    DoubledStore doubled(nullptr, {QStringLiteral("/p/other"), QStringLiteral("/p/app")});
    doubled.addApp("/p/app", {"alpha"});
    doubled.reader->apps["/p/./app/"] = doubled.reader->apps["/p/app"];
    ProjectStore& store = *doubled.store;
    EXPECT_EQ(store.recentProjects(), (QStringList{QStringLiteral("/p/other"), QStringLiteral("/p/app")}));

    store.openHomeyApp(QStringLiteral("/p/app"));
    store.openHomeyApp(QStringLiteral("/p/./app/"));
    EXPECT_EQ(store.recentProjects(), (QStringList{QStringLiteral("/p/app"), QStringLiteral("/p/other")}));
    EXPECT_EQ(doubled.recents.stored(), store.recentProjects());
}

TEST(ProjectStore, RecentListKeepsTwelveWhileTenAreSaved) {
    QStringList eleven;
    for (int i = 0; i < 11; ++i) eleven.append(QStringLiteral("/p/old-%1").arg(i));
    DoubledStore doubled(nullptr, eleven);
    doubled.addApp("/p/app", {});
    doubled.store->openHomeyApp(QStringLiteral("/p/app"));
    EXPECT_EQ(doubled.store->recentProjects().size(), 12);
    EXPECT_EQ(doubled.store->recentProjects().front(), QStringLiteral("/p/app"));
    EXPECT_EQ(doubled.recents.stored().size(), 10);
}

TEST(ProjectStore, StoredModelIsTheEditorsStart) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha"});
    doubled.writer->storedModels["alpha"] = otherModel();
    doubled.store->openHomeyApp(QStringLiteral("/p/app"));
    EXPECT_EQ(doubled.store->currentEditor().model(), otherModel());
    EXPECT_FALSE(doubled.store->currentEditor().hasUnwrittenChanges());
    turnEventLoop();
    EXPECT_FALSE(doubled.store->error());
}

TEST(ProjectStore, StoredModelErrorArrivesOneTurnLater) {
    struct Case {
        const char* name;
        HomeyProjectError thrown;
        AppError shown;
    };
    const Case cases[] = {
        {"unreadable", HomeyProjectError::unreadableSource("sources/icones/alpha/modele.json"),
         AppError::unreadableSourceFile(QStringLiteral("sources/icones/alpha/modele.json"))},
        {"newer", HomeyProjectError::newerModel("sources/icones/alpha/modele.json"),
         AppError::newerModel(QStringLiteral("sources/icones/alpha/modele.json"))},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DoubledStore doubled;
        doubled.addApp("/p/app", {"alpha"});
        doubled.writer->storedModels["alpha"] = c.thrown;
        ProjectStore& store = *doubled.store;
        store.openHomeyApp(QStringLiteral("/p/app"));
        EXPECT_EQ(store.currentEditor().model(), freeIconStartingModel());
        EXPECT_FALSE(store.error());
        turnEventLoop();
        EXPECT_EQ(store.error(), c.shown);
    }
}

TEST(ProjectStore, StoredModelErrorIsNotToldOnceTheStoreIsGone) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha"});
    doubled.writer->storedModels["alpha"] = HomeyProjectError::unreadableSource("x");
    doubled.store->openHomeyApp(QStringLiteral("/p/app"));
    doubled.store.reset();
    turnEventLoop();  // nothing to crash on
}

TEST(ProjectStore, UnreadableBrandCameraOpensWithTheDefaultCamera) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha"});
    doubled.writer->storedCamera = HomeyProjectError::unreadableSource("sources/icones/marque.json");
    doubled.store->setBrandCamera({33, 2, 3});
    doubled.store->openHomeyApp(QStringLiteral("/p/app"));
    EXPECT_TRUE(doubled.store->app());
    EXPECT_EQ(doubled.store->brandCamera(), Camera::defaultCamera());
    EXPECT_EQ(doubled.store->error(), AppError::unreadableSourceFile(QStringLiteral("sources/icones/marque.json")));

    DoubledStore stored;
    stored.addApp("/p/app", {});
    stored.writer->storedCamera = Camera{35, 1, 3};
    stored.store->openHomeyApp(QStringLiteral("/p/app"));
    EXPECT_EQ(stored.store->brandCamera(), (Camera{35, 1, 3}));
}

TEST(ProjectStore, ClosingKeepsTheWrittenListTheErrorAndTheRecents) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha"});
    ProjectStore& store = *doubled.store;
    store.openHomeyApp(QStringLiteral("/p/app"));
    store.prepareWrite();
    store.writeSelectedDriver();
    ASSERT_FALSE(store.lastWritten().empty());
    store.setBrandCamera({30, 1, 3});
    store.setError(AppError::noPhoto());
    const auto written = store.lastWritten();

    store.closeProject();
    EXPECT_FALSE(store.app());
    EXPECT_TRUE(store.states().empty());
    EXPECT_TRUE(store.editors().empty());
    EXPECT_FALSE(store.selectedDriverID());
    EXPECT_EQ(store.brandCamera(), Camera::defaultCamera());
    EXPECT_EQ(store.lastWritten(), written);
    EXPECT_EQ(store.error(), AppError::noPhoto());
    EXPECT_EQ(store.recentProjects(), QStringList{QStringLiteral("/p/app")});
}

TEST(ProjectStore, UnwrittenDriversAreNamedInProjectOrder) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha", "beta", "gamma"});
    ProjectStore& store = *doubled.store;
    EXPECT_TRUE(store.unwrittenDriverNames().isEmpty());
    store.openHomeyApp(QStringLiteral("/p/app"));
    store.setSelectedDriverID(std::string("gamma"));
    store.setSelectedDriverID(std::string("beta"));
    store.editors().at("gamma")->setDepth(40);
    EditorFields(*store.editors().at("alpha")).setFacePhotoData(QByteArray("jpeg"));
    // The free editor never counts.
    store.freeEditor().setDepth(41);
    const QStringList names = store.unwrittenDriverNames();
    ASSERT_EQ(names.size(), 2);
    EXPECT_TRUE(names[0].endsWith(QStringLiteral("alpha")));
    EXPECT_TRUE(names[1].endsWith(QStringLiteral("gamma")));
}

// What each request does, with and without unwritten changes, and what confirming does.
TEST(ProjectStore, DiscardFlow) {
    struct Case {
        const char* name;
        bool unwritten;
        bool close;
        std::optional<DiscardAction> pending;
    };
    const Case cases[] = {
        {"open, nothing unwritten", false, false, std::nullopt},
        {"close, nothing unwritten", false, true, std::nullopt},
        {"open, unwritten", true, false, DiscardAction::open(QStringLiteral("/p/second"))},
        {"close, unwritten", true, true, DiscardAction::close()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DoubledStore doubled;
        doubled.addApp("/p/first", {"alpha"});
        doubled.addApp("/p/second", {"beta"});
        ProjectStore& store = *doubled.store;
        store.openHomeyApp(QStringLiteral("/p/first"));
        if (c.unwritten) store.currentEditor().setDepth(44);
        if (c.close) {
            store.requestCloseProject();
        } else {
            store.requestOpenHomeyApp(QStringLiteral("/p/second"));
        }
        EXPECT_EQ(store.pendingDiscard(), c.pending);
        const bool carriedOut = !c.pending;
        const bool stillFirst = store.app() && store.app()->root == "/p/first";
        EXPECT_EQ(stillFirst, !carriedOut);
        if (!c.pending) continue;

        // Confirming clears the decision, then carries it out.
        QSignalSpy pendingChanged(&store, &ProjectStore::pendingDiscardChanged);
        store.confirmDiscard();
        EXPECT_FALSE(store.pendingDiscard());
        EXPECT_EQ(pendingChanged.count(), 1);
        if (c.close) {
            EXPECT_FALSE(store.app());
        } else {
            ASSERT_TRUE(store.app());
            EXPECT_EQ(store.app()->root, "/p/second");
        }
    }
}

TEST(ProjectStore, CancellingOrConfirmingNothingChangesNothing) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha"});
    ProjectStore& store = *doubled.store;
    store.openHomeyApp(QStringLiteral("/p/app"));
    store.confirmDiscard();
    EXPECT_TRUE(store.app());

    store.currentEditor().setDepth(44);
    store.requestCloseProject();
    ASSERT_TRUE(store.pendingDiscard());
    store.setPendingDiscard(std::nullopt);
    store.confirmDiscard();
    EXPECT_TRUE(store.app());
}

TEST(ProjectStore, ObservedFieldsSignalOnlyChanges) {
    DoubledStore doubled;
    ProjectStore& store = *doubled.store;
    QSignalSpy camera(&store, &ProjectStore::brandCameraChanged);
    QSignalSpy error(&store, &ProjectStore::errorChanged);
    QSignalSpy discard(&store, &ProjectStore::pendingDiscardChanged);
    QSignalSpy selection(&store, &ProjectStore::selectedDriverIDChanged);
    store.setBrandCamera(Camera::defaultCamera());
    store.setBrandCamera({30, 0, 2.5});
    store.setBrandCamera({30, 0, 2.5});
    store.setError(AppError::writeFailed(QStringLiteral("a")));
    store.setError(AppError::writeFailed(QStringLiteral("a")));
    store.setError(AppError::writeFailed(QStringLiteral("b")));
    store.setPendingDiscard(DiscardAction::close());
    store.setPendingDiscard(DiscardAction::close());
    store.setSelectedDriverID(std::nullopt);
    EXPECT_EQ(camera.count(), 1);
    EXPECT_EQ(error.count(), 2);
    EXPECT_EQ(discard.count(), 1);
    EXPECT_EQ(selection.count(), 0);
}

// What a view bound to currentEditor sees: each signal it may hear reads the
// current editor, and the editor it was bound to must still be alive.
struct CurrentEditorWatch {
    ProjectStore& store;
    std::vector<std::uint64_t> seenOnChange;
    std::vector<std::uint64_t> seenOnOtherSignals;
    QPointer<DriverEditor> bound;
    bool boundAliveOnChange = true;

    explicit CurrentEditorWatch(ProjectStore& s) : store(s), bound(&s.currentEditor()) {
        QObject::connect(&store, &ProjectStore::currentEditorChanged, [this] {
            boundAliveOnChange = boundAliveOnChange && !bound.isNull();
            seenOnChange.push_back(store.currentEditor().serial());
            bound = &store.currentEditor();
        });
        for (auto signal : {&ProjectStore::appChanged, &ProjectStore::selectedDriverIDChanged,
                            &ProjectStore::editorsChanged, &ProjectStore::statesChanged})
            QObject::connect(&store, signal, [this] { seenOnOtherSignals.push_back(store.currentEditor().serial()); });
    }
};

TEST(CurrentEditor, ChangesOnceTheSelectedEditorIsMade) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha", "beta"});
    ProjectStore& store = *doubled.store;
    store.openHomeyApp(QStringLiteral("/p/app"));
    CurrentEditorWatch watch(store);
    store.setSelectedDriverID(std::string("beta"));
    const std::uint64_t beta = store.editors().at("beta")->serial();
    EXPECT_EQ(watch.seenOnChange, std::vector<std::uint64_t>{beta});
    for (std::uint64_t seen : watch.seenOnOtherSignals) EXPECT_EQ(seen, beta);

    // The same selection again, or none, tells once per change.
    store.setSelectedDriverID(std::string("beta"));
    EXPECT_EQ(watch.seenOnChange.size(), 1u);
    store.setSelectedDriverID(std::nullopt);
    EXPECT_EQ(watch.seenOnChange, (std::vector<std::uint64_t>{beta, store.freeEditor().serial()}));
}

TEST(CurrentEditor, ASecondProjectWithTheSameFirstDriverIsAnotherEditor) {
    DoubledStore doubled;
    doubled.addApp("/p/one", {"alpha"});
    doubled.addApp("/p/two", {"alpha", "beta"});
    ProjectStore& store = *doubled.store;
    store.openHomeyApp(QStringLiteral("/p/one"));
    QPointer<DriverEditor> first = &store.currentEditor();
    CurrentEditorWatch watch(store);

    store.openHomeyApp(QStringLiteral("/p/two"));
    const std::uint64_t second = store.currentEditor().serial();
    EXPECT_EQ(watch.seenOnChange, std::vector<std::uint64_t>{second});
    // Never the last project's editor, which stayed alive until it was told.
    for (std::uint64_t seen : watch.seenOnOtherSignals) EXPECT_EQ(seen, second);
    EXPECT_TRUE(watch.boundAliveOnChange);
    EXPECT_TRUE(first.isNull());

    store.closeProject();
    EXPECT_EQ(watch.seenOnChange, (std::vector<std::uint64_t>{second, store.freeEditor().serial()}));
    EXPECT_TRUE(watch.boundAliveOnChange);

    // From no project to a project without drivers: still the free editor, nothing told.
    doubled.addApp("/p/empty", {});
    store.openHomeyApp(QStringLiteral("/p/empty"));
    EXPECT_EQ(watch.seenOnChange.size(), 2u);
}

TEST(CurrentEditor, EditorsAreToldApartBySerialNotAddress) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha"});
    ProjectStore& store = *doubled.store;
    store.openHomeyApp(QStringLiteral("/p/app"));
    const ReportKey before = store.reportKey(store.currentEditor());
    // The same project again: equal models, perhaps the same address.
    store.openHomeyApp(QStringLiteral("/p/app"));
    const ReportKey after = store.reportKey(store.currentEditor());
    EXPECT_EQ(after.model, before.model);
    EXPECT_NE(after, before);
    EXPECT_NE(store.currentEditor().serial(), store.freeEditor().serial());
}

TEST(DriverStates, ThoseOfAProjectNoLongerOpenOrAnEarlierRefreshAreDropped) {
    DoubledStore doubled;
    doubled.addApp("/p/one", {"alpha", "beta"});
    doubled.addApp("/p/two", {"alpha"});
    ProjectStore& store = *doubled.store;
    store.openHomeyApp(QStringLiteral("/p/one"));
    ASSERT_EQ(doubled.runner.pendingCount(), 2u);
    store.openHomeyApp(QStringLiteral("/p/two"));
    doubled.runner.runTask(0);  // one's alpha
    doubled.runner.runTask(0);  // one's beta
    EXPECT_TRUE(store.states().empty());
    store.refreshDriverStates();
    doubled.runner.runTask(1);  // the later refresh
    doubled.runner.runTask(0);  // the earlier one, late
    EXPECT_EQ(store.states().size(), 1u);
    EXPECT_EQ(store.states().at("alpha"),
              homey_project::DriverAssetsState::load(store.app()->drivers.front(), *store.app()));
    // Closed: nothing left to refresh.
    store.closeProject();
    store.refreshDriverStates();
    EXPECT_EQ(doubled.runner.pendingCount(), 0u);
    EXPECT_TRUE(store.states().empty());
}

TEST(ProjectStore, LanguageCodeOfTheDefaultLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale::c());
    EXPECT_EQ(ProjectStore::currentLanguageCode(), QStringLiteral("fr"));
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(ProjectStore::currentLanguageCode(), QStringLiteral("de"));
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(ProjectStore::currentLanguageCode(), QStringLiteral("en"));
    QLocale::setDefault(saved);
}

TEST(ProjectStore, DriverNamesFollowTheLanguage) {
    const QLocale saved;
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha"});
    doubled.store->openHomeyApp(QStringLiteral("/p/app"));
    doubled.store->currentEditor().setDepth(50);
    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    EXPECT_EQ(doubled.store->currentTitle(), QStringLiteral("Pilote alpha"));
    EXPECT_EQ(doubled.store->unwrittenDriverNames(), QStringList{QStringLiteral("Pilote alpha")});
    QLocale::setDefault(QLocale(QLocale::Dutch, QLocale::Netherlands));
    EXPECT_EQ(doubled.store->currentTitle(), QStringLiteral("Driver alpha"));
    QLocale::setDefault(saved);
}

}  // namespace
