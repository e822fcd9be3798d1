#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>

#include "glyphsmith_state/free_icon.hpp"
#include "glyphsmith_state/project_sources.hpp"
#include "glyphsmith_state/project_store.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "icon_geometry/icon_model_coding.hpp"
#include "icon_geometry/icon_svg.hpp"
#include "icon_geometry/json.hpp"
#include "icon_geometry/model_input.hpp"
#include "store_testing.hpp"

using glyphsmith_state_testing::EditorFields;
using namespace glyphsmith_state;
using namespace store_testing;
using glyphsmith_state_testing::MemoryRecentProjects;
using glyphsmith_state_testing::QueuedTaskRunner;
using glyphsmith_state_testing::ScriptedFilePanels;
using homey_project::DriverImageSize;
using homey_project::HomeyProjectError;
using homey_project::PlannedWrite;
using icon_geometry::IconModel;

namespace {

DriverEditor::DriverImages threeImages(char fill) {
    DriverEditor::DriverImages images;
    for (DriverImageSize size : homey_project::allDriverImageSizes)
        images.emplace(size, QByteArray(8, fill) + QByteArray::number(static_cast<int>(size)));
    return images;
}

IconModel unstorableModel() {
    return otherModel(20000);
}

// ----- The package -----

TEST(DriverPackage, CarriesTheEditorsParts) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha"});
    ProjectStore& store = *doubled.store;
    store.openHomeyApp(QStringLiteral("/p/app"));
    store.setBrandCamera({31, 1, 3});
    DriverEditor& editor = store.currentEditor();
    const auto driver = *store.selectedDriver();

    // Without photo: no source photo, no corners, the brand camera always.
    auto package = store.driverPackage(store.makeDriverEditor(driver));
    EXPECT_EQ(package.iconSVG, icon_geometry::iconSvg(editor.model(), {31, 1, 3}));
    EXPECT_TRUE(package.images.empty());
    EXPECT_EQ(package.model, editor.model());
    EXPECT_TRUE(package.sourcePhotos.empty());
    EXPECT_TRUE(package.faceCorners.empty());
    EXPECT_EQ(package.brandCamera, (icon_geometry::Camera{31, 1, 3}));

    EditorFields(editor).setFacePhotoData(QByteArray("jpeg bytes"));
    EditorFields(editor).setFacePhotoExtension(QStringLiteral("jpg"));
    editor.setCorners({{1, 1}, {9, 1}, {9, 9}});
    EditorFields(editor).setDriverImages(threeImages('a'));
    package = store.driverPackage(store.makeDriverEditor(driver));
    ASSERT_EQ(package.sourcePhotos.size(), 1u);
    EXPECT_EQ(package.sourcePhotos[0].name, "photo-face.jpg");
    EXPECT_EQ(package.sourcePhotos[0].data, "jpeg bytes");
    EXPECT_TRUE(package.faceCorners.empty());  // three corners carry none
    EXPECT_EQ(package.images.size(), 3u);
    EXPECT_EQ(package.images.at(DriverImageSize::large),
              editor.driverImages().at(DriverImageSize::large).toStdString());

    editor.setCorners({{1, 1}, {9, 1}, {9, 9}, {1, 9}});
    EXPECT_EQ(store.driverPackage(store.makeDriverEditor(driver)).faceCorners, editor.corners());
}

// ----- Planned writes, with the writer double -----

TEST(PlannedWrites, ReplaceIsAskedExactlyWhenAPlannedFileExists) {
    for (const bool oneExists : {false, true}) {
        SCOPED_TRACE(oneExists);
        DoubledStore doubled;
        doubled.addApp("/p/app", {"alpha"});
        if (oneExists) doubled.writer->existing = {"drivers/alpha/assets/icon.svg"};
        ProjectStore& store = *doubled.store;
        store.openHomeyApp(QStringLiteral("/p/app"));
        store.prepareWrite();
        ASSERT_TRUE(store.pendingWrite());
        store.writeSelectedDriver();
        EXPECT_FALSE(store.pendingWrite());
        ASSERT_EQ(doubled.writer->writes.size(), 1u);
        EXPECT_EQ(doubled.writer->writes[0].overwrite, oneExists);
    }
}

TEST(PlannedWrites, SamePlanTwiceSignalsOnce) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha"});
    ProjectStore& store = *doubled.store;
    store.openHomeyApp(QStringLiteral("/p/app"));
    QSignalSpy pending(&store, &ProjectStore::pendingWriteChanged);
    store.prepareWrite();
    store.prepareWrite();
    EXPECT_EQ(pending.count(), 1);
}

