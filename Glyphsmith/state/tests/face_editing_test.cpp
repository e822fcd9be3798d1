#include <gtest/gtest.h>

#include <QSignalSpy>
#include <cmath>
#include <functional>
#include <limits>

#include "editor_testing.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "icon_geometry/model_input.hpp"

using namespace glyphsmith_state;
using editor_testing::modelWithFace;
using editor_testing::roundedRectangleModel;
using icon_geometry::FaceShape;
using icon_geometry::IconModel;

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

TEST(FaceSize, WidthAndHeightAreClampedToOneToTenThousand) {
    const std::vector<std::pair<double, double>> cases{{0, 1},         {-5, 1},        {nan, 1}, {inf, 1},    {-inf, 1},
                                                       {1e308, 10000}, {20000, 10000}, {0.5, 1}, {72.5, 72.5}};
    for (const auto& [value, expected] : cases) {
        DriverEditor editor(roundedRectangleModel(80, 40));
        editor.setFaceWidth(value);
        EXPECT_EQ(editor.faceWidth(), expected) << value;
        EXPECT_EQ(editor.faceHeight(), 40) << value;
        editor.setFaceHeight(value);
        EXPECT_EQ(editor.faceHeight(), expected) << value;
        EXPECT_EQ(editor.faceWidth(), expected) << value;
    }
}

TEST(FaceSize, ResizingKeepsTheKindAndItsThirdMeasure) {
    const std::vector<std::pair<FaceShape, FaceShape>> cases{
        {FaceShape::roundedRectangle(80, 40, 5), FaceShape::roundedRectangle(60, 40, 5)},
        {FaceShape::superellipse(80, 40, 3), FaceShape::superellipse(60, 40, 3)},
        {FaceShape::ellipse(80, 40), FaceShape::ellipse(60, 40)},
        {FaceShape::capsule(80, 40), FaceShape::capsule(60, 40)},
    };
    for (const auto& [before, after] : cases) {
        DriverEditor editor(modelWithFace(before));
        editor.setFaceWidth(60);
        EXPECT_EQ(editor.model().primaryBody().face, after);
    }
}

// The outline of a superellipse reaches slightly past its stored sizes.
TEST(FaceSize, ASuperellipseDoesNotGrowStepByStep) {
    DriverEditor editor(modelWithFace(FaceShape::superellipse(80, 40, 3)));
    for (int i = 0; i < 200; ++i) {
        editor.setFaceWidth(i % 2 ? 70 : 80);
        editor.setFaceShapeParameter(i % 2 ? 3 : 5);
    }
    EXPECT_EQ(editor.model().primaryBody().face, FaceShape::superellipse(70, 40, 3));
    editor.setFaceShapeKind(ShapeKind::ellipse);
    EXPECT_EQ(editor.model().primaryBody().face, FaceShape::ellipse(70, 40));
}

TEST(FaceSize, APolygonsVerticesAreStretched) {
    DriverEditor editor(modelWithFace(FaceShape::roundedPolygon({{-40, -20}, {40, -20}, {0, 20}}, 0)));
    editor.resizeFace(40, 80);
    const auto polygon = std::get<FaceShape::RoundedPolygon>(editor.model().primaryBody().face.value);
    EXPECT_EQ(polygon.vertices, (std::vector<icon_geometry::Vector2>{{-20, -40}, {20, -40}, {0, 40}}));
}

TEST(FaceSize, AFlatPolygonCannotBeStretchedOutOfNothing) {
    const IconModel flat = modelWithFace(FaceShape::roundedPolygon({{0, -20}, {0, 20}, {0, 0}}, 0));
    DriverEditor editor(flat);
    QSignalSpy models(&editor, &DriverEditor::modelChanged);
    editor.setFaceWidth(50);
    EXPECT_EQ(editor.model(), flat);
    EXPECT_EQ(models.count(), 0);
}

TEST(FaceSize, SettingTheCurrentWidthSignalsNothing) {
    DriverEditor editor(roundedRectangleModel(80, 40));
    QSignalSpy models(&editor, &DriverEditor::modelChanged);
    editor.setFaceWidth(80);
    EXPECT_EQ(models.count(), 0);
    EXPECT_EQ(editor.model(), roundedRectangleModel(80, 40));
}

