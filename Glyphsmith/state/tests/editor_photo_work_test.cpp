#include <gtest/gtest.h>

#include <QSignalSpy>
#include <limits>
#include <memory>

#include "editor_testing.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "glyphsmith_state_testing/photo_services_double.hpp"
#include "glyphsmith_state_testing/queued_task_runner.hpp"

using glyphsmith_state_testing::EditorFields;
using namespace glyphsmith_state;
using editor_testing::roundedRectangleModel;
using glyphsmith_state_testing::PhotoServicesDouble;
using glyphsmith_state_testing::QueuedTaskRunner;
using icon_geometry::BezierPath;
using icon_geometry::FaceDetail;
using icon_geometry::Vector2;
using photo_analysis::DetectedFeature;
using Role = LoadedPhoto::Role;
using Kind = PhotoServicesDouble::Kind;

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// An editor on scripted photo services and a runner the test drains by hand.
struct Bench {
    std::shared_ptr<PhotoServicesDouble> services = std::make_shared<PhotoServicesDouble>();
    QueuedTaskRunner runner;
    std::unique_ptr<DriverEditor> editor;

    explicit Bench(icon_geometry::IconModel model = roundedRectangleModel(80, 40))
        : editor(std::make_unique<DriverEditor>(std::move(model), PhotoWork{services, &runner})) {}

    // A file at /photos/<name> holding a photo of one shade whose subject is a
    // w × h box; without a box finding the subject fails with `failure`.
    QUrl photoFile(const QString& name, std::uint8_t shade, int w, int h, Kind failure = Kind::noSubjectFound) {
        const QString path = QStringLiteral("/photos/") + name;
        const QByteArray bytes = name.toUtf8() + QByteArray::number(shade);
        services->addFile(path, bytes);
        PhotoServicesDouble::Script script;
        script.bytes = bytes;
        script.photo = PhotoServicesDouble::plainPhoto(40, 40, shade);
        if (w > 0 && h > 0) script.mask = PhotoServicesDouble::boxMask(40, 40, {0, 0, double(w), double(h)});
        script.maskFailure = failure;
        script.images[homey_project::DriverImageSize::small] = {QByteArray("png ") + bytes, {}, 1.0};
        services->addPhoto(script);
        return QUrl::fromLocalFile(path);
    }
    // A file no script decodes.
    QUrl unreadableFile(const QString& name) {
        const QString path = QStringLiteral("/photos/") + name;
        services->addFile(path, "not a photo");
        return QUrl::fromLocalFile(path);
    }
    std::vector<Role> roles() const {
        std::vector<Role> result;
        for (const LoadedPhoto& photo : editor->loadedPhotos()) result.push_back(photo.role);
        return result;
    }
};

TEST(PhotoLoading, NothingIsAnalysedOnTheMainThread) {
    Bench bench;
    bench.editor->addPhotos({bench.photoFile("a.jpg", 10, 20, 20), bench.photoFile("b.png", 20, 8, 30)}, false, true);
    EXPECT_EQ(bench.services->callCount(), 0u);
    EXPECT_TRUE(bench.editor->isWorking());
    ASSERT_EQ(bench.runner.pendingCount(), 2u);
    EXPECT_EQ(bench.runner.priorityAt(0), TaskPriority::userInitiated);
    bench.runner.runNext();
    bench.runner.runNext();
    // The roles are applied, and the rendering and the detection wait for the runner.
    bench.services->forgetCalls();
    ASSERT_TRUE(bench.editor->facePhoto());
    EXPECT_EQ(bench.services->callCount(), 0u);
    EXPECT_GE(bench.runner.pendingCount(), 2u);
    bench.runner.runAll();
    EXPECT_FALSE(bench.editor->isWorking());
}