TEST(PlannedWrites, NothingWithoutProjectSelectionOrPlan) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha"});
    ProjectStore& store = *doubled.store;
    store.prepareWrite();
    EXPECT_FALSE(store.pendingWrite());
    store.openHomeyApp(QStringLiteral("/p/app"));
    store.writeSelectedDriver();
    EXPECT_TRUE(doubled.writer->writes.empty());
    store.setSelectedDriverID(std::nullopt);
    store.prepareWrite();
    EXPECT_FALSE(store.pendingWrite());
    // Cancelling the sheet drops the plan.
    store.setSelectedDriverID(std::string("alpha"));
    store.prepareWrite();
    store.setPendingWrite(std::nullopt);
    store.writeSelectedDriver();
    EXPECT_TRUE(doubled.writer->writes.empty());
}

// A plan made for one driver is never written for another.
TEST(PlannedWrites, AnotherSelectionIsPlannedAgain) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha", "beta"});
    ProjectStore& store = *doubled.store;
    store.openHomeyApp(QStringLiteral("/p/app"));
    store.prepareWrite();
    store.setSelectedDriverID(std::string("beta"));
    store.writeSelectedDriver();
    EXPECT_TRUE(doubled.writer->writes.empty());
    ASSERT_TRUE(store.pendingWrite());
    EXPECT_EQ(store.pendingWrite()->front().path, "drivers/beta/assets/icon.svg");
    store.writeSelectedDriver();
    ASSERT_EQ(doubled.writer->writes.size(), 1u);
    EXPECT_EQ(doubled.writer->writes[0].driverID, "beta");
}

TEST(PlannedWrites, WriterFailureIsShownAndNothingIsSaved) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha"});
    doubled.writer->writeFailure = HomeyProjectError::unknownDriver("alpha");
    ProjectStore& store = *doubled.store;
    store.openHomeyApp(QStringLiteral("/p/app"));
    store.currentEditor().setDepth(30);
    const auto states = store.states();
    QSignalSpy statesChanged(&store, &ProjectStore::statesChanged);
    store.prepareWrite();
    store.writeSelectedDriver();
    EXPECT_EQ(store.error(), AppError::writeFailed(QStringLiteral("alpha")));
    EXPECT_FALSE(store.pendingWrite());
    EXPECT_TRUE(store.lastWritten().empty());
    EXPECT_TRUE(store.currentEditor().hasUnwrittenChanges());
    EXPECT_EQ(statesChanged.count(), 0);
    // The plan is gone: writing again does nothing.
    doubled.writer->writeFailure.reset();
    store.writeSelectedDriver();
    EXPECT_TRUE(doubled.writer->writes.empty());
}

TEST(PlannedWrites, ModelThatWouldNotReadBackIsNeverPlanned) {
    DoubledStore doubled;
    doubled.addApp("/p/app", {"alpha"});
    ProjectStore& store = *doubled.store;
    store.openHomeyApp(QStringLiteral("/p/app"));
    store.currentEditor().setModel(unstorableModel());
    ASSERT_FALSE(icon_geometry::ModelInput::isStorable(store.currentEditor().model()));
    store.prepareWrite();
    EXPECT_FALSE(store.pendingWrite());
    EXPECT_EQ(store.error(), AppError::writeFailed(QStringLiteral("sources/icones/alpha/modele.json")));
    EXPECT_EQ(doubled.writer->planCount, 0);
}

// ----- Real projects -----

class ProjectWrites : public ::testing::Test {
protected:
    QTemporaryDir folder;
    MemoryRecentProjects recents;
    QueuedTaskRunner runner;
    ProjectStore store{recents, nullptr, runner};

    QString root() const { return folder.path(); }
    QString at(const QString& relative) const { return root() + QLatin1Char('/') + relative; }
    void SetUp() override {
        makeProject(root(), {QStringLiteral("plug")});
        store.openHomeyApp(root());
        runner.runAll();
        ASSERT_TRUE(store.app());
    }
};

