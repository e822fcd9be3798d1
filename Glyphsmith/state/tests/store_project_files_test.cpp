// The store on real project folders: what it reads from a project's sources,
// and how it takes the faulty ones.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QTemporaryDir>

#include "glyphsmith_state/free_icon.hpp"
#include "glyphsmith_state/project_sources.hpp"
#include "glyphsmith_state/project_store.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "glyphsmith_state_testing/photo_services_double.hpp"
#include "icon_geometry/icon_model_coding.hpp"
#include "icon_geometry/json.hpp"
#include "image_io/image.hpp"
#include "image_io/jpeg_encoder.hpp"
#include "image_io/png_encoder.hpp"
#include "store_testing.hpp"

using namespace glyphsmith_state;
using namespace store_testing;
using glyphsmith_state_testing::MemoryRecentProjects;
using glyphsmith_state_testing::QueuedTaskRunner;
using icon_geometry::Camera;
using icon_geometry::Vector2;

namespace {

class ProjectFiles : public ::testing::Test {
protected:
    QTemporaryDir folder;
    MemoryRecentProjects recents;
    QueuedTaskRunner runner;
    std::unique_ptr<ProjectStore> store = std::make_unique<ProjectStore>(recents, nullptr, runner);

    QString root() const { return folder.path(); }
    QString sources(const QString& id) const { return root() + QStringLiteral("/sources/icones/") + id; }
    homey_project::HomeyApp app() const { return homey_project::HomeyProjectReader::readProject(root().toStdString()); }
    void link(const QString& target, const QString& at) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(at).absolutePath()));
        ASSERT_EQ(symlink(target.toLocal8Bit().constData(), at.toLocal8Bit().constData()), 0);
    }
};

TEST_F(ProjectFiles, OpensAProjectWithItsStates) {
    makeProject(root(), {QStringLiteral("b"), QStringLiteral("a")});
    store->openHomeyApp(root());
    ASSERT_TRUE(store->app());
    EXPECT_EQ(store->selectedDriverID(), std::optional<std::string>("a"));
    // The states arrive from the background, one task per driver.
    EXPECT_TRUE(store->states().empty());
    ASSERT_EQ(runner.pendingCount(), 2u);
    QSignalSpy statesChanged(store.get(), &ProjectStore::statesChanged);
    runner.runNext();
    EXPECT_EQ(store->states().size(), 1u);
    EXPECT_EQ(statesChanged.count(), 1);
    runner.runAll();
    ASSERT_EQ(store->states().size(), 2u);
    EXPECT_EQ(store->states().at("a"), homey_project::DriverAssetsState::load(store->app()->drivers[0], *store->app()));
    EXPECT_FALSE(store->error());
}

// Computed side by side, the states still land under their own drivers.
TEST_F(ProjectFiles, EachDriverGetsItsOwnState) {
    QStringList ids;
    for (int i = 0; i < 12; ++i) ids.append(QStringLiteral("d%1").arg(i, 2, 10, QLatin1Char('0')));
    makeProject(root(), ids);
    for (int i = 0; i < 12; i += 3) {
        writeFile(root() + QStringLiteral("/drivers/") + ids[i] + QStringLiteral("/assets/images/small.png"), "text");
        writeFile(sources(ids[i]) + QStringLiteral("/modele.json"), "{}");
    }
    store->openHomeyApp(root());
    runner.runAll();
    ASSERT_EQ(store->states().size(), 12u);
    for (const homey_project::HomeyDriver& driver : store->app()->drivers) {
        SCOPED_TRACE(driver.id);
        EXPECT_EQ(store->states().at(driver.id), homey_project::DriverAssetsState::load(driver, *store->app()));
    }
    EXPECT_TRUE(store->states().at("d03").hasModel);
    EXPECT_FALSE(store->states().at("d04").hasModel);
}