TEST(PhotoLoading, ABatchBecomesTheLoadedPhotosWithTheirRoles) {
    Bench bench;
    QSignalSpy faces(bench.editor.get(), &DriverEditor::facePhotoChanged);
    bench.editor->addPhotos({bench.photoFile("side.jpg", 10, 8, 32), bench.photoFile("Front.JPG", 20, 36, 18)}, false,
                            false);
    EXPECT_EQ(bench.editor->photoLoad(), 1);
    bench.runner.runAll();
    EXPECT_EQ(bench.roles(), (std::vector<Role>{Role::profile, Role::face}));
    EXPECT_EQ(faces.count(), 1);
    EXPECT_EQ(bench.editor->facePhoto(), PhotoServicesDouble::plainPhoto(40, 40, 20));
    EXPECT_EQ(bench.editor->facePhotoData(), QByteArray("Front.JPG20"));
    EXPECT_EQ(bench.editor->facePhotoExtension(), QStringLiteral("jpg"));
    // The profile's 8 × 32 subject gives a depth of a quarter of the 40 mm face.
    EXPECT_DOUBLE_EQ(*bench.editor->profileDepthRatio(), 0.25);
    EXPECT_DOUBLE_EQ(bench.editor->depth(), 10);
    EXPECT_EQ(bench.editor->driverImages().at(homey_project::DriverImageSize::small), QByteArray("png Front.JPG20"));
    EXPECT_FALSE(bench.editor->error());
    EXPECT_FALSE(bench.editor->isWorking());
}

TEST(PhotoLoading, ANewerLoadDropsTheOlderWhole) {
    Bench bench;
    bench.editor->addPhotos({bench.photoFile("a.jpg", 10, 20, 20)}, false, false);
    bench.editor->addPhotos({bench.photoFile("b.jpg", 20, 20, 20)}, false, false);
    EXPECT_EQ(bench.editor->photoLoad(), 2);
    QSignalSpy working(bench.editor.get(), &DriverEditor::isWorkingChanged);
    QSignalSpy photos(bench.editor.get(), &DriverEditor::loadedPhotosChanged);
    bench.runner.runTask(1);  // B
    // Its driver images are drawn next: still working.
    EXPECT_TRUE(bench.editor->isWorking());
    EXPECT_EQ(bench.editor->facePhotoData(), QByteArray("b.jpg20"));
    EXPECT_EQ(working.count(), 0);
    EXPECT_EQ(photos.count(), 1);
    bench.runner.runTask(0);  // A, stale
    EXPECT_EQ(bench.editor->facePhotoData(), QByteArray("b.jpg20"));
    EXPECT_EQ(bench.editor->loadedPhotos().size(), 1u);
    EXPECT_EQ(photos.count(), 1);
    bench.runner.runAll();  // B's driver images
    EXPECT_FALSE(bench.editor->isWorking());
    EXPECT_EQ(working.count(), 1);

    // A stale load that fails leaves no error, and does not end the newer load's work.
    Bench second;
    second.editor->addPhotos({second.unreadableFile("a.png")}, false, false);
    second.editor->addPhotos({second.photoFile("b.jpg", 20, 20, 20)}, false, false);
    second.runner.runTask(0);
    EXPECT_FALSE(second.editor->error());
    EXPECT_TRUE(second.editor->isWorking());
    second.runner.runAll();
    EXPECT_FALSE(second.editor->isWorking());
}

TEST(PhotoLoading, FailuresAreReportedOnlyWhenNothingLoads) {
    struct Case {
        const char* name;
        bool lastFinishesFirst;
        bool secondLoads;
        std::optional<AppError> error;
    };
    const std::vector<Case> cases{
        {"all failing, in order: the last file's error", false, false, AppError::noSubjectFound()},
        {"all failing, the first finishing last: still the last file's error", true, false, AppError::noSubjectFound()},
        {"some failing: no error", true, true, std::nullopt},
    };
    for (const Case& c : cases) {
        Bench bench;
        const QUrl first = bench.unreadableFile("a.jpg");
        const QUrl second = c.secondLoads ? bench.photoFile("b.jpg", 20, 20, 20) : bench.photoFile("b.jpg", 20, 0, 0);
        bench.editor->addPhotos({first, second}, false, false);
        bench.runner.runTask(c.lastFinishesFirst ? 1 : 0);
        bench.runner.runAll();
        EXPECT_EQ(bench.editor->error(), c.error) << c.name;
        EXPECT_EQ(bench.editor->loadedPhotos().size(), c.secondLoads ? 1u : 0u) << c.name;
        EXPECT_FALSE(bench.editor->isWorking()) << c.name;
    }
}