TEST_F(ProjectWrites, PlanWriteAndReadBack) {
    DriverEditor& editor = store.currentEditor();
    editor.setDepth(25);
    EditorFields(editor).setDriverImages(threeImages('p'));
    EditorFields(editor).setFacePhotoData(QByteArray("the face photo"));
    EditorFields(editor).setFacePhotoExtension(QStringLiteral("jpeg"));
    editor.setCorners({{1, 2}, {3, 4}, {5, 6}, {7, 8}});
    const IconModel written = editor.model();

    store.prepareWrite();
    ASSERT_TRUE(store.pendingWrite());
    const auto plan = *store.pendingWrite();
    EXPECT_TRUE(std::none_of(plan.begin(), plan.end(), [](const PlannedWrite& w) { return w.exists; }));
    QSignalSpy statesChanged(&store, &ProjectStore::statesChanged);
    store.writeSelectedDriver();
    EXPECT_FALSE(store.error());
    EXPECT_EQ(store.lastWritten(), plan);
    EXPECT_FALSE(editor.hasUnwrittenChanges());
    runner.runAll();
    EXPECT_EQ(statesChanged.count(), 1);
    EXPECT_TRUE(store.states().at("plug").hasModel);

    EXPECT_EQ(readFile(at(QStringLiteral("drivers/plug/assets/images/large.png"))),
              editor.driverImages().at(DriverImageSize::large));
    EXPECT_EQ(readFile(at(QStringLiteral("sources/icones/plug/photo-face.jpeg"))), QByteArray("the face photo"));
    EXPECT_EQ(readFile(at(QStringLiteral("drivers/plug/assets/icon.svg"))).toStdString(),
              icon_geometry::iconSvg(written, store.brandCamera()));

    // A new store reads the driver back as written.
    ProjectStore reopened(recents, nullptr, runner);
    reopened.openHomeyApp(root());
    EXPECT_EQ(reopened.currentEditor().model(), written);
    EXPECT_EQ(storedFaceCorners(*reopened.app(), "plug"), editor.corners());

    // The second write replaces what the first wrote.
    editor.setDepth(26);
    store.prepareWrite();
    ASSERT_TRUE(store.pendingWrite());
    EXPECT_TRUE(store.pendingWrite()->front().exists);
    store.writeSelectedDriver();
    EXPECT_FALSE(store.error());
    EXPECT_EQ(QJsonDocument::fromJson(readFile(at(QStringLiteral("sources/icones/plug/modele.json"))))
                  .object()
                  .value(QStringLiteral("version"))
                  .toInt(),
              2);
}

// Edits and renderings that land while the sheet is open are not written
// unasked: the files hold what was planned, and the editor keeps its changes.
TEST_F(ProjectWrites, WritesWhatWasPlanned) {
    DriverEditor& editor = store.currentEditor();
    EditorFields(editor).setFacePhotoData(QByteArray("planned photo"));
    EditorFields(editor).setDriverImages({{DriverImageSize::small, QByteArray("small planned")}});
    store.prepareWrite();
    const IconModel planned = editor.model();

    EditorFields(editor).setDriverImages(threeImages('n'));
    editor.setDepth(61);
    EditorFields(editor).setFacePhotoData(QByteArray("newer photo"));
    store.writeSelectedDriver();
    EXPECT_FALSE(store.error());
    EXPECT_FALSE(store.pendingWrite());
    EXPECT_EQ(readFile(at(QStringLiteral("drivers/plug/assets/images/small.png"))), QByteArray("small planned"));
    EXPECT_FALSE(QFile::exists(at(QStringLiteral("drivers/plug/assets/images/large.png"))));
    EXPECT_EQ(readFile(at(QStringLiteral("sources/icones/plug/photo-face.png"))), QByteArray("planned photo"));
    EXPECT_EQ(editor.savedModel(), planned);
    EXPECT_EQ(editor.savedPhotoData(), QByteArray("planned photo"));
    EXPECT_TRUE(editor.hasUnwrittenChanges());
}

TEST_F(ProjectWrites, FileAppearedMeanwhileAsksAgain) {
    store.prepareWrite();
    const auto confirmed = *store.pendingWrite();
    writeFile(at(QStringLiteral("drivers/plug/assets/icon.svg")), "someone else's icon");
    QSignalSpy pending(&store, &ProjectStore::pendingWriteChanged);
    store.writeSelectedDriver();
    EXPECT_EQ(readFile(at(QStringLiteral("drivers/plug/assets/icon.svg"))), QByteArray("someone else's icon"));
    EXPECT_FALSE(QFile::exists(at(QStringLiteral("sources/icones/plug/modele.json"))));
    ASSERT_TRUE(store.pendingWrite());
    EXPECT_NE(*store.pendingWrite(), confirmed);
    EXPECT_TRUE(store.pendingWrite()->front().exists);
    EXPECT_TRUE(store.lastWritten().empty());
    // Confirming the new plan replaces the file.
    store.writeSelectedDriver();
    EXPECT_FALSE(store.pendingWrite());
    EXPECT_NE(readFile(at(QStringLiteral("drivers/plug/assets/icon.svg"))), QByteArray("someone else's icon"));
    EXPECT_FALSE(store.lastWritten().empty());
}

