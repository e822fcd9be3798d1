#include <gtest/gtest.h>

#include <QSignalSpy>
#include <cmath>
#include <limits>
#include <memory>

#include "editor_testing.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "glyphsmith_state_testing/photo_services_double.hpp"
#include "glyphsmith_state_testing/queued_task_runner.hpp"

using glyphsmith_state_testing::EditorFields;
using namespace glyphsmith_state;
using editor_testing::modelWithFace;
using editor_testing::revolvedModel;
using editor_testing::roundedRectangleModel;
using glyphsmith_state_testing::PhotoServicesDouble;
using glyphsmith_state_testing::QueuedTaskRunner;
using homey_project::DriverImageIssue;
using homey_project::DriverImageSize;
using icon_geometry::FaceShape;
using icon_geometry::Rect;
using icon_geometry::Vector2;
using photo_analysis::Photo;

namespace {

constexpr double nan = std::numeric_limits<double>::quiet_NaN();

// A 1000 × 800 photo whose subject box is 300 × 600 pixels centred at (500, 400).
struct FacePhotoSetup : ::testing::Test {
    std::shared_ptr<PhotoServicesDouble> services = std::make_shared<PhotoServicesDouble>();
    QueuedTaskRunner runner;
    Photo photo = PhotoServicesDouble::plainPhoto(1000, 800, 10);
    photo_analysis::SubjectMask mask = PhotoServicesDouble::boxMask(1000, 800, {350, 100, 300, 600});

