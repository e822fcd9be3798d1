#include "glyphsmith_state_testing/editor_fields.hpp"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "editor_testing.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "icon_geometry/icon_svg.hpp"

using glyphsmith_state_testing::EditorFields;
using namespace glyphsmith_state;
using editor_testing::roundedRectangleModel;

namespace {

TEST(DriverEditorFields, ANewEditorStartsEmptyWithNothingUnwritten) {
    const DriverEditor editor(roundedRectangleModel(80, 40));
    EXPECT_EQ(editor.model(), roundedRectangleModel(80, 40));
    EXPECT_EQ(editor.savedModel(), editor.model());
    EXPECT_EQ(editor.facePhotoExtension(), QStringLiteral("png"));
    EXPECT_TRUE(editor.keepEnteredAspect());
    EXPECT_EQ(editor.tool(), PhotoTool::none());
    EXPECT_TRUE(editor.corners().empty());
    EXPECT_FALSE(editor.facePhoto() || editor.faceMask() || editor.facePhotoData() || editor.savedPhotoData() ||
                 editor.profileDepthRatio() || editor.report());
    EXPECT_TRUE(editor.driverImages().empty() && editor.imageWarnings().empty() && editor.loadedPhotos().empty());
    EXPECT_FALSE(editor.error() || editor.selectedDetail() || editor.selectedPart());
    EXPECT_FALSE(editor.isWorking());
    EXPECT_EQ(editor.photoLoad(), 0);
    EXPECT_FALSE(editor.hasUnwrittenChanges());
}

TEST(DriverEditorFields, UnwrittenChangesComeFromTheModelOrThePhotoBytes) {
    using Bytes = std::optional<QByteArray>;
    struct Case {
        bool modelChanged;
        Bytes current;
        Bytes saved;
        bool unwritten;
    };
    const QByteArray a("photo a");
    const QByteArray b("photo b");
    const std::vector<Case> cases{
        {false, {}, {}, false}, {false, a, {}, true}, {false, {}, a, true}, {false, a, a, false},
        {false, a, b, true},    {true, {}, {}, true}, {true, a, a, true},   {true, a, b, true},
    };
    for (const Case& c : cases) {
        DriverEditor editor(roundedRectangleModel(80, 40));
        if (c.modelChanged) editor.setDepth(33);
        EditorFields(editor).setFacePhotoData(c.current);
        EditorFields(editor).setSavedPhotoData(c.saved);
        EXPECT_EQ(editor.hasUnwrittenChanges(), c.unwritten)
            << c.modelChanged << " " << c.current.has_value() << " " << c.saved.has_value();
    }
}

TEST(DriverEditorFields, AnEqualValueIsStoredSilently) {
    DriverEditor editor(roundedRectangleModel(80, 40));
    QSignalSpy errors(&editor, &DriverEditor::errorChanged);
    editor.setError(AppError::noPhoto());
    editor.setError(AppError::noPhoto());
    EXPECT_EQ(errors.count(), 1);
    editor.setError(AppError::noFaceFound());
    editor.setError(std::nullopt);
    editor.setError(std::nullopt);
    EXPECT_EQ(errors.count(), 3);

    QSignalSpy tools(&editor, &DriverEditor::toolChanged);
    editor.setTool(PhotoTool::place(DetailTemplate::sun));
    editor.setTool(PhotoTool::place(DetailTemplate::sun));
    editor.setTool(PhotoTool::place(DetailTemplate::wifi));
    EXPECT_EQ(tools.count(), 2);

    QSignalSpy models(&editor, &DriverEditor::modelChanged);
    editor.setModel(roundedRectangleModel(80, 40));
    EXPECT_EQ(models.count(), 0);
    editor.setModel(roundedRectangleModel(80, 41));
    EXPECT_EQ(models.count(), 1);

    QSignalSpy corners(&editor, &DriverEditor::cornersChanged);
    editor.setCorners({{1, 2}});
    editor.setCorners({{1, 2}});
    EXPECT_EQ(corners.count(), 1);
}

TEST(DriverEditorFields, PhotosSignalOnEveryAssignment) {
    DriverEditor editor(roundedRectangleModel(80, 40));
    QSignalSpy facePhotos(&editor, &DriverEditor::facePhotoChanged);
    QSignalSpy loaded(&editor, &DriverEditor::loadedPhotosChanged);
    const photo_analysis::Photo photo(2, 1, std::vector<std::uint8_t>(8, 255));
    EditorFields(editor).setFacePhoto(photo);
    EditorFields(editor).setFacePhoto(photo);
    EditorFields(editor).setFacePhoto(std::nullopt);
    EditorFields(editor).setFacePhoto(std::nullopt);
    EXPECT_EQ(facePhotos.count(), 4);
    EditorFields(editor).setLoadedPhotos({});
    EditorFields(editor).setLoadedPhotos({});
    EXPECT_EQ(loaded.count(), 2);

    QSignalSpy masks(&editor, &DriverEditor::faceMaskChanged);
    const photo_analysis::SubjectMask mask{2, 1, {0, 255}};
    EditorFields(editor).setFaceMask(mask);
    EditorFields(editor).setFaceMask(mask);
    EXPECT_EQ(masks.count(), 1);
}

TEST(DriverEditorFields, TheImagesRevisionMovesOnlyForDifferentImages) {
    using homey_project::DriverImageSize;
    DriverEditor editor(roundedRectangleModel(80, 40));
    EXPECT_TRUE(editor.driverImages().empty());
    QSignalSpy images(&editor, &DriverEditor::driverImagesChanged);
    const DriverEditor::DriverImages first{{DriverImageSize::small, "s1"}, {DriverImageSize::large, "l1"}};
    EditorFields(editor).setDriverImages(first);
    EXPECT_EQ(editor.driverImagesRevision(), 1);
    EditorFields(editor).setDriverImages(first);
    EXPECT_EQ(editor.driverImagesRevision(), 1);
    EditorFields(editor).setDriverImages({{DriverImageSize::small, "s1"}, {DriverImageSize::large, "l2"}});
    EXPECT_EQ(editor.driverImagesRevision(), 2);
    EditorFields(editor).setDriverImages({});
    EditorFields(editor).setDriverImages({});
    EXPECT_EQ(editor.driverImagesRevision(), 3);
    EXPECT_EQ(images.count(), 3);
}

TEST(DriverEditorFields, AnEqualReportIsStoredSilently) {
    DriverEditor editor(roundedRectangleModel(80, 40));
    QSignalSpy reports(&editor, &DriverEditor::reportChanged);
    homey_project::ComplianceReport report;
    report.driverID = "prise";
    EditorFields(editor).setReport(report);
    EditorFields(editor).setReport(report);
    EXPECT_EQ(reports.count(), 1);
    report.driverID = "capteur";
    EditorFields(editor).setReport(report);
    EXPECT_EQ(reports.count(), 2);
}

TEST(DriverEditorCamera, SwitchingBetweenTheBrandCameraAndItsOwn) {
    DriverEditor editor(roundedRectangleModel(80, 40));
    ASSERT_TRUE(editor.usesBrandCamera());
    editor.setUsesBrandCamera(false);
    ASSERT_TRUE(editor.model().camera);
    EXPECT_EQ(*editor.model().camera, (icon_geometry::Camera{29.5, 0, 2.5}));

    icon_geometry::IconModel own = roundedRectangleModel(80, 40);
    own.camera = icon_geometry::Camera{35, 3, 4};
    editor.setModel(own);
    editor.setUsesBrandCamera(false);
    EXPECT_EQ(*editor.model().camera, (icon_geometry::Camera{35, 3, 4}));
    editor.setUsesBrandCamera(true);
    EXPECT_TRUE(editor.usesBrandCamera());
    EXPECT_FALSE(editor.model().camera);
}

TEST(DriverEditorIcon, IsTheModelsDocumentThroughTheGivenCameraUnlessItHasItsOwn) {
    DriverEditor editor(roundedRectangleModel(80, 40));
    const icon_geometry::Camera brand{35, 3, 4};
    EXPECT_EQ(editor.iconSvg(brand), QByteArray::fromStdString(icon_geometry::iconSvg(editor.model(), brand)));
    EXPECT_TRUE(editor.iconSvg(brand).startsWith("<svg") || editor.iconSvg(brand).startsWith("<?xml"));
    editor.setUsesBrandCamera(false);
    EXPECT_EQ(editor.iconSvg(brand), editor.iconSvg(icon_geometry::Camera::defaultCamera()));
}

}  // namespace