TEST_F(ProjectWrites, NewerStoredModelIsRefused) {
    writeFile(at(QStringLiteral("sources/icones/plug/modele.json")), R"({"version": 3})");
    store.prepareWrite();
    store.writeSelectedDriver();
    EXPECT_EQ(store.error(), AppError::newerModel(QStringLiteral("sources/icones/plug/modele.json")));
    EXPECT_FALSE(QFile::exists(at(QStringLiteral("drivers/plug/assets/icon.svg"))));
}

// ----- Exports -----

class Exports : public ::testing::Test {
protected:
    QTemporaryDir folder;
    DoubledStore doubled;
    ProjectStore& store = *doubled.store;
    QString at(const QString& name) const { return folder.filePath(name); }
};

TEST_F(Exports, IconAndModelAreWrittenWhole) {
    store.setBrandCamera({35, 2, 3});
    store.exportIconSVG(at(QStringLiteral("icone.svg")));
    EXPECT_EQ(readFile(at(QStringLiteral("icone.svg"))).toStdString(),
              icon_geometry::iconSvg(store.freeEditor().model(), {35, 2, 3}));
    store.saveIconModel(at(QStringLiteral("icone-modele.json")));
    const QByteArray json = readFile(at(QStringLiteral("icone-modele.json")));
    EXPECT_EQ(icon_geometry::ModelInput::decode<IconModel>(json.toStdString()), store.freeEditor().model());
    EXPECT_FALSE(store.error());
}