// Stored model, brand camera and corners that are links to /dev/zero, garbage
// or newer: the starting values and the source's error, never a hang.
TEST_F(ProjectFiles, FaultyStoredSourcesFallBack) {
    struct Case {
        const char* name;
        QByteArray contents;  // empty: a link to /dev/zero
        std::optional<AppError> modelError;
    };
    const QString modelPath = QStringLiteral("sources/icones/a/modele.json");
    const Case cases[] = {
        {"link to /dev/zero", {}, AppError::unreadableSourceFile(modelPath)},
        {"garbage", "\x01\x02 not json", AppError::unreadableSourceFile(modelPath)},
        {"newer", R"({"version": 3, "parts": []})", AppError::newerModel(modelPath)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QTemporaryDir project;
        makeProject(project.path(), {QStringLiteral("a")});
        const QString model = project.path() + QStringLiteral("/sources/icones/a/modele.json");
        const QString camera = project.path() + QStringLiteral("/sources/icones/marque.json");
        const QString corners = project.path() + QStringLiteral("/sources/icones/a/coins-face.json");
        for (const QString& file : {model, camera, corners}) {
            if (c.contents.isEmpty()) {
                link(QStringLiteral("/dev/zero"), file);
            } else {
                writeFile(file, c.contents);
            }
        }
        ProjectStore fresh(recents, nullptr, runner);
        fresh.setBrandCamera({33, 1, 3});
        fresh.openHomeyApp(project.path());
        ASSERT_TRUE(fresh.app());
        EXPECT_EQ(fresh.brandCamera(), Camera::defaultCamera());
        EXPECT_EQ(fresh.currentEditor().model(), freeIconStartingModel());
        EXPECT_TRUE(storedFaceCorners(*fresh.app(), "a").empty());
        // The camera's error first, then the model's one turn later.
        EXPECT_EQ(fresh.error(), AppError::unreadableSourceFile(QStringLiteral("sources/icones/marque.json")));
        turnEventLoop();
        EXPECT_EQ(fresh.error(), c.modelError);
    }
}

TEST_F(ProjectFiles, StoredModelAndCameraAreRead) {
    makeProject(root(), {QStringLiteral("a")});
    writeFile(sources(QStringLiteral("a")) + QStringLiteral("/modele.json"),
              QByteArray::fromStdString(icon_geometry::json::write(icon_geometry::json::encode(otherModel()))));
    writeFile(root() + QStringLiteral("/sources/icones/marque.json"),
              R"({"distanceInDiagonals": 3, "elevationDegrees": 2, "yawDegrees": 31})");
    store->openHomeyApp(root());
    EXPECT_EQ(store->currentEditor().model(), otherModel());
    EXPECT_EQ(store->brandCamera(), (Camera{31, 2, 3}));
    runner.runAll();
    EXPECT_TRUE(store->states().at("a").hasModel);
    turnEventLoop();
    EXPECT_FALSE(store->error());
}

TEST_F(ProjectFiles, StoredFacePhotoIsTheFirstRegularFileByName) {
    makeProject(root(), {QStringLiteral("a")});
    const QString a = sources(QStringLiteral("a"));
    EXPECT_FALSE(storedFacePhotoPath(app(), "a"));  // no sources folder

    writeFile(a + QStringLiteral("/photo-face.png"), "png");
    writeFile(a + QStringLiteral("/photo-face.tar.gz"), "two extensions");
    writeFile(a + QStringLiteral("/photo-faces.jpg"), "another name");
    EXPECT_EQ(storedFacePhotoPath(app(), "a"), a + QStringLiteral("/photo-face.png"));

    writeFile(a + QStringLiteral("/photo-face.jpeg"), "jpeg");
    EXPECT_EQ(storedFacePhotoPath(app(), "a"), a + QStringLiteral("/photo-face.jpeg"));

    // A link, a folder and a FIFO that sort first are passed over.
    link(a + QStringLiteral("/photo-face.png"), a + QStringLiteral("/photo-face.bmp"));
    ASSERT_TRUE(QDir().mkpath(a + QStringLiteral("/photo-face.gif")));
    ASSERT_EQ(mkfifo(QFile::encodeName(a + QStringLiteral("/photo-face.fifo")).constData(), 0600), 0);
    EXPECT_EQ(storedFacePhotoPath(app(), "a"), a + QStringLiteral("/photo-face.jpeg"));
}

QByteArray whiteImage(int side, bool jpeg) {
    const image_io::RgbaImage white{side, side, image_io::AlphaMode::straight,
                                    std::vector<std::uint8_t>(std::size_t(side) * side * 4, 255)};
    const std::vector<std::uint8_t> bytes = jpeg ? image_io::encodeJpegOnWhite(white) : image_io::encodePngRgba(white);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size()));
}