    PhotoWork work() { return {services, &runner}; }
    std::unique_ptr<DriverEditor> editorWith(icon_geometry::IconModel model, bool withMask = true) {
        auto editor = std::make_unique<DriverEditor>(std::move(model), work());
        EditorFields(*editor).setFacePhoto(photo);
        if (withMask) EditorFields(*editor).setFaceMask(mask);
        return editor;
    }
};

// Corners of the axis-aligned 400 × 200 pixel rectangle from (100, 100), in click order.
const std::vector<Vector2> rectangleCorners{{100, 100}, {500, 100}, {500, 300}, {100, 300}};

void expectNear(Vector2 actual, Vector2 expected) {
    EXPECT_NEAR(actual.x, expected.x, 1e-6);
    EXPECT_NEAR(actual.y, expected.y, 1e-6);
}

// ----- Clicks on the face photo -----

using FacePoint = FacePhotoSetup;

TEST_F(FacePoint, WithoutFourCornersTheSubjectBoxIsTheFace) {
    for (std::size_t count : {0, 3, 5}) {
        auto editor = editorWith(roundedRectangleModel(40, 60));
        std::vector<Vector2> corners(rectangleCorners.begin(),
                                     rectangleCorners.begin() + std::min<std::size_t>(count, 4));
        if (count == 5) corners.push_back({600, 600});
        editor->setCorners(corners);
        EXPECT_FALSE(editor->rectification()) << count;
        const std::optional<Vector2> point = editor->facePoint(650, 400);
        ASSERT_TRUE(point) << count;
        expectNear(*point, {15, 0});
        expectNear(*editor->facePoint(500, 100), {0, -30});
    }
}

TEST_F(FacePoint, FourCornersMapThroughTheirRectification) {
    auto editor = editorWith(roundedRectangleModel(80, 50));
    editor->setKeepEnteredAspect(false);
    editor->setCorners(rectangleCorners);
    ASSERT_TRUE(editor->rectification());
    EXPECT_NEAR(editor->rectification()->aspectRatio, 2, 1e-9);
    expectNear(*editor->facePoint(300, 200), {0, 0});
    expectNear(*editor->facePoint(500, 300), {50, 25});
    // The entered aspect, kept, shapes the frame: 80 ÷ 50.
    editor->setKeepEnteredAspect(true);
    EXPECT_NEAR(editor->rectification()->aspectRatio, 1.6, 1e-9);
    expectNear(*editor->facePoint(500, 300), {40, 25});
}

TEST_F(FacePoint, NoPhotoOrNoSubjectGivesNoPoint) {
    DriverEditor bare(roundedRectangleModel(40, 60), work());
    EXPECT_FALSE(bare.facePoint(10, 10));
    auto editor = editorWith(roundedRectangleModel(40, 60), false);
    EXPECT_FALSE(editor->facePoint(10, 10));
    EditorFields(*editor).setFaceMask(PhotoServicesDouble::boxMask(1000, 800, {0, 0, 0, 0}));
    EXPECT_FALSE(editor->facePoint(10, 10));
}

TEST_F(FacePoint, ThePlaceToolAddsAtTheFacePointAndEnds) {
    auto editor = editorWith(roundedRectangleModel(40, 60));
    editor->setTool(PhotoTool::place(DetailTemplate::indicator));
    editor->handlePhotoClick(650, 400);
    EXPECT_EQ(editor->tool(), PhotoTool::none());
    ASSERT_EQ(editor->model().primaryBody().details.size(), 1u);
    expectNear(editor->model().primaryBody().details[0].center(), {15, 0});

    // Far off the photo the point leaves the model's bounds: nothing is added.
    editor->setTool(PhotoTool::place(DetailTemplate::indicator));
    editor->handlePhotoClick(1e9, 400);
    EXPECT_EQ(editor->tool(), PhotoTool::none());
    EXPECT_EQ(editor->model().primaryBody().details.size(), 1u);

    // Without any face point the tool ends all the same.
    auto blind = editorWith(roundedRectangleModel(40, 60), false);
    blind->setTool(PhotoTool::place(DetailTemplate::roundButton));
    blind->handlePhotoClick(650, 400);
    EXPECT_EQ(blind->tool(), PhotoTool::none());
    EXPECT_TRUE(blind->model().primaryBody().details.empty());
}

TEST_F(FacePoint, TheCornersToolEndsAtTheFourthClick) {
    for (const bool revolved : {false, true}) {
        auto editor = editorWith(revolved ? revolvedModel() : roundedRectangleModel(80, 50), false);
        const auto before = editor->model();
        editor->setKeepEnteredAspect(false);
        editor->setTool(PhotoTool::corners());
        for (std::size_t i = 0; i < 3; ++i) {
            editor->handlePhotoClick(rectangleCorners[i].x, rectangleCorners[i].y);
            EXPECT_EQ(editor->tool(), PhotoTool::corners());
        }
        EXPECT_EQ(editor->model(), before);
        editor->handlePhotoClick(rectangleCorners[3].x, rectangleCorners[3].y);
        EXPECT_EQ(editor->tool(), PhotoTool::none());
        EXPECT_EQ(editor->corners(), rectangleCorners);
        // A revolved main body has no face to fit.
        if (revolved)
            EXPECT_EQ(editor->model(), before);
        else
            EXPECT_EQ(editor->model().primaryBody().face, FaceShape::roundedRectangle(100, 50, 0));
        EXPECT_FALSE(editor->error());
    }
}

// ----- The corner fit -----

using CornerFit = FacePhotoSetup;

TEST_F(CornerFit, FollowsTheCornersAspectAtTheFaceHeight) {
    struct Case {
        const char* name;
        bool withMask;
        std::optional<std::vector<Vector2>> boundary;
        std::optional<std::optional<double>> rho;
        FaceShape expected;
    };
    const std::vector<Case> cases{
        {"no mask: square corners", false, std::nullopt, std::nullopt, FaceShape::roundedRectangle(100, 50, 0)},
        {"too few points: the fallback radius", true, std::vector<Vector2>{{100, 100}}, std::nullopt,
         FaceShape::roundedRectangle(100, 50, 4)},
        {"a fitted radius, × H", true, std::nullopt, std::optional<double>(0.1),
         FaceShape::roundedRectangle(100, 50, 5)},
        {"no radius fitted", true, std::nullopt, std::optional<double>(), FaceShape::roundedRectangle(100, 50, 4)},
        {"an unbounded radius is clamped", true, std::nullopt, std::optional<double>(1e9),
         FaceShape::roundedRectangle(100, 50, 10000)},
    };
    for (const Case& c : cases) {
        services->boundaryAnswer = c.boundary;
        services->cornerRadiusAnswer = c.rho;
        auto editor = editorWith(roundedRectangleModel(80, 50), c.withMask);
        editor->setKeepEnteredAspect(false);
        editor->setCorners(rectangleCorners);
        editor->fitFaceToCorners();
        if (c.withMask) {
            // The outline is read in the background.
            EXPECT_EQ(editor->model(), roundedRectangleModel(80, 50)) << c.name;
            runner.runAll();
        }
        EXPECT_EQ(editor->model().primaryBody().face, c.expected) << c.name;
        EXPECT_EQ(editor->corners(), rectangleCorners) << c.name;
        EXPECT_EQ(editor->model().primaryBody().depth, 20) << c.name;
    }
}

TEST_F(CornerFit, TheEnteredAspectKeepsTheWidth) {
    auto editor = editorWith(roundedRectangleModel(80, 50), false);
    editor->setCorners(rectangleCorners);
    editor->fitFaceToCorners();
    EXPECT_EQ(editor->model().primaryBody().face, FaceShape::roundedRectangle(80, 50, 0));
}

TEST_F(CornerFit, KeepsOnlyTheBoundaryPointsNearTheFace) {
    // Face frame: aspect 2, so |x| ≤ 1.04 and |y| ≤ 0.52 are kept.
    services->boundaryAnswer =
        std::vector<Vector2>{{300, 200}, {508, 200}, {509, 200}, {300, 304}, {300, 305}, {nan, 200}};
    services->cornerRadiusAnswer.reset();
    auto editor = editorWith(roundedRectangleModel(80, 50));
    editor->setKeepEnteredAspect(false);
    editor->setCorners(rectangleCorners);
    editor->fitFaceToCorners();
    runner.runAll();
    // Three points are kept, too few for a radius: the fallback.
    EXPECT_EQ(editor->model().primaryBody().face, FaceShape::roundedRectangle(100, 50, 4));
}

TEST_F(CornerFit, WithoutFourCornersTheModelStays) {
    for (std::size_t count : {0, 3, 5}) {
        auto editor = editorWith(roundedRectangleModel(80, 50));
        std::vector<Vector2> corners(rectangleCorners.begin(),
                                     rectangleCorners.begin() + std::min<std::size_t>(count, 4));
        if (count == 5) corners.push_back({600, 600});
        editor->setCorners(corners);
        editor->fitFaceToCorners();
        runner.runAll();
        EXPECT_EQ(editor->error(), AppError::cornersNeedFourPoints()) << count;
        EXPECT_EQ(editor->model(), roundedRectangleModel(80, 50)) << count;
    }
    // Corners with a NaN, or a photo gone, give no rectification either.
    auto editor = editorWith(roundedRectangleModel(80, 50));
    editor->setCorners({{100, 100}, {nan, 100}, {500, 300}, {100, 300}});
    editor->fitFaceToCorners();
    EXPECT_EQ(editor->error(), AppError::cornersNeedFourPoints());
    editor->setError(std::nullopt);
    editor->setCorners(rectangleCorners);
    EditorFields(*editor).setFacePhoto(std::nullopt);
    editor->fitFaceToCorners();
    EXPECT_EQ(editor->error(), AppError::cornersNeedFourPoints());
}

TEST_F(CornerFit, AWideFaceOnATallModelStopsAtTheWidthLimit) {
    photo = PhotoServicesDouble::plainPhoto(2200, 300, 10);
    auto editor = editorWith(roundedRectangleModel(100, 10000), false);
    editor->setKeepEnteredAspect(false);
    editor->setCorners({{100, 100}, {2100, 100}, {2100, 200}, {100, 200}});
    editor->fitFaceToCorners();
    EXPECT_EQ(editor->model().primaryBody().face, FaceShape::roundedRectangle(10000, 10000, 0));
}

TEST_F(CornerFit, AFitForAnotherPhotoOrOtherCornersIsDropped) {
    services->cornerRadiusAnswer = std::optional<double>(0.1);
    auto editor = editorWith(roundedRectangleModel(80, 50));
    editor->setKeepEnteredAspect(false);
    editor->setCorners(rectangleCorners);
    editor->fitFaceToCorners();
    EditorFields(*editor).setFacePhoto(photo);  // the same photo again still replaces it
    runner.runAll();
    EXPECT_EQ(editor->model(), roundedRectangleModel(80, 50));

    editor->setCorners(rectangleCorners);
    editor->fitFaceToCorners();
    editor->setCorners({});
    runner.runAll();
    EXPECT_EQ(editor->model(), roundedRectangleModel(80, 50));
}

TEST_F(CornerFit, BothFitsCountAsWorkUntilTheyEnd) {
    services->cornerRadiusAnswer = std::optional<double>(0.1);
    services->bestFitAnswer = photo_analysis::FaceFit{
        photo_analysis::FaceFit::Kind::ellipse, FaceShape::ellipse(400, 200), {500, 400}, 0.3, 1.5};
    auto editor = editorWith(roundedRectangleModel(80, 50));
    QSignalSpy working(editor.get(), &DriverEditor::isWorkingChanged);
    editor->setCorners(rectangleCorners);
    editor->fitFaceToCorners();
    editor->fitFaceOutline();
    EXPECT_TRUE(editor->isWorking());
    runner.runNext();
    EXPECT_TRUE(editor->isWorking());
    runner.runNext();
    EXPECT_FALSE(editor->isWorking());
    EXPECT_EQ(working.count(), 2);

    // A fit dropped for another photo ends its work too.
    editor->fitFaceOutline();
    EditorFields(*editor).setFacePhoto(photo);
    runner.runAll();
    EXPECT_FALSE(editor->isWorking());
}

TEST_F(CornerFit, TheFitTakesTheHeightEnteredWhileItRan) {
    services->cornerRadiusAnswer = std::optional<double>(0.1);
    auto editor = editorWith(roundedRectangleModel(80, 50));
    editor->setKeepEnteredAspect(false);
    editor->setCorners(rectangleCorners);
    editor->fitFaceToCorners();
    editor->setFaceHeight(100);
    runner.runAll();
    EXPECT_EQ(editor->model().primaryBody().face, FaceShape::roundedRectangle(200, 100, 10));
}

// ----- The outline fit -----

using OutlineFit = FacePhotoSetup;

photo_analysis::FaceFit fitOf(FaceShape shape) {
    return {photo_analysis::FaceFit::Kind::ellipse, std::move(shape), {500, 400}, 0.3, 1.5};
}

TEST_F(OutlineFit, TheFaceTakesTheFitsKindAndProportionsAtItsHeight) {
    struct Case {
        FaceShape fit;
        FaceShape expected;
    };
    const std::vector<Case> cases{
        {FaceShape::ellipse(400, 200), FaceShape::ellipse(120, 60)},
        {FaceShape::roundedRectangle(300, 600, 30), FaceShape::roundedRectangle(30, 60, 3)},
        {FaceShape::capsule(600, 200), FaceShape::capsule(180, 60)},
        // Sizes the face setters refuse are clamped.
        {FaceShape::ellipse(1e6, 2), FaceShape::ellipse(10000, 60)},
    };
    for (const Case& c : cases) {
        services->bestFitAnswer = fitOf(c.fit);
        auto editor = editorWith(modelWithFace(FaceShape::roundedRectangle(40, 60, 2)));
        editor->fitFaceOutline();
        EXPECT_EQ(editor->model().primaryBody().face, FaceShape::roundedRectangle(40, 60, 2));
        runner.runAll();
        EXPECT_EQ(editor->model().primaryBody().face, c.expected);
        EXPECT_FALSE(editor->error());
    }
}

// A superellipse's outline reaches slightly past its stored sizes: its outline,
// not its sizes, takes the face height.
TEST_F(OutlineFit, ASuperellipseKeepsItsExponentAndTakesTheHeightByItsOutline) {
    for (const auto& [exponent, kept] : std::vector<std::pair<double, double>>{{3.5, 3.5}, {500, 100}}) {
        services->bestFitAnswer = fitOf(FaceShape::superellipse(200, 200, exponent));
        auto editor = editorWith(roundedRectangleModel(40, 60));
        editor->fitFaceOutline();
        runner.runAll();
        const FaceShape face = editor->model().primaryBody().face;
        ASSERT_EQ(face.caseIndex(), 1u);
        const auto& fitted = std::get<FaceShape::Superellipse>(face.value);
        EXPECT_EQ(fitted.exponent, kept);
        EXPECT_EQ(fitted.width, fitted.height);
        EXPECT_NEAR(editor->faceHeight(), 60, 1e-9);
    }
}

TEST_F(OutlineFit, TheFitTakesTheHeightEnteredWhileItRan) {
    services->bestFitAnswer = fitOf(FaceShape::ellipse(400, 200));
    auto editor = editorWith(roundedRectangleModel(40, 60));
    editor->fitFaceOutline();
    editor->setFaceHeight(80);
    runner.runAll();
    EXPECT_EQ(editor->model().primaryBody().face, FaceShape::ellipse(160, 80));
}

TEST_F(OutlineFit, NoMaskOrNoFitIsNoPhoto) {
    auto editor = editorWith(roundedRectangleModel(40, 60), false);
    editor->fitFaceOutline();
    EXPECT_EQ(editor->error(), AppError::noPhoto());
    EXPECT_EQ(runner.pendingCount(), 0u);

    services->bestFitAnswer = std::optional<photo_analysis::FaceFit>();
    auto fitless = editorWith(roundedRectangleModel(40, 60));
    fitless->fitFaceOutline();
    runner.runAll();
    EXPECT_EQ(fitless->error(), AppError::noPhoto());
    EXPECT_EQ(fitless->model(), roundedRectangleModel(40, 60));
}

TEST_F(OutlineFit, ARevolvedMainBodyStaysAsItIs) {
    services->bestFitAnswer = fitOf(FaceShape::ellipse(400, 200));
    auto editor = editorWith(revolvedModel());
    editor->fitFaceOutline();
    runner.runAll();
    EXPECT_EQ(editor->model(), revolvedModel());
    EXPECT_FALSE(editor->error());
}

// ----- Driver images -----

using DriverImages = FacePhotoSetup;

PhotoServicesDouble::DriverImage imageOf(const char* png, std::vector<DriverImageIssue> findings, double upscale) {
    return {QByteArray(png), std::move(findings), upscale};
}

TEST_F(DriverImages, SizesInOrderFindingsBeforeUpscaling) {
    PhotoServicesDouble::Script script{QByteArray("face"), photo, mask, {}, {}, {}, {}, {}};
    script.images = {
        {DriverImageSize::small, imageOf("small", {}, 0.7)},
        {DriverImageSize::large, imageOf("large", {DriverImageIssue::backgroundNotWhite(0.2)}, 4.2)},
        {DriverImageSize::xlarge, imageOf("xlarge", {DriverImageIssue::wrongSize(1, 1, 1000)}, 8.4)},
    };
    services->addPhoto(script);
    auto editor = editorWith(roundedRectangleModel(40, 60));
    bool done = false;
    editor->renderDriverImages([&] { done = true; });
    EXPECT_FALSE(done);
    runner.runAll();
    EXPECT_TRUE(done);
    const DriverEditor::DriverImages expected{{DriverImageSize::small, QByteArray("small")},
                                              {DriverImageSize::large, QByteArray("large")},
                                              {DriverImageSize::xlarge, QByteArray("xlarge")}};
    EXPECT_EQ(editor->driverImages(), expected);
    const std::vector<DriverImageIssue> warnings{
        DriverImageIssue::backgroundNotWhite(0.2), DriverImageIssue::upscaled(4.2),
        DriverImageIssue::wrongSize(1, 1, 1000), DriverImageIssue::upscaled(8.4)};
    EXPECT_EQ(editor->imageWarnings(), warnings);
}

TEST_F(DriverImages, ASizeThatFailsIsMissingWithoutWarning) {
    PhotoServicesDouble::Script script{QByteArray("face"), photo, mask, {}, {}, {}, {}, {}};
    script.images = {{DriverImageSize::small, imageOf("small", {}, 2.0)},
                     {DriverImageSize::xlarge, imageOf("xlarge", {}, 2.0)}};
    services->addPhoto(script);
    auto editor = editorWith(roundedRectangleModel(40, 60));
    editor->renderDriverImages();
    runner.runAll();
    EXPECT_EQ(editor->driverImages().size(), 2u);
    EXPECT_FALSE(editor->driverImages().contains(DriverImageSize::large));
    // Exactly twice is not upscaled.
    EXPECT_TRUE(editor->imageWarnings().empty());
    EXPECT_FALSE(editor->error());
}

TEST_F(DriverImages, NothingToRenderLeavesTheImagesAlone) {
    const DriverEditor::DriverImages earlier{{DriverImageSize::small, QByteArray("old")}};
    for (const bool withPhoto : {false, true}) {
        DriverEditor editor(roundedRectangleModel(40, 60), work());
        if (withPhoto) EditorFields(editor).setFacePhoto(photo);  // a photo without its mask
        EditorFields(editor).setDriverImages(earlier);
        bool done = false;
        editor.renderDriverImages([&] { done = true; });
        EXPECT_TRUE(done);
        EXPECT_EQ(runner.pendingCount(), 0u);
        EXPECT_EQ(editor.driverImages(), earlier);
    }
}

TEST_F(DriverImages, TheImagesOfAReplacedPhotoAreDropped) {
    const Photo other = PhotoServicesDouble::plainPhoto(1000, 800, 20);
    PhotoServicesDouble::Script first{QByteArray("first"), photo, mask, {}, {}, {}, {}, {}};
    first.images = {{DriverImageSize::small, imageOf("first", {}, 1)}};
    PhotoServicesDouble::Script second{QByteArray("second"), other, mask, {}, {}, {}, {}, {}};
    second.images = {{DriverImageSize::small, imageOf("second", {}, 1)}};
    services->addPhoto(first);
    services->addPhoto(second);

    auto editor = editorWith(roundedRectangleModel(40, 60));
    bool firstDone = false;
    editor->renderDriverImages([&] { firstDone = true; });
    EditorFields(*editor).setFacePhoto(other);
    editor->renderDriverImages();
    // The new photo's rendering finishes first, the old one's after it.
    runner.runTask(1);
    runner.runTask(0);
    EXPECT_FALSE(firstDone);
    EXPECT_EQ(editor->driverImages(), (DriverEditor::DriverImages{{DriverImageSize::small, QByteArray("second")}}));
}

// ----- The profile import -----

using ProfileImport = FacePhotoSetup;

struct ProfileFiles {
    Photo side = PhotoServicesDouble::plainPhoto(40, 120, 30);