TEST(PhotoLoading, ARemoteAddressIsNotReadAsALocalPath) {
    Bench bench;
    bench.photoFile("a.jpg", 10, 20, 20);
    bench.editor->addPhotos({QUrl(QStringLiteral("https://example.org/photos/a.jpg"))}, false, false);
    bench.runner.runAll();
    EXPECT_EQ(bench.editor->error(), AppError::unreadablePhoto());
    EXPECT_TRUE(bench.editor->loadedPhotos().empty());
    for (const std::string& call : bench.services->calls()) EXPECT_NE(call, "readPhotoFile");
}

TEST(PhotoLoading, NoAcceptedFileIsAnUnreadablePhotoAndStartsNothing) {
    Bench bench;
    bench.editor->addPhotos({QUrl::fromLocalFile("/photos/notes.txt"), QUrl()}, false, true);
    EXPECT_EQ(bench.editor->error(), AppError::unreadablePhoto());
    EXPECT_EQ(bench.editor->photoLoad(), 0);
    EXPECT_FALSE(bench.editor->isWorking());
    EXPECT_EQ(bench.runner.pendingCount(), 0u);
}

TEST(PhotoLoading, AnotherFacePhotoDropsTheDriverImagesOfTheLast) {
    Bench bench;
    bench.editor->addPhotos({bench.photoFile("a.jpg", 10, 20, 20)}, false, false);
    bench.runner.runAll();
    ASSERT_FALSE(bench.editor->driverImages().empty());
    bench.editor->addPhotos({bench.photoFile("b.jpg", 20, 20, 20)}, false, false);
    // The load ends; the new photo's rendering has not run yet.
    bench.runner.runNext();
    ASSERT_EQ(bench.editor->facePhotoData(), QByteArray("b.jpg20"));
    // Written now, a package would pair the new photo with the images of the last.
    EXPECT_TRUE(bench.editor->driverImages().empty());
    EXPECT_TRUE(bench.editor->imageWarnings().empty());
    bench.runner.runAll();
    EXPECT_EQ(bench.editor->driverImages().at(homey_project::DriverImageSize::small), QByteArray("png b.jpg20"));
}

TEST(PhotoLoading, TheSameFacePhotoAgainKeepsWhatCameOfIt) {
    Bench bench;
    const QUrl face = bench.photoFile("face.jpg", 10, 20, 20);
    bench.editor->addPhotos({face}, false, false);
    bench.runner.runAll();
    const std::vector<Vector2> corners{{1, 1}, {30, 1}, {30, 30}, {1, 30}};
    bench.editor->setCorners(corners);
    ProposedDetail proposal{QUuid::createUuid(),
                            DetectedFeature{DetectedFeature::Dot{{0, 0}, 0.1}},
                            FaceDetail::indicator({0, 0}, 2, {}),
                            {},
                            true};
    bench.editor->setProposals({proposal});
    const auto images = bench.editor->driverImages();
    QSignalSpy faces(bench.editor.get(), &DriverEditor::facePhotoChanged);

    bench.editor->addPhotos({face}, false, true);
    bench.runner.runAll();
    EXPECT_EQ(faces.count(), 0);
    EXPECT_EQ(bench.editor->corners(), corners);
    EXPECT_EQ(bench.editor->proposals().size(), 1u);
    EXPECT_EQ(bench.editor->driverImages(), images);
}