TEST(ModelOperations, ThoseThatChangeNothingSignalNothing) {
    const IconModel start = roundedRectangleModel(80, 40);
    const std::vector<std::pair<const char*, std::function<void(DriverEditor&)>>> operations{
        {"same depth", [](DriverEditor& e) { e.setDepth(e.depth()); }},
        {"same height", [](DriverEditor& e) { e.setFaceHeight(40); }},
        {"same radius", [](DriverEditor& e) { e.setFaceShapeParameter(e.faceShapeParameter()); }},
        {"no bevel again", [](DriverEditor& e) { e.setHasBevel(false); }},
        {"brand camera again", [](DriverEditor& e) { e.setUsesBrandCamera(true); }},
        {"same part turn", [](DriverEditor& e) { e.setPartTurn(0, 0); }},
        {"same part offset", [](DriverEditor& e) { e.setPartOffset(0, 0, 0, 0); }},
        {"same model", [&](DriverEditor& e) { e.setModel(start); }},
    };
    for (const auto& [name, operation] : operations) {
        DriverEditor editor(start);
        QSignalSpy models(&editor, &DriverEditor::modelChanged);
        operation(editor);
        EXPECT_EQ(editor.model(), start) << name;
        EXPECT_EQ(models.count(), 0) << name;
    }
}

TEST(FaceDepth, IsClampedToZeroToTenThousand) {
    const std::vector<std::pair<double, double>> cases{{-1, 0}, {inf, 0}, {nan, 0}, {1e308, 10000}, {12.5, 12.5}};
    for (const auto& [value, expected] : cases) {
        DriverEditor editor(roundedRectangleModel(80, 40));
        editor.setDepth(value);
        EXPECT_EQ(editor.depth(), expected) << value;
    }
}

TEST(FaceParameter, ClampsTheRadiusAndTheExponentAndLeavesOtherKinds) {
    struct Case {
        FaceShape face;
        double value;
        double expected;
    };
    const std::vector<Case> cases{
        {FaceShape::superellipse(80, 40, 4), 0.5, 1.2},         {FaceShape::superellipse(80, 40, 4), 500, 100},
        {FaceShape::superellipse(80, 40, 4), nan, 1.2},         {FaceShape::superellipse(80, 40, 4), 7, 7},
        {FaceShape::roundedRectangle(80, 40, 4), -3, 0},        {FaceShape::roundedRectangle(80, 40, 4), inf, 0},
        {FaceShape::roundedRectangle(80, 40, 4), 20000, 10000}, {FaceShape::roundedRectangle(80, 40, 4), 9, 9},
    };
    for (const Case& c : cases) {
        DriverEditor editor(modelWithFace(c.face));
        editor.setFaceShapeParameter(c.value);
        EXPECT_EQ(editor.faceShapeParameter(), c.expected) << c.value;
        EXPECT_EQ(editor.model().primaryBody().face.caseIndex(), c.face.caseIndex());
        EXPECT_NEAR(editor.faceWidth(), 80, 0.05);
    }
    for (const FaceShape& face : {FaceShape::ellipse(80, 40), FaceShape::capsule(80, 40),
                                  FaceShape::roundedPolygon({{-40, -20}, {40, -20}, {0, 20}}, 3)}) {
        DriverEditor editor(modelWithFace(face));
        QSignalSpy models(&editor, &DriverEditor::modelChanged);
        editor.setFaceShapeParameter(8);
        EXPECT_EQ(editor.model().primaryBody().face, face);
        EXPECT_EQ(editor.faceShapeParameter(), 0);
        EXPECT_EQ(models.count(), 0);
    }
}

