#include "icon_geometry/model_template.hpp"

#include <gtest/gtest.h>

#include "icon_geometry/cubic.hpp"
#include "icon_geometry/icon_model_coding.hpp"
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