TEST_F(Exports, NewFilesFollowTheUmask) {
    const mode_t previous = umask(022);
    store.exportIconSVG(at(QStringLiteral("icone.svg")));
    umask(previous);
    struct stat status {};
    ASSERT_EQ(stat(QFile::encodeName(at(QStringLiteral("icone.svg"))).constData(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0644u);
}

TEST_F(Exports, FailuresNameTheFile) {
    ASSERT_TRUE(QDir().mkpath(at(QStringLiteral("taken.svg"))));
    store.exportIconSVG(at(QStringLiteral("taken.svg")));
    EXPECT_EQ(store.error(), AppError::writeFailed(QStringLiteral("taken.svg")));
    EXPECT_TRUE(QFileInfo(at(QStringLiteral("taken.svg"))).isDir());

    store.freeEditor().setModel(unstorableModel());
    store.saveIconModel(at(QStringLiteral("modele.json")));
    EXPECT_EQ(store.error(), AppError::writeFailed(QStringLiteral("modele.json")));
    EXPECT_FALSE(QFile::exists(at(QStringLiteral("modele.json"))));
}

TEST_F(Exports, DriverImages) {
    store.exportDriverImages(folder.path());
    EXPECT_EQ(store.error(), AppError::noPhoto());
    EXPECT_TRUE(QDir(folder.path()).isEmpty());

    store.setError(std::nullopt);
    EditorFields(store.freeEditor()).setDriverImages({{DriverImageSize::small, QByteArray("small")}});
    store.exportDriverImages(folder.path());
    EXPECT_FALSE(store.error());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList{QStringLiteral("small.png")});

    // The first failure stops the export; the files before it stay.
    EditorFields(store.freeEditor()).setDriverImages(threeImages('x'));
    ASSERT_TRUE(QDir().mkpath(at(QStringLiteral("large.png"))));
    store.exportDriverImages(folder.path());
    EXPECT_EQ(store.error(), AppError::writeFailed(QStringLiteral("large.png")));
    EXPECT_EQ(readFile(at(QStringLiteral("small.png"))), store.freeEditor().driverImages().at(DriverImageSize::small));
    EXPECT_FALSE(QFile::exists(at(QStringLiteral("xlarge.png"))));
}

// ----- Loading a model -----

TEST_F(Exports, ModelsThatCannotBeLoaded) {
    const QString fifo = at(QStringLiteral("fifo.json"));
    ASSERT_EQ(mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString huge = at(QStringLiteral("huge.json"));
    {
        QFile file(huge);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_TRUE(file.resize(qint64(17) << 20));
    }
    const QString zero = at(QStringLiteral("zero.json"));
    ASSERT_EQ(symlink("/dev/zero", QFile::encodeName(zero).constData()), 0);
    writeFile(at(QStringLiteral("deep.json")), QByteArray(500, '[') + QByteArray(500, ']'));
    writeFile(at(QStringLiteral("newer.json")), R"({"version": 3, "parts": [], "orientation": "wall"})");
    writeFile(at(QStringLiteral("other.json")), R"({"name": "not a model"})");

    const IconModel before = store.freeEditor().model();
    for (const char* name :
         {"fifo.json", "huge.json", "zero.json", "deep.json", "newer.json", "other.json", "missing.json"}) {
        SCOPED_TRACE(name);
        store.setError(std::nullopt);
        store.loadIconModel(at(QString::fromUtf8(name)));
        EXPECT_EQ(store.error(), AppError::unreadableModel());
        EXPECT_EQ(store.freeEditor().model(), before);
    }
}

TEST_F(Exports, LoadedModelIsAnUnwrittenChange) {
    doubled.addApp("/p/app", {"alpha"});
    store.openHomeyApp(QStringLiteral("/p/app"));
    writeFile(at(QStringLiteral("m.json")),
              QByteArray::fromStdString(icon_geometry::json::write(icon_geometry::json::encode(otherModel()))));
    store.loadIconModel(at(QStringLiteral("m.json")));
    EXPECT_FALSE(store.error());
    EXPECT_EQ(store.currentEditor().model(), otherModel());
    EXPECT_TRUE(store.currentEditor().hasUnwrittenChanges());
    EXPECT_EQ(store.unwrittenDriverNames().size(), 1);
}

// ----- Panels -----

TEST_F(Exports, PanelsAskWithTheirTexts) {
    ScriptedFilePanels& panels = doubled.panels;
    store.chooseSVGDestination();
    store.chooseModelDestination();
    ASSERT_EQ(panels.saveRequests.size(), 2u);
    EXPECT_EQ(panels.saveRequests[0].proposedName, QStringLiteral("icone.svg"));
    EXPECT_EQ(panels.saveRequests[0].message, QStringLiteral("Enregistrer l’icône au format SVG."));
    EXPECT_EQ(panels.saveRequests[1].proposedName, QStringLiteral("icone-modele.json"));
    EXPECT_EQ(panels.saveRequests[1].message,
              QStringLiteral("Enregistrer le modèle de l’icône, pour la reprendre plus tard."));

    doubled.addApp("/p/app", {"prise"});
    store.openHomeyApp(QStringLiteral("/p/app"));
    store.chooseSVGDestination();
    store.chooseModelDestination();
    EXPECT_EQ(panels.saveRequests[2].proposedName, QStringLiteral("prise.svg"));
    EXPECT_EQ(panels.saveRequests[3].proposedName, QStringLiteral("prise-modele.json"));

    store.chooseHomeyAppFolder();
    store.chooseImagesFolder();
    store.chooseModelToOpen();
    ASSERT_EQ(panels.openRequests.size(), 3u);
    EXPECT_TRUE(panels.openRequests[0].canChooseFolders);
    EXPECT_FALSE(panels.openRequests[0].canChooseFiles);
    EXPECT_EQ(panels.openRequests[0].message, QStringLiteral("Choisissez le dossier d’une app Homey."));
    EXPECT_EQ(panels.openRequests[0].prompt, QStringLiteral("Ouvrir"));
    EXPECT_TRUE(panels.openRequests[1].canCreateFolders);
    EXPECT_EQ(panels.openRequests[1].message,
              QStringLiteral("Choisissez le dossier où enregistrer small.png, large.png et xlarge.png."));
    EXPECT_EQ(panels.openRequests[1].prompt, QStringLiteral("Enregistrer"));
    EXPECT_EQ(panels.openRequests[2].allowedSuffixes, QStringList{QStringLiteral("json")});
    EXPECT_EQ(panels.openRequests[2].message, QStringLiteral("Choisissez un modèle d’icône enregistré."));
    // Every panel was cancelled: nothing happened.
    EXPECT_FALSE(store.error());
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

// A panel's nested event loop delivers background work: what the command does
// is decided from the store as the panel leaves it.
TEST_F(Exports, CommandsReadTheStoreAfterThePanel) {
    doubled.addApp("/p/first", {"alpha"});
    doubled.addApp("/p/second", {"beta"});
    store.openHomeyApp(QStringLiteral("/p/first"));
    doubled.panels.answers = {QStringLiteral("/p/second")};
    doubled.panels.whileOpen = [this] { store.currentEditor().setDepth(70); };
    store.chooseHomeyAppFolder();
    EXPECT_EQ(store.pendingDiscard(), DiscardAction::open(QStringLiteral("/p/second")));
    EXPECT_EQ(store.app()->root, "/p/first");

    doubled.panels.answers = {at(QStringLiteral("images"))};
    doubled.panels.whileOpen = [this] { EditorFields(store.currentEditor()).setDriverImages(threeImages('d')); };
    store.chooseImagesFolder();
    EXPECT_EQ(QDir(at(QStringLiteral("images"))).entryList(QDir::Files).size(), 3);
}

}  // namespace