TEST(FaceKind, IsRebuiltAtTheCurrentSize) {
    DriverEditor editor(modelWithFace(FaceShape::ellipse(80, 40)));
    editor.setFaceShapeKind(ShapeKind::roundedRectangle);
    EXPECT_EQ(editor.model().primaryBody().face, FaceShape::roundedRectangle(80, 40, 3.2));
    editor.setFaceShapeParameter(10);
    // Choosing the current kind again resets the radius.
    editor.setFaceShapeKind(ShapeKind::roundedRectangle);
    EXPECT_EQ(editor.faceShapeParameter(), 3.2);
    editor.setFaceShapeKind(ShapeKind::superellipse);
    EXPECT_EQ(editor.model().primaryBody().face, FaceShape::superellipse(80, 40, 4));
    editor.setFaceShapeKind(ShapeKind::capsule);
    EXPECT_EQ(editor.faceShapeKind(), ShapeKind::capsule);
    EXPECT_EQ(editor.faceWidth(), 80);
    EXPECT_EQ(editor.faceHeight(), 40);

    const DriverEditor polygon(modelWithFace(FaceShape::roundedPolygon({{-4, -2}, {4, -2}, {0, 2}}, 1)));
    EXPECT_EQ(polygon.faceShapeKind(), ShapeKind::roundedRectangle);
    for (ShapeKind::Case kind : ShapeKind::allCases)
        EXPECT_EQ(ShapeKind::fromRawValue(ShapeKind(kind).rawValue()), kind);
}

TEST(FaceBevel, KeepsTheCurrentBevelOrSetsTheDefault) {
    IconModel model = roundedRectangleModel(80, 40);
    DriverEditor editor(model);
    editor.setHasBevel(true);
    EXPECT_EQ(editor.model().primaryBody().bevel, 50);
    model.changePrimaryBody([](icon_geometry::ExtrudedBody& body) { body.bevel = 12; });
    editor.setModel(model);
    editor.setHasBevel(true);
    EXPECT_EQ(editor.model().primaryBody().bevel, 12);
    editor.setHasBevel(false);
    EXPECT_FALSE(editor.hasBevel());
}

// On a bulb the model's main body is revolved: a face edit there would put a
// default box in front of it.
TEST(FaceEditing, LeavesAModelWithoutAnExtrudedMainBodyAlone) {
    const std::vector<std::pair<const char*, std::function<void(DriverEditor&)>>> operations{
        {"kind", [](DriverEditor& e) { e.setFaceShapeKind(ShapeKind::ellipse); }},
        {"width", [](DriverEditor& e) { e.setFaceWidth(50); }},
        {"height", [](DriverEditor& e) { e.setFaceHeight(50); }},
        {"size", [](DriverEditor& e) { e.resizeFace(50, 50); }},
        {"depth", [](DriverEditor& e) { e.setDepth(5); }},
        {"parameter", [](DriverEditor& e) { e.setFaceShapeParameter(2); }},
        {"bevel", [](DriverEditor& e) { e.setHasBevel(true); }},
        {"add",
         [](DriverEditor& e) {
             e.addDetail(DetailTemplate::roundButton, {0, 0});
         }},
        {"move",
         [](DriverEditor& e) {
             e.setSelectedDetail(0);
             e.setSelectedDetailCenter(1, 1);
         }},
        {"scale",
         [](DriverEditor& e) {
             e.setSelectedDetail(0);
             e.scaleSelectedDetail(2);
         }},
        {"remove", [](DriverEditor& e) { e.removeDetail(0); }},
    };
    for (const IconModel& model : {editor_testing::revolvedModel(), IconModel()}) {
        for (const auto& [name, operation] : operations) {
            DriverEditor editor(model);
            QSignalSpy models(&editor, &DriverEditor::modelChanged);
            operation(editor);
            EXPECT_EQ(editor.model(), model) << name;
            EXPECT_EQ(models.count(), 0) << name;
        }
    }
    // The getters still read the default body.
    const DriverEditor bulb(editor_testing::revolvedModel());
    EXPECT_EQ(bulb.faceWidth(), 86);
    EXPECT_EQ(bulb.depth(), 12);
}

TEST(FaceEditing, EveryAcceptedEditStaysStorable) {
    DriverEditor editor(roundedRectangleModel(80, 40));
    editor.setFaceWidth(10000);
    editor.setFaceHeight(10000);
    editor.setDepth(10000);
    editor.setFaceShapeParameter(10000);
    EXPECT_TRUE(icon_geometry::ModelInput::isStorable(editor.model()));
    EXPECT_EQ(editor.faceWidth(), 10000);
}

}  // namespace