TEST(PhotoRoleChanges, MoveTheFaceAndTheProfile) {
    Bench bench;
    bench.editor->addPhotos({bench.photoFile("a.jpg", 10, 30, 20), bench.photoFile("b.jpg", 20, 20, 20),
                             bench.photoFile("c.jpg", 30, 10, 30)},
                            false, false);
    bench.runner.runAll();
    ASSERT_EQ(bench.roles(), (std::vector<Role>{Role::face, Role::spare, Role::profile}));
    const QUuid b = bench.editor->loadedPhotos()[1].id;

    bench.editor->setPhotoRole(b, Role::face);
    EXPECT_EQ(bench.roles(), (std::vector<Role>{Role::spare, Role::face, Role::profile}));
    EXPECT_EQ(bench.editor->facePhotoData(), QByteArray("b.jpg20"));
    EXPECT_TRUE(bench.editor->isWorking());  // the detection after the new face photo
    bench.runner.runAll();
    EXPECT_FALSE(bench.editor->isWorking());

    // Spare leaves the others alone; the profile photo gives way.
    bench.editor->setPhotoRole(bench.editor->loadedPhotos()[2].id, Role::spare);
    EXPECT_EQ(bench.roles(), (std::vector<Role>{Role::spare, Role::face, Role::spare}));
    bench.editor->setPhotoRole(bench.editor->loadedPhotos()[0].id, Role::profile);
    EXPECT_EQ(bench.roles(), (std::vector<Role>{Role::profile, Role::face, Role::spare}));
    EXPECT_DOUBLE_EQ(*bench.editor->profileDepthRatio(), 1.5);
    EXPECT_DOUBLE_EQ(bench.editor->depth(), 60);

    QSignalSpy photos(bench.editor.get(), &DriverEditor::loadedPhotosChanged);
    bench.editor->setPhotoRole(QUuid::createUuid(), Role::face);
    EXPECT_EQ(photos.count(), 0);
}

TEST(PhotoRoleChanges, MasksAreSharedNotCopied) {
    Bench bench;
    bench.editor->addPhotos({bench.photoFile("a.jpg", 10, 30, 20), bench.photoFile("b.jpg", 20, 20, 20)}, false, false);
    bench.runner.runAll();
    const auto masks = [&] {
        std::vector<const photo_analysis::SubjectMask*> result;
        for (const LoadedPhoto& photo : bench.editor->loadedPhotos()) result.push_back(photo.mask.get());
        return result;
    };
    const std::vector<const photo_analysis::SubjectMask*> loaded = masks();
    const std::size_t face = bench.roles()[0] == Role::face ? 0 : 1;
    const std::size_t other = 1 - face;
    EXPECT_EQ(bench.editor->faceMask().get(), loaded[face]);

    bench.editor->setPhotoRole(bench.editor->loadedPhotos()[other].id, Role::face);
    EXPECT_EQ(masks(), loaded);
    EXPECT_EQ(bench.editor->faceMask().get(), loaded[other]);
    bench.editor->applyPhotoRoles(false);
    EXPECT_EQ(masks(), loaded);
    bench.runner.runAll();

    // The import keeps the photo that is not the face, its mask with it.
    bench.editor->addPickedPhotos(bench.photoFile("c.jpg", 30, 24, 20));
    bench.runner.runAll();
    ASSERT_EQ(bench.editor->loadedPhotos().size(), 2u);
    EXPECT_EQ(bench.editor->loadedPhotos()[1].mask.get(), loaded[face]);
    EXPECT_EQ(bench.editor->faceMask().get(), bench.editor->loadedPhotos()[0].mask.get());
}

TEST(PhotoLoading, WorkingLastsUntilTheDriverImagesAreDrawn) {
    Bench bench;
    bench.editor->addPhotos({bench.photoFile("a.jpg", 10, 20, 20)}, false, false);
    bench.runner.runNext();  // the load
    ASSERT_TRUE(bench.editor->facePhoto());
    ASSERT_EQ(bench.runner.pendingCount(), 1u);  // the driver images
    EXPECT_TRUE(bench.editor->isWorking());
    bench.runner.runNext();
    EXPECT_FALSE(bench.editor->driverImages().empty());
    EXPECT_FALSE(bench.editor->isWorking());

    // A rendering dropped for a newer face photo still ends its work.
    bench.editor->renderDriverImages();
    EditorFields(*bench.editor).setFacePhoto(bench.editor->facePhoto());
    EXPECT_TRUE(bench.editor->isWorking());
    bench.runner.runAll();
    EXPECT_FALSE(bench.editor->isWorking());
}

