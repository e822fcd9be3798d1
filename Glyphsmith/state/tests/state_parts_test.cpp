// The parts behind the editor and the store, each on its own.

#include <gtest/gtest.h>

#include "editor/face_shapes.hpp"
#include "editor/photo_roles.hpp"
#include "editor/photo_session.hpp"
#include "editor_testing.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "glyphsmith_state_testing/photo_services_double.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "store/driver_package.hpp"
#include "store/editor_registry.hpp"
#include "store/report_requests.hpp"

using glyphsmith_state_testing::EditorFields;
using namespace glyphsmith_state;
using icon_geometry::FaceShape;

namespace {

TEST(FaceShapes, TheKindIsReadByTheShapesName) {
    for (ShapeKind::Case kind : ShapeKind::allCases) {
        EXPECT_EQ(shapeKindOf(faceOfKind(kind, 80, 40)), ShapeKind(kind)) << ShapeKind(kind).rawValue();
        EXPECT_EQ(storedFaceSize(faceOfKind(kind, 80, 40)).width, 80);
    }
    EXPECT_EQ(shapeKindOf(FaceShape::roundedPolygon({{0, 0}, {10, 0}, {0, 10}}, 1)), ShapeKind::roundedRectangle);
}

TEST(FaceShapes, OnlyARadiusOrAnExponentCanBeSet) {
    EXPECT_EQ(withShapeParameter(FaceShape::roundedRectangle(80, 40, 4), -1), FaceShape::roundedRectangle(80, 40, 0));
    EXPECT_EQ(withShapeParameter(FaceShape::superellipse(80, 40, 4), 500), FaceShape::superellipse(80, 40, 100));
    EXPECT_FALSE(withShapeParameter(FaceShape::ellipse(80, 40), 3));
    EXPECT_FALSE(withShapeParameter(FaceShape::capsule(80, 40), 3));
    EXPECT_FALSE(withShapeParameter(FaceShape::roundedPolygon({{0, 0}, {10, 0}, {0, 10}}, 1), 3));
}

TEST(PhotoRoles, UsableCornersLieOnThePhoto) {
    const photo_analysis::Photo photo(10, 20, std::vector<std::uint8_t>(10 * 20 * 4, 255));
    EXPECT_TRUE(areUsableCorners({{0, 0}, {10, 0}, {10, 20}, {0, 20}}, photo));
    EXPECT_FALSE(areUsableCorners({{0, 0}, {10.5, 0}, {10, 20}, {0, 20}}, photo));
    EXPECT_FALSE(areUsableCorners({{0, 0}, {10, 0}, {10, 20}}, photo));
    EXPECT_FALSE(areUsableCorners({{0, 0}, {10, 0}, {10, std::nan("")}, {0, 20}}, photo));
}

TEST(PhotoSession, AFileIsReadOnceAndAProfileIsNotLookedForCorners) {
    using glyphsmith_state_testing::PhotoServicesDouble;
    PhotoServicesDouble services;
    services.addFile(QStringLiteral("/photos/side.jpg"), QByteArray("side"));
    services.addPhoto({QByteArray("side"), PhotoServicesDouble::plainPhoto(40, 120, 30),
                       PhotoServicesDouble::boxMask(40, 120, {5, 0, 30, 120})});
    const QUrl url = QUrl::fromLocalFile(QStringLiteral("/photos/side.jpg"));
    const AnalysedPhoto side = analysePhotoFile(services, url, PhotoAnalysis::subjectOnly);
    EXPECT_EQ(services.calls(),
              (std::vector<std::string>{"readPhotoFile", "decodePhoto", "subjectMask", "profileRatio"}));
    EXPECT_EQ(side.photo.data, QByteArray("side"));
    EXPECT_EQ(side.photo.role, LoadedPhoto::Role::spare);
    ASSERT_TRUE(side.photo.mask);
    EXPECT_EQ(side.figures.box, side.photo.mask->boundingBox());

    services.forgetCalls();
    analysePhotoFile(services, url, PhotoAnalysis::withFaceCoverage);
    EXPECT_EQ(services.calls(),
              (std::vector<std::string>{"readPhotoFile", "decodePhoto", "subjectMask", "faceCorners", "profileRatio"}));
    // A remote address is never read as the local path it names.
    services.forgetCalls();
    EXPECT_THROW(analysePhotoFile(services, QUrl(QStringLiteral("https://example.com/photos/side.jpg")),
                                  PhotoAnalysis::subjectOnly),
                 photo_analysis::PhotoAnalysisError);
    EXPECT_TRUE(services.calls().empty());
}

TEST(PhotoSession, ABatchKeepsItsOrderAndTellsItsLastFailure) {
    const auto loaded = [](int n) {
        AnalysedPhoto file;
        file.photo.data = QByteArray::number(n);
        return TaskOutcome<AnalysedPhoto>(std::move(file));
    };
    const auto failed = [](photo_analysis::PhotoAnalysisError error) {
        return TaskOutcome<AnalysedPhoto>(std::make_exception_ptr(error));
    };
    LoadBatch batch(4);
    EXPECT_FALSE(batch.record(3, loaded(3)));
    EXPECT_FALSE(batch.record(2, failed(photo_analysis::PhotoAnalysisError::noSubjectFound())));
    EXPECT_FALSE(batch.record(0, failed(photo_analysis::PhotoAnalysisError::unreadableImage())));
    EXPECT_TRUE(batch.record(1, loaded(1)));
    const LoadBatch::Result result = batch.take();
    ASSERT_EQ(result.photos.size(), 2u);
    EXPECT_EQ(result.photos[0].data, QByteArray("1"));
    EXPECT_EQ(result.photos[1].data, QByteArray("3"));
    EXPECT_EQ(result.figures.size(), 2u);
    EXPECT_EQ(result.lastFailure, AppError::noSubjectFound());
}

TEST(ReportRequests, OnlyTheLatestRequestOfAnEditorStoresItsKey) {
    ReportRequests requests;
    EXPECT_FALSE(requests.knows(7));
    const std::uint64_t first = requests.start(7);
    const std::uint64_t second = requests.start(7);
    ReportKey key;
    key.editor = 7;
    EXPECT_FALSE(requests.finish(7, first, key));
    EXPECT_FALSE(requests.reportedKey(7));
    EXPECT_TRUE(requests.finish(7, second, key));
    EXPECT_EQ(requests.reportedKey(7), key);
    // Another editor's numbers are its own; a forgotten editor has none.
    EXPECT_FALSE(requests.finish(8, second, key));
    requests.forget(7);
    EXPECT_FALSE(requests.knows(7));
    EXPECT_FALSE(requests.finish(7, second, key));
}

TEST(EditorRegistry, KeepsOneEditorPerDriverUntilReleased) {
    EditorRegistry registry;
    auto first = std::make_shared<DriverEditor>(editor_testing::roundedRectangleModel(80, 40));
    auto second = std::make_shared<DriverEditor>(editor_testing::roundedRectangleModel(80, 40));
    registry.keep("a", first);
    registry.keep("a", second);
    EXPECT_EQ(registry.find("a"), first);
    EXPECT_FALSE(registry.find("b"));
    EXPECT_EQ(registry.driverIDOf(*first), std::optional<std::string>("a"));
    EXPECT_FALSE(registry.driverIDOf(*second));
    const EditorRegistry::Editors released = registry.releaseAll();
    EXPECT_EQ(released.size(), 1u);
    EXPECT_TRUE(registry.all().empty());
    EXPECT_FALSE(registry.driverIDOf(*first));
}

TEST(DriverPackage, HoldsTheCornersOnlyWhenThereAreFour) {
    DriverEditor editor(editor_testing::roundedRectangleModel(80, 40));
    EditorFields(editor).setFacePhotoData(QByteArray("photo"));
    EditorFields(editor).setFacePhotoExtension(QStringLiteral("jpeg"));
    editor.setCorners({{1, 2}, {3, 4}, {5, 6}});
    const icon_geometry::Camera camera{30, 1, 3};
    homey_project::DriverPackage package = driverPackageOf(editor, camera);
    EXPECT_TRUE(package.faceCorners.empty());
    EXPECT_EQ(package.brandCamera, camera);
    EXPECT_EQ(package.model, editor.model());
    ASSERT_EQ(package.sourcePhotos.size(), 1u);
    EXPECT_EQ(package.sourcePhotos.front().data, "photo");
    editor.setCorners({{1, 2}, {3, 4}, {5, 6}, {7, 8}});
    package = driverPackageOf(editor, camera);
    EXPECT_EQ(package.faceCorners, editor.corners());
}

}  // namespace
