// The face photo's work with the app's own photo services and runner, on photos
// rendered and written at test time.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <memory>

#include "editor_testing.hpp"
#include "glyphsmith_state/analysis_photo_services.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/thread_pool_task_runner.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "glyphsmith_state_testing/photo_services_double.hpp"
#include "glyphsmith_state_testing/queued_task_runner.hpp"
#include "homey_project/driver_image_check.hpp"
#include "test_photo/image_files.hpp"
#include "test_photo/scene.hpp"

using glyphsmith_state_testing::EditorFields;
using namespace glyphsmith_state;
using editor_testing::roundedRectangleModel;
using homey_project::DriverImageSize;

namespace {

template <class Condition>
bool processEventsUntil(Condition condition) {
    const QDeadlineTimer deadline(300000);
    while (!condition() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

std::vector<std::uint8_t> frontalPng(const test_photo::Scene& scene) {
    return test_photo::encodePng(test_photo::rgbaImage(scene.width, scene.height, scene.rgba));
}
std::vector<std::uint8_t> frontalJpeg(const test_photo::Scene& scene) {
    return test_photo::encodeJpeg(test_photo::rgbaImage(scene.width, scene.height, scene.rgba), 90);
}

struct EndToEnd : ::testing::Test {
    QTemporaryDir folder;
    ThreadPoolTaskRunner runner;
    // The background colour alone cuts the subject out: deterministic.
    std::shared_ptr<AnalysisPhotoServices> services =
        std::make_shared<AnalysisPhotoServices>(std::make_unique<photo_analysis::NoSegmenter>());

    PhotoWork work() { return {services, &runner}; }
    QString write(const QString& name, std::span<const std::uint8_t> bytes) {
        const QString path = folder.filePath(name);
        test_photo::writeFile(path.toStdString(), bytes);
        return path;
    }
    // A photo imported the way the inspector imports one, made the face photo.
    void takeAsFacePhoto(DriverEditor& editor, const QString& path) {
        editor.loadPickedPhoto(QUrl::fromLocalFile(path));
        ASSERT_TRUE(processEventsUntil([&] { return !editor.isWorking(); }));
        ASSERT_FALSE(editor.error());
        ASSERT_FALSE(editor.loadedPhotos().empty());
        const LoadedPhoto& loaded = editor.loadedPhotos().back();
        EditorFields(editor).setFacePhoto(loaded.photo);
        EditorFields(editor).setFacePhotoData(loaded.data);
        EditorFields(editor).setFaceMask(loaded.mask);
    }
};

TEST_F(EndToEnd, AFrontalPhotoGivesThreeImagesThatCheckClean) {
    test_photo::SceneOptions options;
    options.width = 1400;
    options.height = 1100;
    options.subjectSize = 0.8;
    const test_photo::Scene scene = test_photo::renderScene(options);
    for (const auto& [name, bytes] : std::vector<std::pair<QString, std::vector<std::uint8_t>>>{
             {QStringLiteral("front.png"), frontalPng(scene)}, {QStringLiteral("front.jpg"), frontalJpeg(scene)}}) {
        DriverEditor editor(roundedRectangleModel(86, 86), work());
        takeAsFacePhoto(editor, write(name, bytes));
        EXPECT_EQ(editor.facePhotoData(),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()), static_cast<qsizetype>(bytes.size())));
        bool done = false;
        editor.renderDriverImages([&] { done = true; });
        ASSERT_TRUE(processEventsUntil([&] { return done; })) << name.toStdString();
        ASSERT_EQ(editor.driverImages().size(), 3u) << name.toStdString();
        for (const auto& [size, png] : editor.driverImages()) {
            const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(png.constData()),
                                                     static_cast<std::size_t>(png.size()));
            EXPECT_TRUE(homey_project::DriverImageCheck::checkImageData(data, size).empty()) << name.toStdString();
        }
        EXPECT_TRUE(editor.imageWarnings().empty()) << name.toStdString();
    }
}

TEST_F(EndToEnd, ClickingTheTrueCornersGivesTheTrueAspect) {
    test_photo::SceneOptions options;
    options.faceWidthMm = 120;
    options.faceHeightMm = 80;
    options.cornerRadiusMm = 6;
    options.yawDegrees = 25;
    options.pitchDegrees = 8;
    const test_photo::Scene scene = test_photo::renderScene(options);
    DriverEditor editor(roundedRectangleModel(60, 60), work());
    takeAsFacePhoto(editor, write(QStringLiteral("turned.png"), frontalPng(scene)));
    editor.setKeepEnteredAspect(false);
    editor.setTool(PhotoTool::corners());
    for (const icon_geometry::Vector2& corner : scene.faceCorners) editor.handlePhotoClick(corner.x, corner.y);
    EXPECT_EQ(editor.tool(), PhotoTool::none());
    ASSERT_TRUE(processEventsUntil([&] { return editor.faceWidth() != 60; }));
    EXPECT_NEAR(editor.faceWidth() / editor.faceHeight(), scene.aspect, 0.02 * scene.aspect);
    EXPECT_EQ(editor.faceHeight(), 60);
    // The rounded corners of the device give a radius of about 6 ÷ 80 of the height.
    EXPECT_NEAR(editor.faceShapeParameter(), 60 * 6.0 / 80, 2.5);
}