// Drivers whose manifests name JPEG images, with Homey Compose and in the
// "app.json" of a project without it: their states count those files, and a
// write replaces them with JPEG files, the manifests left as they are.
TEST_F(ProjectFiles, ImagesTheManifestsNameAreCountedAndWrittenInTheirFormat) {
    writeFile(root() + QStringLiteral("/app.json"), R"({"id": "com.example.app", "drivers": [{"id": "listed",
        "images": {"small": "/drivers/listed/assets/images/small.jpg", "large": "/drivers/listed/assets/images/large.jpg"}}]})");
    const QByteArray compose = R"({"name": "Plug", "images": {"small": "{{driverAssetsPath}}/images/small.jpg",
        "large": "{{driverAssetsPath}}/images/large.jpg"}})";
    writeFile(root() + QStringLiteral("/drivers/plug/driver.compose.json"), compose);
    for (const QString id : {QStringLiteral("listed"), QStringLiteral("plug")}) {
        writeFile(root() + QStringLiteral("/drivers/") + id + QStringLiteral("/assets/images/small.jpg"),
                  whiteImage(75, true));
        writeFile(root() + QStringLiteral("/drivers/") + id + QStringLiteral("/assets/images/large.jpg"),
                  whiteImage(500, true));
    }
    using Image = homey_project::DriverAssetsState::ImageState;
    const std::map<homey_project::DriverImageSize, Image> twoOfThree{
        {homey_project::DriverImageSize::small, {Image::Valid{}}},
        {homey_project::DriverImageSize::large, {Image::Valid{}}},
        {homey_project::DriverImageSize::xlarge, {Image::Missing{}}}};
    store->openHomeyApp(root());
    runner.runAll();
    ASSERT_EQ(store->states().size(), 2u);
    EXPECT_EQ(store->states().at("listed").images, twoOfThree);
    EXPECT_EQ(store->states().at("plug").images, twoOfThree);

    store->setSelectedDriverID("plug");
    DriverEditor::DriverImages images;
    for (homey_project::DriverImageSize size : homey_project::allDriverImageSizes)
        images.emplace(size, whiteImage(homey_project::rawValue(size), false));
    glyphsmith_state_testing::EditorFields(store->currentEditor()).setDriverImages(std::move(images));
    store->prepareWrite();
    ASSERT_TRUE(store->pendingWrite());
    const std::vector<homey_project::PlannedWrite> plan = *store->pendingWrite();
    ASSERT_GE(plan.size(), 4u);
    EXPECT_EQ(std::vector<homey_project::PlannedWrite>(plan.begin() + 1, plan.begin() + 4),
              (std::vector<homey_project::PlannedWrite>{{"drivers/plug/assets/images/small.jpg", true},
                                                        {"drivers/plug/assets/images/large.jpg", true},
                                                        {"drivers/plug/assets/images/xlarge.png", false}}));
    store->writeSelectedDriver();
    ASSERT_FALSE(store->error()) << store->error()->message().toStdString();
    runner.runAll();
    for (homey_project::DriverImageSize size : homey_project::allDriverImageSizes)
        EXPECT_EQ(store->states().at("plug").images.at(size), Image{Image::Valid{}});
    const QByteArray small = readFile(root() + QStringLiteral("/drivers/plug/assets/images/small.jpg"));
    EXPECT_EQ(image_io::sniffFormat(
                  {reinterpret_cast<const std::uint8_t*>(small.constData()), static_cast<std::size_t>(small.size())}),
              image_io::ImageFormat::jpeg);
    EXPECT_FALSE(QFile::exists(root() + QStringLiteral("/drivers/plug/assets/images/small.png")));
    EXPECT_EQ(readFile(root() + QStringLiteral("/drivers/plug/driver.compose.json")), compose);
}