TEST(PhotoRoleChanges, AProfileOnARevolvedBodyChangesNothing) {
    Bench bench(editor_testing::revolvedModel());
    bench.editor->addPhotos({bench.photoFile("a.jpg", 10, 20, 20), bench.photoFile("b.jpg", 20, 2, 30)}, false, true);
    bench.runner.runAll();
    EXPECT_EQ(bench.roles(), (std::vector<Role>{Role::face, Role::profile}));
    EXPECT_EQ(bench.editor->model(), editor_testing::revolvedModel());
    EXPECT_FALSE(bench.editor->profileDepthRatio());
    // No detection on a revolved body.
    EXPECT_FALSE(bench.editor->isWorking());
}

TEST(FacePhotoImport, KeepsTheOtherPhotosOnlyWhenItsLoadIsApplied) {
    Bench bench;
    bench.editor->addPhotos({bench.photoFile("a.jpg", 10, 20, 20), bench.photoFile("side.jpg", 20, 5, 30),
                             bench.photoFile("c.jpg", 30, 12, 12)},
                            false, false);
    bench.runner.runAll();
    ASSERT_EQ(bench.roles(), (std::vector<Role>{Role::face, Role::profile, Role::spare}));

    bench.editor->addPickedPhotos(bench.unreadableFile("broken.jpg"));
    bench.runner.runAll();
    EXPECT_EQ(bench.editor->error(), AppError::unreadablePhoto());
    EXPECT_EQ(bench.roles(), (std::vector<Role>{Role::face, Role::profile, Role::spare}));

    bench.editor->addPickedPhotos(bench.photoFile("new.jpg", 40, 20, 20));
    bench.runner.runAll();
    EXPECT_EQ(bench.roles(), (std::vector<Role>{Role::face, Role::profile, Role::spare}));
    EXPECT_EQ(bench.editor->loadedPhotos().front().data, QByteArray("new.jpg40"));
    EXPECT_EQ(bench.editor->facePhotoData(), QByteArray("new.jpg40"));
}

TEST(PhotoRoleChanges, AProfileFromTheProfileImportIsMeasuredAwayFromTheMainThread) {
    Bench bench;
    bench.editor->addPhotos({bench.photoFile("a.jpg", 10, 30, 20)}, false, false);
    bench.runner.runAll();
    bench.editor->loadPickedPhoto(bench.photoFile("side.jpg", 20, 10, 40));
    bench.runner.runAll();
    ASSERT_EQ(bench.roles(), (std::vector<Role>{Role::face, Role::profile}));
    bench.editor->setDepth(5);

    // Naming it the profile again takes the ratio measured with the import, in
    // the background: nothing is asked again.
    bench.services->forgetCalls();
    bench.editor->setPhotoRole(bench.editor->loadedPhotos()[1].id, Role::profile);
    EXPECT_EQ(bench.services->callCount(), 0u);
    EXPECT_EQ(bench.runner.pendingCount(), 0u);
    EXPECT_DOUBLE_EQ(bench.editor->depth(), 10);

    // A face photo import keeps the profile, measured already.
    bench.editor->addPickedPhotos(bench.photoFile("new.jpg", 30, 30, 20));
    bench.runner.runAll();
    ASSERT_EQ(bench.roles(), (std::vector<Role>{Role::face, Role::profile}));
    bench.editor->setDepth(5);
    bench.editor->setPhotoRole(bench.editor->loadedPhotos()[1].id, Role::profile);
    EXPECT_DOUBLE_EQ(bench.editor->depth(), 10);
}