    void addTo(PhotoServicesDouble& services) const {
        services.addFile(QStringLiteral("/photos/side.jpg"), QByteArray("side"));
        services.addPhoto({QByteArray("side"), side, PhotoServicesDouble::boxMask(40, 120, {5, 0, 30, 120})});
    }
};

TEST_F(ProfileImport, TheSubjectsProportionsGiveTheDepth) {
    ProfileFiles files;
    files.addTo(*services);
    DriverEditor editor(roundedRectangleModel(60, 80), work());
    LoadedPhoto earlier;
    earlier.role = LoadedPhoto::Role::profile;
    EditorFields(editor).setLoadedPhotos({earlier});
    editor.loadPickedPhoto(QUrl::fromLocalFile(QStringLiteral("/photos/side.jpg")));
    EXPECT_TRUE(editor.isWorking());
    EXPECT_EQ(services->callCount(), 0u);
    runner.runAll();
    EXPECT_FALSE(editor.isWorking());
    EXPECT_EQ(editor.profileDepthRatio(), 0.25);
    EXPECT_EQ(editor.depth(), 20);
    ASSERT_EQ(editor.loadedPhotos().size(), 2u);
    EXPECT_EQ(editor.loadedPhotos()[0].role, LoadedPhoto::Role::spare);
    const LoadedPhoto& added = editor.loadedPhotos()[1];
    EXPECT_EQ(added.role, LoadedPhoto::Role::profile);
    EXPECT_EQ(added.data, QByteArray("side"));
    EXPECT_EQ(added.photo, files.side);
    EXPECT_FALSE(added.faceCoverage);
    EXPECT_FALSE(editor.error());
    // The file was read once and decoded from those bytes.
    EXPECT_EQ(services->calls(),
              (std::vector<std::string>{"readPhotoFile", "decodePhoto", "subjectMask", "profileRatio"}));
}

TEST_F(ProfileImport, WorkingLastsUntilTheLastPhotoJobEnds) {
    ProfileFiles files;
    files.addTo(*services);
    services->addPhoto({QByteArray("face"), photo, mask});
    auto editor = editorWith(roundedRectangleModel(60, 80));
    editor->loadPickedPhoto(QUrl::fromLocalFile(QStringLiteral("/photos/side.jpg")));
    editor->detectDetails(true);
    ASSERT_EQ(runner.pendingCount(), 2u);
    runner.runTask(1);
    EXPECT_TRUE(editor->isWorking());
    runner.runAll();
    EXPECT_FALSE(editor->isWorking());
    EXPECT_EQ(editor->loadedPhotos().size(), 1u);
}

TEST_F(ProfileImport, AnUnboundedRatioGoesThroughTheDepthLimit) {
    ProfileFiles files;
    files.addTo(*services);
    services->profileRatioAnswer = std::optional<double>(1e9);
    DriverEditor editor(roundedRectangleModel(60, 80), work());
    editor.loadPickedPhoto(QUrl::fromLocalFile(QStringLiteral("/photos/side.jpg")));
    runner.runAll();
    EXPECT_EQ(editor.depth(), 10000);
}

TEST_F(ProfileImport, ARevolvedModelOrNoRatioKeepsTheDepth) {
    ProfileFiles files;
    files.addTo(*services);
    DriverEditor revolved(revolvedModel(), work());
    revolved.loadPickedPhoto(QUrl::fromLocalFile(QStringLiteral("/photos/side.jpg")));
    runner.runAll();
    EXPECT_EQ(revolved.model(), revolvedModel());
    EXPECT_FALSE(revolved.profileDepthRatio());
    ASSERT_EQ(revolved.loadedPhotos().size(), 1u);
    EXPECT_EQ(revolved.loadedPhotos()[0].role, LoadedPhoto::Role::profile);

    services->profileRatioAnswer = std::optional<double>();
    DriverEditor boxless(roundedRectangleModel(60, 80), work());
    EditorFields(boxless).setProfileDepthRatio(0.5);
    boxless.loadPickedPhoto(QUrl::fromLocalFile(QStringLiteral("/photos/side.jpg")));
    runner.runAll();
    EXPECT_EQ(boxless.profileDepthRatio(), 0.5);
    EXPECT_EQ(boxless.depth(), 20);
    EXPECT_EQ(boxless.loadedPhotos().size(), 1u);
}

TEST_F(ProfileImport, AFailureLeavesThePhotosAndTheModel) {
    ProfileFiles files;
    files.addTo(*services);
    services->addFile(QStringLiteral("/photos/blank.png"), QByteArray("blank"));
    services->addPhoto({QByteArray("blank"), PhotoServicesDouble::plainPhoto(10, 10, 40), std::nullopt});
    services->addFile(QStringLiteral("/photos/text.jpg"), QByteArray("not a photo"));
    const std::vector<std::pair<QString, AppError>> cases{
        {QStringLiteral("/photos/missing.jpg"), AppError::unreadablePhoto()},
        {QStringLiteral("/photos/text.jpg"), AppError::unreadablePhoto()},
        {QStringLiteral("/photos/blank.png"), AppError::noSubjectFound()},
    };
    for (const auto& [path, error] : cases) {
        DriverEditor editor(roundedRectangleModel(60, 80), work());
        editor.loadPickedPhoto(QUrl::fromLocalFile(path));
        runner.runAll();
        EXPECT_EQ(editor.error(), error) << path.toStdString();
        EXPECT_FALSE(editor.isWorking());
        EXPECT_TRUE(editor.loadedPhotos().empty());
        EXPECT_EQ(editor.model(), roundedRectangleModel(60, 80));
        EXPECT_FALSE(editor.profileDepthRatio());
    }
}

// ----- Work in the background -----

using BackgroundWork = FacePhotoSetup;

TEST_F(BackgroundWork, TheMainThreadAnalysesNothing) {
    ProfileFiles files;
    files.addTo(*services);
    services->addPhoto({QByteArray("face"), photo, mask});
    services->bestFitAnswer = fitOf(FaceShape::ellipse(400, 200));
    auto editor = editorWith(roundedRectangleModel(80, 50));
    editor->renderDriverImages();
    editor->fitFaceOutline();
    editor->setCorners(rectangleCorners);
    editor->fitFaceToCorners();
    editor->loadPickedPhoto(QUrl::fromLocalFile(QStringLiteral("/photos/side.jpg")));
    editor->facePoint(650, 400);
    EXPECT_EQ(services->callCount(), 0u);
    EXPECT_EQ(runner.pendingCount(), 4u);
    for (std::size_t i = 0; i < runner.pendingCount(); ++i)
        EXPECT_EQ(runner.priorityAt(i), TaskPriority::userInitiated);
    runner.runAll();
    EXPECT_GT(services->callCount(), 0u);
}

TEST_F(BackgroundWork, AnEditorDestroyedWithWorkPendingGetsNothing) {
    ProfileFiles files;
    files.addTo(*services);
    services->addPhoto({QByteArray("face"), photo, mask});
    services->bestFitAnswer = fitOf(FaceShape::ellipse(400, 200));
    auto editor = editorWith(roundedRectangleModel(80, 50));
    editor->renderDriverImages([] { FAIL() << "delivered to a destroyed editor"; });
    editor->fitFaceOutline();
    editor->loadPickedPhoto(QUrl::fromLocalFile(QStringLiteral("/photos/side.jpg")));
    editor.reset();
    runner.runAll();
    EXPECT_EQ(runner.pendingCount(), 0u);
}

TEST_F(BackgroundWork, AnEditorWithoutServicesLeavesPhotoWorkUndone) {
    DriverEditor editor(roundedRectangleModel(80, 50));
    EditorFields(editor).setFacePhoto(photo);
    EditorFields(editor).setFaceMask(mask);
    editor.fitFaceOutline();
    editor.loadPickedPhoto(QUrl::fromLocalFile(QStringLiteral("/photos/side.jpg")));
    bool done = false;
    editor.renderDriverImages([&] { done = true; });
    EXPECT_TRUE(done);
    EXPECT_FALSE(editor.isWorking());
    EXPECT_EQ(editor.model(), roundedRectangleModel(80, 50));
}

}  // namespace
