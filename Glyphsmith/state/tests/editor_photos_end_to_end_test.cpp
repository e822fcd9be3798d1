#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cmath>
#include <limits>
#include <memory>

#include "editor_testing.hpp"
#include "glyphsmith_state/analysis_photo_services.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/thread_pool_task_runner.hpp"
#include "test_photo/image_files.hpp"
#include "test_photo/scene.hpp"

using namespace glyphsmith_state;
using Role = LoadedPhoto::Role;

namespace {

// Lets the editor's deliveries run until it has stopped working. The deadline
// only keeps a broken load from hanging the suite.
bool settle(const DriverEditor& editor, ThreadPoolTaskRunner& runner) {
    const QDeadlineTimer deadline(300000);
    do {
        runner.waitForDone();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    } while (editor.isWorking() && !deadline.hasExpired());
    runner.waitForDone();
    QCoreApplication::processEvents();
    return !editor.isWorking();
}

test_photo::Scene scene(double yawDegrees) {
    test_photo::SceneOptions options;
    options.faceWidthMm = 86;
    options.faceHeightMm = 86;
    options.depthMm = 30;
    options.yawDegrees = yawDegrees;
    options.details = {test_photo::DetailKind::led, test_photo::DetailKind::separator};
    return test_photo::renderScene(options);
}

std::vector<std::uint8_t> jpegOf(const test_photo::Scene& s) {
    return test_photo::encodeJpeg(test_photo::rgbaImage(s.width, s.height, s.rgba), 92);
}

// The photo analysis itself, with the background colour as the only way to find
// the subject, so the results do not depend on a segmentation.
struct RealEditor {
    ThreadPoolTaskRunner runner;
    DriverEditor editor{
        editor_testing::roundedRectangleModel(86, 86),
        PhotoWork{std::make_shared<AnalysisPhotoServices>(std::make_unique<photo_analysis::NoSegmenter>()), &runner}};
};

TEST(EditorPhotosEndToEnd, ASideAndAFrontalViewGiveTheFaceAndTheDepth) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const test_photo::Scene side = scene(90);
    const test_photo::Scene front = scene(0);
    test_photo::writeFile(folder.filePath("side.png").toStdString(),
                          test_photo::encodePng(test_photo::rgbaImage(side.width, side.height, side.rgba)));
    const std::vector<std::uint8_t> frontBytes = jpegOf(front);
    test_photo::writeFile(folder.filePath("front.jpg").toStdString(), frontBytes);

    RealEditor real;
    real.editor.addPhotos(
        {QUrl::fromLocalFile(folder.filePath("side.png")), QUrl::fromLocalFile(folder.filePath("front.jpg"))}, false,
        false);
    ASSERT_TRUE(settle(real.editor, real.runner));
    ASSERT_FALSE(real.editor.error());
    ASSERT_EQ(real.editor.loadedPhotos().size(), 2u);
    EXPECT_EQ(real.editor.loadedPhotos()[0].role, Role::profile);
    EXPECT_EQ(real.editor.loadedPhotos()[1].role, Role::face);
    EXPECT_NEAR(real.editor.depth(), 30, 30 * 0.05);
    // The face photo's bytes are the file's, as read.
    EXPECT_EQ(real.editor.facePhotoData(),
              QByteArray(reinterpret_cast<const char*>(frontBytes.data()), qsizetype(frontBytes.size())));
    EXPECT_EQ(real.editor.facePhotoExtension(), QStringLiteral("jpg"));
    EXPECT_EQ(real.editor.facePhoto()->width(), front.width);
}

TEST(EditorPhotosEndToEnd, ProposalsLieOnTheTrueDetailsOfTheFacePhoto) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const test_photo::Scene front = scene(0);
    test_photo::writeFile(folder.filePath("front.png").toStdString(),
                          test_photo::encodePng(test_photo::rgbaImage(front.width, front.height, front.rgba)));
    RealEditor real;
    real.editor.addPhotos({QUrl::fromLocalFile(folder.filePath("front.png"))}, false, true);
    ASSERT_TRUE(settle(real.editor, real.runner));
    ASSERT_FALSE(real.editor.error());
    ASSERT_FALSE(real.editor.proposals().empty());
    // Each true detail has a proposal whose outline passes near its centre on the photo.
    for (const test_photo::DetailTruth& truth : front.details) {
        const icon_geometry::Vector2 centre = front.project(truth.centreMm);
        // A dot's outline is its circle; a line passes through its centre. Two
        // pixels more for the blur and the sampling.
        const double pixelsPerMm = front.height * front.options.subjectSize / front.options.faceHeightMm;
        const double reach = 0.6 * std::max(truth.sizeMm.x, truth.sizeMm.y) * pixelsPerMm + 2;
        double nearest = std::numeric_limits<double>::infinity();
        for (const ProposedDetail& proposal : real.editor.proposals())
            for (const icon_geometry::BezierPath& path : proposal.photoPaths)
                nearest = std::min(nearest, DriverEditor::pathDistance(path, centre));
        EXPECT_LE(nearest, reach) << static_cast<int>(truth.kind);
    }
}