TEST(SourcePhotoRestore, StoredCornersAreTakenOnlyWhenUsable) {
    struct Case {
        const char* name;
        std::vector<Vector2> stored;
        bool taken;
    };
    const std::vector<Case> cases{
        {"four points inside", {{0, 0}, {40, 0}, {40, 40}, {0, 40}}, true},
        {"three points", {{0, 0}, {40, 0}, {40, 40}}, false},
        {"five points", {{0, 0}, {40, 0}, {40, 40}, {0, 40}, {1, 1}}, false},
        {"a point that is not a number", {{0, 0}, {nan, 0}, {40, 40}, {0, 40}}, false},
        {"a point beyond the photo", {{0, 0}, {40.5, 0}, {40, 40}, {0, 40}}, false},
        {"a point above the photo", {{0, -1}, {40, 0}, {40, 40}, {0, 40}}, false},
    };
    for (const Case& c : cases) {
        Bench bench;
        bench.editor->loadSourcePhoto(bench.photoFile("photo-face.jpg", 10, 20, 20), c.stored);
        bench.runner.runAll();
        EXPECT_EQ(bench.editor->corners().empty(), !c.taken) << c.name;
        EXPECT_FALSE(bench.editor->hasUnwrittenChanges()) << c.name;
        EXPECT_EQ(bench.editor->savedPhotoData(), QByteArray("photo-face.jpg10")) << c.name;
        // The restore detects nothing.
        EXPECT_TRUE(bench.editor->proposals().empty()) << c.name;
    }
}

TEST(SourcePhotoRestore, AUserLoadThatSupersedesItStaysUnwritten) {
    for (const bool restoreFinishesFirst : {true, false}) {
        Bench bench;
        bench.editor->loadSourcePhoto(bench.photoFile("photo-face.jpg", 10, 20, 20), {});
        bench.editor->addPhotos({bench.photoFile("dropped.jpg", 20, 20, 20)}, false, false);
        bench.runner.runTask(restoreFinishesFirst ? 0 : 1);
        bench.runner.runAll();
        EXPECT_EQ(bench.editor->facePhotoData(), QByteArray("dropped.jpg20")) << restoreFinishesFirst;
        EXPECT_FALSE(bench.editor->savedPhotoData()) << restoreFinishesFirst;
        EXPECT_TRUE(bench.editor->hasUnwrittenChanges()) << restoreFinishesFirst;
    }
}

TEST(PhotoLoading, AnEditorDestroyedWithWorkPendingGetsNothing) {
    Bench bench;
    bench.editor->addPhotos({bench.photoFile("a.jpg", 10, 20, 20)}, false, true);
    bench.runner.runAll();
    bench.editor->addPhotos({bench.photoFile("b.jpg", 20, 20, 20)}, false, true);
    bench.editor->detectDetails(false);
    ASSERT_GT(bench.runner.pendingCount(), 0u);
    bench.editor.reset();
    bench.runner.runAll();
    EXPECT_EQ(bench.runner.pendingCount(), 0u);
}

struct DetectionBench : Bench {
    // The face photo is shade 10; its face maps face units to photo pixels at a
    // scale of 100 about (200, 100).
    explicit DetectionBench(std::vector<DetectedFeature> features, bool faceFound = true,
                            icon_geometry::IconModel model = roundedRectangleModel(80, 40))
        : Bench(std::move(model)) {
        PhotoServicesDouble::Script script;
        script.bytes = "face";
        script.photo = PhotoServicesDouble::plainPhoto(40, 40, 10);
        script.mask = PhotoServicesDouble::boxMask(40, 40, {0, 0, 20, 20});
        if (faceFound) {
            script.face = photo_analysis::FeatureDetection::Face{
                PhotoServicesDouble::plainPhoto(20, 10, 99), icon_geometry::FaceShape::roundedRectangle(2, 1, 0.1), 2,
                std::nullopt, photo_analysis::Homography{{100, 0, 200, 0, 100, 100, 0, 0, 1}}};
        }
        script.features = std::move(features);
        services->addFile("/photos/face.jpg", "face");
        services->addPhoto(script);
        services->detailOf = [](const DetectedFeature& feature, double width, double height, double aspect) {
            const auto& dot = std::get<DetectedFeature::Dot>(feature.value);
            return FaceDetail::indicator({dot.center.x * width / aspect, dot.center.y * height}, dot.diameter * height,
                                         {});
        };
        services->pathsOf = [](const DetectedFeature& feature) {
            const auto& dot = std::get<DetectedFeature::Dot>(feature.value);
            return std::vector<BezierPath>{BezierPath{{icon_geometry::Subpath{
                dot.center, {icon_geometry::PathSegment::line(dot.center + Vector2{0.1, 0})}, false}}}};
        };
        editor->addPhotos({QUrl::fromLocalFile("/photos/face.jpg")}, true, false);
        runner.runAll();
    }
};

