#include <gtest/gtest.h>

#include <QSignalSpy>
#include <limits>

#include "editor_testing.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"

using glyphsmith_state_testing::EditorFields;
using namespace glyphsmith_state;
using editor_testing::roundedRectangleModel;
using icon_geometry::BodyPart;
using icon_geometry::FaceShape;
using icon_geometry::IconModel;
using icon_geometry::ModelTemplate;
using icon_geometry::RevolvedBody;
using icon_geometry::Vector3;

namespace {

constexpr double inf = std::numeric_limits<double>::infinity();
constexpr double nan = std::numeric_limits<double>::quiet_NaN();
constexpr int intMax = std::numeric_limits<int>::max();

IconModel withRevolvedMainBody(RevolvedBody::Axis axis) {
    return IconModel({BodyPart{icon_geometry::Solid::revolved(RevolvedBody::cylinder(20, -30, 0, axis, {})), {}, 0}});
}

TEST(PartTemplates, AreBoxKnobAndCylinder) {
    EXPECT_EQ(PartTemplate::allCases.size(), 3u);
    for (PartTemplate::Case c : PartTemplate::allCases)
        EXPECT_EQ(PartTemplate::fromRawValue(PartTemplate(c).rawValue()), c);
    EXPECT_EQ(PartTemplate(PartTemplate::knob).rawValue(), "knob");
    EXPECT_FALSE(PartTemplate::fromRawValue("Box"));
    EXPECT_NE(std::hash<PartTemplate>{}(PartTemplate::box), std::hash<PartTemplate>{}(PartTemplate::cylinder));
}

TEST(ModelTemplates, HaveTheirFrenchLabels) {
    const QStringList labels{"Panneau mural",        "Ampoule",
                             "Ampoule à filament",   "Tête thermostatique",
                             "Thermostat à molette", "Capteur d’ouverture et aimant",
                             "Détecteur au plafond"};
    for (std::size_t i = 0; i < ModelTemplate::allCases.size(); ++i)
        EXPECT_EQ(modelTemplateLabel(ModelTemplate::allCases[i]), labels[static_cast<qsizetype>(i)]);
}

TEST(AddingParts, ABoxBesideAHundredBySixtyFace) {
    DriverEditor editor(roundedRectangleModel(100, 60));
    QSignalSpy models(&editor, &DriverEditor::modelChanged);
    editor.addPart(PartTemplate::box);
    ASSERT_EQ(editor.model().parts.size(), 2u);
    const BodyPart& box = editor.model().parts[1];
    ASSERT_TRUE(box.solid.isExtruded());
    EXPECT_EQ(box.solid.extrudedBody()->face, FaceShape::roundedRectangle(50, 24, 0.06 * 60));
    EXPECT_DOUBLE_EQ(box.solid.extrudedBody()->depth, 7.2);
    EXPECT_FALSE(box.solid.extrudedBody()->bevel);
    EXPECT_DOUBLE_EQ(box.offset.x, 78);
    EXPECT_EQ(editor.selectedPart(), 1);
    EXPECT_EQ(models.count(), 1);
    EXPECT_EQ(editor.partDimensions(1), (std::vector<double>{50, 24, 0.12 * 60}));
}

TEST(AddingParts, AKnobAndACylinderAreRevolved) {
    DriverEditor editor(roundedRectangleModel(100, 60));
    editor.addPart(PartTemplate::knob);
    editor.addPart(PartTemplate::cylinder);
    const RevolvedBody& knob = *editor.model().parts[1].solid.revolvedBody();
    const double r = 0.3 * 60;
    EXPECT_EQ(knob, RevolvedBody::cylinder(r, -0.6 * r, 0, RevolvedBody::Axis::depth,
                                           {icon_geometry::RevolvedDetail::knurl(-0.5 * r, -0.05 * r, 60)}));
    const BodyPart& cylinder = editor.model().parts[2];
    EXPECT_EQ(*cylinder.solid.revolvedBody(),
              RevolvedBody::cylinder(0.2 * 60, -1.5 * (0.2 * 60), 0, RevolvedBody::Axis::vertical, {}));
    EXPECT_EQ(cylinder.offset, (Vector3{0, -30, 0}));
    EXPECT_EQ(editor.selectedPart(), 2);
}

TEST(AddingParts, AKnobOnAHorizontalRevolvedBodyUsesItsDiameterBothWays) {
    DriverEditor editor(withRevolvedMainBody(RevolvedBody::Axis::horizontal));
    editor.addPart(PartTemplate::knob);
    // Diameter 40: m = 40, r = 12.
    EXPECT_DOUBLE_EQ(editor.model().parts[1].solid.revolvedBody()->diameter(), 24);
    DriverEditor upright(withRevolvedMainBody(RevolvedBody::Axis::vertical));
    upright.addPart(PartTemplate::cylinder);
    // Diameter 40, height 30: m = 30, offset −0.5 × 30.
    EXPECT_EQ(upright.model().parts[1].offset, (Vector3{0, -15, 0}));
}

TEST(AddingParts, AModelWithoutPartsGetsItsMainBody) {
    DriverEditor editor{IconModel()};
    editor.addPart(PartTemplate::box);
    ASSERT_EQ(editor.model().parts.size(), 1u);
    EXPECT_EQ(editor.model().parts[0].solid.extrudedBody()->face,
              FaceShape::roundedRectangle(0.5 * 86, 0.4 * 86, 0.06 * 86));
    EXPECT_EQ(editor.selectedPart(), 0);
    editor.removePart(0);
    EXPECT_EQ(editor.model().parts.size(), 1u);
}

TEST(RemovingParts, KeepsTheMainBodyAndIgnoresIndicesPastTheEnd) {
    DriverEditor editor(roundedRectangleModel(100, 60));
    editor.addPart(PartTemplate::box);
    editor.addPart(PartTemplate::knob);
    const IconModel before = editor.model();
    QSignalSpy models(&editor, &DriverEditor::modelChanged);
    for (int index : {0, -1, 3, intMax}) editor.removePart(index);
    EXPECT_EQ(editor.model(), before);
    EXPECT_EQ(editor.selectedPart(), 2);
    EXPECT_EQ(models.count(), 0);
    editor.removePart(1);
    EXPECT_EQ(editor.model().parts.size(), 2u);
    EXPECT_TRUE(editor.model().parts[1].solid.revolvedBody());
    EXPECT_FALSE(editor.selectedPart());
}

TEST(PartPlacement, TurnIsClampedAndOffsetsBeyondTenThousandRefused) {
    DriverEditor editor(roundedRectangleModel(100, 60));
    editor.addPart(PartTemplate::box);
    const std::vector<std::pair<double, double>> turns{{90, 60},    {-200, -60}, {12.5, 12.5},
                                                       {inf, 12.5}, {nan, 12.5}, {1e308, 60}};
    for (const auto& [value, expected] : turns) {
        editor.setPartTurn(1, value);
        EXPECT_EQ(editor.partTurn(1), expected) << value;
    }
    editor.setPartOffset(0, 5, -5, 10000);
    EXPECT_EQ(editor.partOffset(0), (Vector3{5, -5, 10000}));
    QSignalSpy models(&editor, &DriverEditor::modelChanged);
    editor.setPartOffset(0, 1, 1, 10000.5);
    editor.setPartOffset(0, nan, 1, 1);
    editor.setPartOffset(0, 1, -inf, 1);
    editor.setPartOffset(2, 1, 1, 1);
    editor.setPartOffset(-1, 1, 1, 1);
    editor.setPartTurn(intMax, 10);
    EXPECT_EQ(editor.partOffset(0), (Vector3{5, -5, 10000}));
    EXPECT_EQ(models.count(), 0);
    EXPECT_EQ(editor.partOffset(7), (Vector3{0, 0, 0}));
    EXPECT_EQ(editor.partTurn(-1), 0);
    EXPECT_TRUE(editor.partDimensions(2).empty());
}

TEST(PartDimensions, AreSetBetweenATenthAndTenThousandExcludingATenth) {
    DriverEditor editor(roundedRectangleModel(100, 60));
    editor.addPart(PartTemplate::cylinder);
    const IconModel before = editor.model();
    QSignalSpy models(&editor, &DriverEditor::modelChanged);
    for (double value : {0.1, 0.0, -3.0, 10000.01, nan, inf}) {
        editor.setPartDimension(0, 0, value);
        editor.setPartDimension(1, 1, value);
    }
    editor.setPartDimension(0, 2, 50);
    editor.setPartDimension(0, -1, 50);
    EXPECT_EQ(editor.model(), before);
    EXPECT_EQ(models.count(), 0);

    editor.setPartDimension(0, 0, 10000);
    editor.setPartDimension(1, 0, 0.2);
    editor.setPartDimension(2, 0, 33);
    const std::vector<double> main = editor.partDimensions(0);
    EXPECT_NEAR(main[0], 10000, 1e-9);
    EXPECT_NEAR(main[1], 0.2, 1e-12);
    EXPECT_EQ(main[2], 33);

    editor.setPartDimension(0, 1, 30);
    editor.setPartDimension(1, 1, 45);
    const std::vector<double> cylinder = editor.partDimensions(1);
    ASSERT_EQ(cylinder.size(), 2u);
    EXPECT_NEAR(cylinder[0], 30, 1e-9);
    EXPECT_NEAR(cylinder[1], 45, 1e-9);
    EXPECT_EQ(editor.model().parts[1].offset, before.parts[1].offset);
}

TEST(Templates, ReplaceTheModelKeepingTheCameraAndClearingSelections) {
    for (const std::optional<icon_geometry::Camera>& camera :
         {std::optional<icon_geometry::Camera>(), std::optional(icon_geometry::Camera{31, 4, 3})}) {
        IconModel start = roundedRectangleModel(100, 60);
        start.camera = camera;
        DriverEditor editor(start);
        editor.addDetail(DetailTemplate::sun, {0, 0});
        editor.addPart(PartTemplate::knob);
        EditorFields(editor).setFacePhotoData(QByteArray("photo"));
        QSignalSpy models(&editor, &DriverEditor::modelChanged);
        editor.applyTemplate(ModelTemplate::radiatorHead);
        IconModel expected = ModelTemplate(ModelTemplate::radiatorHead).model();
        expected.camera = camera;
        EXPECT_EQ(editor.model(), expected);
        EXPECT_EQ(models.count(), 1);
        EXPECT_FALSE(editor.selectedDetail());
        EXPECT_FALSE(editor.selectedPart());
        EXPECT_EQ(editor.facePhotoData(), QByteArray("photo"));
    }
}

}  // namespace