TEST_F(EndToEnd, ASmallSubjectIsUpscaledInTheTwoLargerImages) {
    glyphsmith_state_testing::QueuedTaskRunner queued;
    DriverEditor editor(roundedRectangleModel(60, 60), {services, &queued});
    EditorFields(editor).setFacePhoto(glyphsmith_state_testing::PhotoServicesDouble::plainPhoto(300, 200, 90));
    EditorFields(editor).setFaceMask(
        glyphsmith_state_testing::PhotoServicesDouble::boxMask(300, 200, {100, 75, 100, 50}));
    editor.renderDriverImages();
    queued.runAll();
    EXPECT_EQ(editor.driverImages().size(), 3u);
    ASSERT_EQ(editor.imageWarnings().size(), 2u);
    EXPECT_NEAR(std::get<homey_project::DriverImageIssue::Upscaled>(editor.imageWarnings()[0].value).factor, 4.2, 1e-9);
    EXPECT_NEAR(std::get<homey_project::DriverImageIssue::Upscaled>(editor.imageWarnings()[1].value).factor, 8.4, 1e-9);
}

// A PNG whose header claims a huge image: refused before any pixel is made.
std::vector<std::uint8_t> bombPng() {
    std::vector<std::uint8_t> png =
        test_photo::encodePng(test_photo::rgbaImage(2, 2, std::vector<std::uint8_t>(16, 255)));
    // IHDR's data starts at 16: width and height, big-endian, then its CRC at 29.
    for (int i : {16, 20}) {
        png[static_cast<std::size_t>(i)] = 0x00;
        png[static_cast<std::size_t>(i) + 1] = 0x01;
        png[static_cast<std::size_t>(i) + 2] = 0x86;
        png[static_cast<std::size_t>(i) + 3] = 0xA0;
    }
    const uLong crc = crc32(0, png.data() + 12, 17);
    for (int i = 0; i < 4; ++i) png[29 + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(crc >> (24 - 8 * i));
    return png;
}

TEST_F(EndToEnd, BadFilesAreUnreadablePhotosNeverAHang) {
    test_photo::SceneOptions options;
    const std::vector<std::uint8_t> jpeg = frontalJpeg(test_photo::renderScene(options));
    QDir(folder.path()).mkdir(QStringLiteral("folder.png"));
    write(QStringLiteral("text.jpg"), std::vector<std::uint8_t>{'h', 'e', 'l', 'l', 'o'});
    write(QStringLiteral("truncated.jpg"), std::span(jpeg).first(jpeg.size() / 2));
    write(QStringLiteral("bomb.png"), bombPng());
    ASSERT_EQ(mkfifo(folder.filePath(QStringLiteral("fifo.png")).toLocal8Bit().constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), folder.filePath(QStringLiteral("zero.jpg"))));
    for (const char* name : {"folder.png", "text.jpg", "truncated.jpg", "bomb.png", "fifo.png", "zero.jpg"}) {
        DriverEditor editor(roundedRectangleModel(60, 60), work());
        editor.loadPickedPhoto(QUrl::fromLocalFile(folder.filePath(QString::fromLatin1(name))));
        ASSERT_TRUE(processEventsUntil([&] { return !editor.isWorking(); })) << name;
        EXPECT_EQ(editor.error(), AppError::unreadablePhoto()) << name;
        EXPECT_TRUE(editor.loadedPhotos().empty()) << name;
    }
}

TEST_F(EndToEnd, RotatedPhotosArriveUpright) {
    test_photo::SceneOptions options;
    options.width = 320;
    options.height = 200;
    const test_photo::Scene scene = test_photo::renderScene(options);
    const image_io::RgbaImage upright = test_photo::rgbaImage(scene.width, scene.height, scene.rgba);
    DriverEditor editor(roundedRectangleModel(60, 60), work());
    editor.loadPickedPhoto(QUrl::fromLocalFile(write(
        QStringLiteral("turned.jpg"), test_photo::encodeJpeg(test_photo::storedForOrientation(upright, 6), 90, 6))));
    ASSERT_TRUE(processEventsUntil([&] { return !editor.isWorking(); }));
    ASSERT_EQ(editor.loadedPhotos().size(), 1u);
    EXPECT_EQ(editor.loadedPhotos()[0].photo.width(), 320);
    EXPECT_EQ(editor.loadedPhotos()[0].photo.height(), 200);
}

TEST_F(EndToEnd, AnEditorDestroyedWithWorkRunningGetsNothing) {
    test_photo::SceneOptions options;
    const QString path = write(QStringLiteral("front.png"), frontalPng(test_photo::renderScene(options)));
    auto editor = std::make_unique<DriverEditor>(roundedRectangleModel(60, 60), work());
    editor->loadPickedPhoto(QUrl::fromLocalFile(path));
    editor.reset();
    runner.waitForDone();
    QCoreApplication::processEvents();
}

}  // namespace