DetectedFeature dot(double x, double y, double diameter = 0.05) {
    return DetectedFeature{DetectedFeature::Dot{{x, y}, diameter}};
}

TEST(DetailDetection, ProposesEachFeatureAsADetailWithItsPathOnThePhoto) {
    DetectionBench bench({dot(0.5, -0.25), dot(-0.5, 0.25)});
    ASSERT_TRUE(bench.editor->facePhoto());
    bench.services->forgetCalls();
    bench.editor->detectDetails(false);
    EXPECT_TRUE(bench.editor->isWorking());
    EXPECT_EQ(bench.services->callCount(), 0u);
    bench.runner.runAll();
    EXPECT_FALSE(bench.editor->isWorking());
    EXPECT_FALSE(bench.editor->error());
    const std::vector<ProposedDetail>& proposals = bench.editor->proposals();
    ASSERT_EQ(proposals.size(), 2u);
    // Face units to millimetres on the 80 × 40 face of a face photo of aspect 2.
    EXPECT_EQ(proposals[0].detail, FaceDetail::indicator({20, -10}, 2, {}));
    EXPECT_EQ(proposals[1].detail, FaceDetail::indicator({-20, 10}, 2, {}));
    EXPECT_EQ(proposals[0].feature, dot(0.5, -0.25));
    ASSERT_EQ(proposals[0].photoPaths.size(), 1u);
    const icon_geometry::Subpath& path = proposals[0].photoPaths[0].subpaths.at(0);
    EXPECT_NEAR(path.start.distance({250, 75}), 0, 1e-9);
    EXPECT_NEAR(path.segments.at(0).end().distance({260, 75}), 0, 1e-9);
    EXPECT_TRUE(proposals[0].isKept && proposals[1].isKept);
    EXPECT_NE(proposals[0].id, proposals[1].id);
}

TEST(DetailDetection, ReportsItsFailuresUnlessSilent) {
    struct Case {
        const char* name;
        bool faceFound;
        std::vector<DetectedFeature> features;
        bool silent;
        std::optional<AppError> error;
        std::size_t proposals;
    };
    const std::vector<Case> cases{
        {"no face found", false, {}, false, AppError::noFaceFound(), 1},
        {"no face found, silently", false, {}, true, std::nullopt, 1},
        {"no detail found", true, {}, false, AppError::noDetailFound(), 0},
        {"no detail found, silently", true, {}, true, std::nullopt, 0},
    };
    for (const Case& c : cases) {
        DetectionBench bench(c.features, c.faceFound);
        // Earlier proposals stay when no face is found, and go when the face has no detail.
        bench.editor->setProposals(
            {ProposedDetail{QUuid::createUuid(), dot(0, 0), FaceDetail::indicator({0, 0}, 1, {}), {}, true}});
        bench.editor->detectDetails(c.silent);
        bench.runner.runAll();
        EXPECT_EQ(bench.editor->error(), c.error) << c.name;
        EXPECT_EQ(bench.editor->proposals().size(), c.proposals) << c.name;
        EXPECT_FALSE(bench.editor->isWorking()) << c.name;
    }
}