// Granite filling the frame is no device: the editor says so and keeps no photo,
// where once a grey blob became the subject.
TEST(EditorPhotosEndToEnd, APhotoWithoutADeviceFindsNoSubject) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const photo_analysis::Photo granite = test_photo::noDevicePhoto(test_photo::NoDevice::granite, 1200, 900);
    const std::vector<std::uint8_t> pixels(granite.pixels().begin(), granite.pixels().end());
    test_photo::writeFile(folder.filePath("granit.png").toStdString(),
                          test_photo::encodePng(test_photo::rgbaImage(1200, 900, pixels)));
    RealEditor real;
    real.editor.addPhotos({QUrl::fromLocalFile(folder.filePath("granit.png"))}, false, true);
    ASSERT_TRUE(settle(real.editor, real.runner));
    EXPECT_EQ(real.editor.error(), AppError::noSubjectFound());
    EXPECT_TRUE(real.editor.loadedPhotos().empty());
}

TEST(EditorPhotosEndToEnd, BadFilesFailWithoutHangingAndTheGoodOneLoads) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QDir dir(folder.path());
    ASSERT_TRUE(dir.mkdir("folder.png"));
    {
        QFile text(folder.filePath("notes.jpg"));
        ASSERT_TRUE(text.open(QIODevice::WriteOnly));
        text.write("Ceci n’est pas une photo.\n");
    }
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath("pipe.png")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link("/dev/zero", folder.filePath("zero.jpg")));
    const std::vector<std::uint8_t> jpeg = jpegOf(scene(0));
    test_photo::writeFile(folder.filePath("truncated.jpg").toStdString(), std::span(jpeg).first(jpeg.size() / 2));
    // A frame header of 65000 × 65000 pixels: refused before any pixel exists.
    std::vector<std::uint8_t> bomb = jpeg;
    for (std::size_t i = 0; i + 8 < bomb.size(); ++i) {
        if (bomb[i] == 0xFF && (bomb[i + 1] == 0xC0 || bomb[i + 1] == 0xC2)) {
            for (std::size_t k : {i + 5, i + 7}) {
                bomb[k] = 0xFD;
                bomb[k + 1] = 0xE8;
            }
            break;
        }
    }
    test_photo::writeFile(folder.filePath("bomb.jpg").toStdString(), bomb);

    const QStringList bad{"folder.png", "notes.jpg", "pipe.png", "zero.jpg", "truncated.jpg", "bomb.jpg"};
    for (const QString& name : bad) {
        RealEditor real;
        real.editor.addPhotos({QUrl::fromLocalFile(folder.filePath(name))}, false, true);
        ASSERT_TRUE(settle(real.editor, real.runner)) << name.toStdString();
        EXPECT_EQ(real.editor.error(), AppError::unreadablePhoto()) << name.toStdString();
        EXPECT_TRUE(real.editor.loadedPhotos().empty()) << name.toStdString();
        EXPECT_FALSE(real.editor.facePhoto()) << name.toStdString();
    }

    test_photo::writeFile(folder.filePath("good.jpg").toStdString(), jpeg);
    QList<QUrl> batch;
    for (const QString& name : bad) batch.push_back(QUrl::fromLocalFile(folder.filePath(name)));
    batch.insert(2, QUrl::fromLocalFile(folder.filePath("good.jpg")));
    RealEditor real;
    real.editor.addPhotos(batch, false, false);
    ASSERT_TRUE(settle(real.editor, real.runner));
    EXPECT_FALSE(real.editor.error());
    ASSERT_EQ(real.editor.loadedPhotos().size(), 1u);
    EXPECT_EQ(real.editor.loadedPhotos()[0].url.fileName(), QStringLiteral("good.jpg"));
}

}  // namespace