TEST_F(ProjectFiles, StoredCornersAreReadThroughTheGuardedDecoder) {
    makeProject(root(), {QStringLiteral("a")});
    const QString file = sources(QStringLiteral("a")) + QStringLiteral("/coins-face.json");
    writeFile(file, R"([{"x": 1, "y": 2}, {"x": 3.5, "y": 4}])");
    EXPECT_EQ(storedFaceCorners(app(), "a"), (std::vector<Vector2>{{1, 2}, {3.5, 4}}));
    writeFile(file, R"([{"x": 1}])");
    EXPECT_TRUE(storedFaceCorners(app(), "a").empty());
    writeFile(file, QByteArray(200, '[') + QByteArray(200, ']'));
    EXPECT_TRUE(storedFaceCorners(app(), "a").empty());
}

// The editor of a driver with two stored face photos restores the first by name,
// with its stored corners, and counts it as written.
TEST_F(ProjectFiles, EditorRestoresTheStoredFacePhoto) {
    makeProject(root(), {QStringLiteral("a")});
    const QString a = sources(QStringLiteral("a"));
    const auto services = std::make_shared<glyphsmith_state_testing::PhotoServicesDouble>();
    for (const QString& name : {QStringLiteral("photo-face.png"), QStringLiteral("photo-face.jpeg")}) {
        const QByteArray bytes = name.toUtf8();
        writeFile(a + QLatin1Char('/') + name, bytes);
        services->addFile(a + QLatin1Char('/') + name, bytes);
        glyphsmith_state_testing::PhotoServicesDouble::Script script;
        script.bytes = bytes;
        script.photo = glyphsmith_state_testing::PhotoServicesDouble::plainPhoto(40, 40, name.size());
        script.mask = glyphsmith_state_testing::PhotoServicesDouble::boxMask(40, 40, {5, 5, 30, 30});
        script.images[homey_project::DriverImageSize::small] = {QByteArray("png of ") + bytes, {}, 1.0};
        services->addPhoto(script);
    }
    writeFile(a + QStringLiteral("/coins-face.json"),
              R"([{"x": 5, "y": 5}, {"x": 35, "y": 5}, {"x": 35, "y": 35}, {"x": 5, "y": 35}])");

    ProjectStore restoring(recents, nullptr, runner, ProjectStore::Seams{{}, {}, nullptr, {}, services});
    restoring.openHomeyApp(root());
    DriverEditor& editor = restoring.currentEditor();
    // Nothing is read before the event loop turns and the runner works.
    EXPECT_EQ(services->callCount(), 0u);
    turnEventLoop();
    runner.runAll();
    EXPECT_EQ(editor.facePhotoData(), QByteArray("photo-face.jpeg"));
    EXPECT_EQ(editor.facePhotoExtension(), QStringLiteral("jpeg"));
    EXPECT_EQ(editor.corners(), (std::vector<Vector2>{{5, 5}, {35, 5}, {35, 35}, {5, 35}}));
    EXPECT_FALSE(editor.hasUnwrittenChanges());
    EXPECT_TRUE(restoring.unwrittenDriverNames().isEmpty());

    // Written again as it was found.
    const homey_project::DriverPackage package = restoring.driverPackage(restoring.currentEditor());
    ASSERT_EQ(package.sourcePhotos.size(), 1u);
    EXPECT_EQ(package.sourcePhotos[0].name, "photo-face.jpeg");
    EXPECT_EQ(package.faceCorners, editor.corners());
}

TEST_F(ProjectFiles, StoredFreeIconThatIsRefusedLeavesTheStartingModel) {
    const QString file = root() + QStringLiteral("/icone-libre.json");
    writeFile(file, QByteArray(100, '[') + QByteArray(100, ']'));
    ApplicationSupportFreeIcon freeIcon(file);
    ProjectStore withFreeIcon(recents, &freeIcon, runner);
    EXPECT_EQ(withFreeIcon.freeEditor().model(), freeIconStartingModel());
}

}  // namespace