TEST(DetailDetection, AFaceThatCouldNotBeLookedAtSaysWhyNotThatItHasNoDetail) {
    using Kind = photo_analysis::PhotoAnalysisError::Kind;
    struct Case {
        Kind failure;
        AppError error;
    };
    for (const Case& c : {Case{Kind::textRecognitionUnavailable, AppError::textRecognitionUnavailable()},
                          Case{Kind::tooManyMarks, AppError::tooManyMarks()},
                          Case{Kind::unreadableImage, AppError::unreadablePhoto()}}) {
        Bench bench;
        PhotoServicesDouble::Script script;
        script.bytes = "face";
        script.photo = PhotoServicesDouble::plainPhoto(40, 40, 10);
        script.mask = PhotoServicesDouble::boxMask(40, 40, {0, 0, 20, 20});
        script.face = photo_analysis::FeatureDetection::Face{PhotoServicesDouble::plainPhoto(20, 10, 99),
                                                             icon_geometry::FaceShape::roundedRectangle(2, 1, 0.1), 2,
                                                             std::nullopt, photo_analysis::Homography{}};
        script.detectionFailure = c.failure;
        bench.services->addFile("/photos/face.jpg", "face");
        bench.services->addPhoto(script);
        bench.editor->addPhotos({QUrl::fromLocalFile("/photos/face.jpg")}, true, false);
        bench.runner.runAll();
        ASSERT_TRUE(bench.editor->facePhoto());
        bench.editor->setError(std::nullopt);
        bench.editor->detectDetails(false);
        bench.runner.runAll();
        EXPECT_EQ(bench.editor->error(), c.error);
        EXPECT_FALSE(bench.editor->isWorking());
    }
}

TEST(DetailDetection, NeedsAFacePhotoOnAnExtrudedBody) {
    for (const bool silent : {false, true}) {
        Bench bench;
        bench.editor->detectDetails(silent);
        EXPECT_EQ(bench.editor->error(), silent ? std::nullopt : std::optional(AppError::noPhoto()));
        EXPECT_FALSE(bench.editor->isWorking());
        EXPECT_EQ(bench.runner.pendingCount(), 0u);

        DetectionBench revolved({dot(0, 0)}, true, editor_testing::revolvedModel());
        ASSERT_TRUE(revolved.editor->facePhoto());
        revolved.editor->detectDetails(silent);
        EXPECT_EQ(revolved.editor->error(), silent ? std::nullopt : std::optional(AppError::noPhoto()));
        EXPECT_EQ(revolved.runner.pendingCount(), 0u);
    }
}

TEST(DetailDetection, AReplacedFacePhotoDropsTheResult) {
    DetectionBench bench({dot(0.5, -0.25)});
    bench.editor->detectDetails(false);
    // The same photo assigned again still counts as a new face photo.
    EditorFields(*bench.editor).setFacePhoto(bench.editor->facePhoto());
    bench.runner.runAll();
    EXPECT_TRUE(bench.editor->proposals().empty());
    EXPECT_FALSE(bench.editor->error());
    EXPECT_FALSE(bench.editor->isWorking());
}

TEST(DetailDetection, AFaceFoundOnANewFacePhotoIsDetectedSilently) {
    DetectionBench bench({});
    const QUrl other = bench.photoFile("other.jpg", 30, 20, 20);
    bench.editor->addPhotos({other}, true, true);
    bench.runner.runAll();
    // Its face is not found: the automatic run says nothing.
    EXPECT_FALSE(bench.editor->error());
    EXPECT_FALSE(bench.editor->isWorking());
}

TEST(DetailDetection, TwoRunsEachPublishWhileTheFacePhotoStays) {
    DetectionBench bench({dot(0.5, -0.25)});
    bench.editor->detectDetails(false);
    bench.editor->detectDetails(true);
    bench.runner.runNext();
    EXPECT_TRUE(bench.editor->isWorking());
    EXPECT_EQ(bench.editor->proposals().size(), 1u);
    bench.runner.runNext();
    EXPECT_FALSE(bench.editor->isWorking());
}

}  // namespace
