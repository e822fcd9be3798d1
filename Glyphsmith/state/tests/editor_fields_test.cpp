#include <gtest/gtest.h>

#include <QSignalSpy>

#include "editor_testing.hpp"
#include "glyphsmith_state/driver_editor.hpp"

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
    EXPECT_FALSE(editor.facePhotoData() || editor.savedPhotoData() || editor.profileDepthRatio());
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
        editor.setFacePhotoData(c.current);
        editor.setSavedPhotoData(c.saved);
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
    EXPECT_EQ(editor.iconSvg(brand), QByteArray::fromStdString(editor.model().svg(brand)));
    EXPECT_TRUE(editor.iconSvg(brand).startsWith("<svg") || editor.iconSvg(brand).startsWith("<?xml"));
    editor.setUsesBrandCamera(false);
    EXPECT_EQ(editor.iconSvg(brand), editor.iconSvg(icon_geometry::Camera::defaultCamera()));
}

}  // namespace
