#include "icon_geometry/model_template.hpp"

#include <gtest/gtest.h>

#include "icon_geometry/cubic.hpp"
#include "icon_geometry/model_input.hpp"

using namespace icon_geometry;

namespace {

const RevolvedBody& revolved(const IconModel& model, std::size_t index) {
    return *model.parts.at(index).solid.revolvedBody();
}

BezierPath line(Vector2 from, Vector2 to) {
    return {{Subpath{from, {PathSegment::line(to)}, false}}};
}

}  // namespace

TEST(ModelTemplate, NamedByTheirCasesInOrder) {
    const char* names[] = {"panel",          "bulb",          "filamentBulb",   "radiatorHead",
                           "dialThermostat", "contactSensor", "ceilingDetector"};
    ASSERT_EQ(ModelTemplate::allCases.size(), 7u);
    for (std::size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(ModelTemplate(ModelTemplate::allCases[i]).identifier(), names[i]);
        EXPECT_EQ(ModelTemplate::fromRawValue(names[i]), ModelTemplate::allCases[i]);
    }
    EXPECT_FALSE(ModelTemplate::fromRawValue("FilamentBulb"));
    EXPECT_FALSE(ModelTemplate::fromRawValue(""));
}

TEST(ModelTemplate, EveryModelIsFreshAndRoundTripsThroughTheGuardedInput) {
    for (const auto c : ModelTemplate::allCases) {
        const ModelTemplate t(c);
        const IconModel model = t.model();
        EXPECT_EQ(model, t.model()) << t.rawValue();
        EXPECT_FALSE(model.camera);
        EXPECT_EQ(model.orientation, c == ModelTemplate::ceilingDetector ? Orientation::ceiling : Orientation::wall);
        const std::string text = json::write(json::encode(model));
        EXPECT_EQ(ModelInput::decode<IconModel>(text), model) << t.rawValue();
        EXPECT_EQ(ModelInput::version(text), 2);
    }
}

TEST(ModelTemplate, PanelIsTheBevelledProportionalBody) {
    const IconModel panel = ModelTemplate(ModelTemplate::panel).model();
    EXPECT_EQ(panel, IconModel::withSingleBody({FaceShape::roundedRectangle(86, 86, 6), 18.92, 50, {}, {}}));
    const json::Tree tree = json::encode(panel);
    const json::Tree& body = tree["parts"][0]["solid"]["extruded"]["_0"];
    EXPECT_EQ(body["bevel"], 50.0);
    EXPECT_EQ(body["details"], json::Tree::array());
    EXPECT_FALSE(body.contains("grooves"));
    EXPECT_FALSE(tree["parts"][0].contains("turn"));
}

TEST(ModelTemplate, BulbsShareOneProfileOnACircleOfRadiusThirty) {
    const IconModel bulb = ModelTemplate(ModelTemplate::bulb).model();
    const IconModel filament = ModelTemplate(ModelTemplate::filamentBulb).model();
    const RevolvedBody& b = revolved(bulb, 0);
    EXPECT_EQ(b.profile, revolved(filament, 0).profile);
    EXPECT_EQ(b.axis, RevolvedAxis::vertical);
    const Subpath& s = b.profile.subpaths.at(0);
    EXPECT_EQ(s.start, (Vector2{0, 0}));
    ASSERT_EQ(s.segments.size(), 7u);
    EXPECT_EQ(s.segments[0].asCubic()->control1, (Vector2{30 * Cubic::circleKappa, 0}));
    EXPECT_NEAR(s.segments[1].end().distance({0, 30}), 30, 1e-12);
    EXPECT_EQ(s.segments[6], PathSegment::cubic({9, 106.5}, {5, 108}, {0, 108}));
    EXPECT_DOUBLE_EQ(b.diameter(), 60);
    EXPECT_DOUBLE_EQ(b.height(), 108);

    EXPECT_EQ(b.details, (std::vector<RevolvedDetail>{RevolvedDetail::rings(84, 97, 4), RevolvedDetail::ring(48)}));
    EXPECT_EQ(
        revolved(filament, 0).details,
        (std::vector<RevolvedDetail>{
            RevolvedDetail::rings(84, 97, 4), RevolvedDetail::meridian(line({-6, 72}, {-13, 22})),
            RevolvedDetail::meridian(line({0, 72}, {0, 18})), RevolvedDetail::meridian(line({6, 72}, {13, 22}))}));
}

TEST(ModelTemplate, RevolvedPartsOfTheOtherTemplates) {
    const IconModel head = ModelTemplate(ModelTemplate::radiatorHead).model();
    EXPECT_EQ(head.parts.at(0).turn, 30);
    EXPECT_EQ(json::encode(head)["parts"][0]["turn"], 30.0);
    EXPECT_EQ(revolved(head, 0).axis, RevolvedAxis::depth);
    EXPECT_EQ(revolved(head, 0).profile.subpaths.at(0).segments.back(), PathSegment::line({17, 80}));
    EXPECT_EQ(revolved(head, 0).details,
              (std::vector<RevolvedDetail>{RevolvedDetail::knurl(6, 24, 36), RevolvedDetail::ring(6),
                                           RevolvedDetail::ring(24)}));

    const IconModel dial = ModelTemplate(ModelTemplate::dialThermostat).model();
    ASSERT_EQ(dial.parts.size(), 2u);
    EXPECT_EQ(*dial.parts[0].solid.extrudedBody(),
              (ExtrudedBody{FaceShape::roundedRectangle(86, 86, 10), 12, 50, {}, {}}));
    EXPECT_EQ(revolved(dial, 1),
              (RevolvedBody{line({26, -16}, {26, 0}), RevolvedAxis::depth, {RevolvedDetail::knurl(-13, -1, 60)}}));

    const IconModel detector = ModelTemplate(ModelTemplate::ceilingDetector).model();
    const Subpath& s = revolved(detector, 0).profile.subpaths.at(0);
    EXPECT_EQ(s.start, (Vector2{50, 0}));
    EXPECT_EQ(s.segments, (std::vector<PathSegment>{PathSegment::cubic({54.5, 0}, {57.5, 3.5}, {57.5, 8}),
                                                    PathSegment::line({57.5, 44})}));
    EXPECT_EQ(revolved(detector, 0).details, std::vector<RevolvedDetail>{RevolvedDetail::rings(30, 38, 3)});
}

TEST(ModelTemplate, ContactSensorHasItsMagnetFlushWithTheWall) {
    const IconModel model = ModelTemplate(ModelTemplate::contactSensor).model();
    ASSERT_EQ(model.parts.size(), 2u);
    const ExtrudedBody& sensor = *model.parts[0].solid.extrudedBody();
    EXPECT_EQ(sensor, (ExtrudedBody{FaceShape::roundedRectangle(22, 72, 6),
                                    12,
                                    std::nullopt,
                                    {FaceDetail::indicator({0, -28}, 2.5, DetailStyle::automatic)},
                                    {}}));
    const ExtrudedBody& magnet = *model.parts[1].solid.extrudedBody();
    EXPECT_EQ(magnet, (ExtrudedBody{FaceShape::roundedRectangle(12, 30, 4), 8, std::nullopt, {}, {}}));
    EXPECT_EQ(model.parts[1].offset, (Vector3{21, 0, 4}));
    EXPECT_EQ(model.parts[1].offset.z + magnet.depth, sensor.depth);
}
