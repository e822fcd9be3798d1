#include "icon_geometry/camera.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "decoding.hpp"
using namespace icon_geometry;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double degree = std::numbers::pi / 180;

}  // namespace

TEST(Camera, RangesIncludeTheirBoundsAndRefuseNaN) {
    struct Case {
        Camera camera;
        bool within;
    };
    const Case cases[] = {
        {Camera::defaultCamera(), true}, {{25, 0, 2.2}, true},           {{40, 5, 5.5}, true},
        {{24.9, 0, 2.5}, false},         {{30, 5.01, 2.5}, false},       {{30, 0, 5.6}, false},
        {{notANumber, 0, 2.5}, false},   {{30, notANumber, 2.5}, false}, {{30, 0, notANumber}, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.camera.isWithinRanges(), c.within)
            << c.camera.yawDegrees << ", " << c.camera.elevationDegrees << ", " << c.camera.distanceInDiagonals;
    }
    EXPECT_EQ(Camera{}, (Camera{29.5, 0, 2.5}));
}

TEST(CameraJSON, AllThreeRequiredButNotHeldToTheRanges) {
    const Camera c = json::decode<Camera>(R"({"yawDegrees": 90, "elevationDegrees": 2, "distanceInDiagonals": 9})");
    EXPECT_EQ(c, (Camera{90, 2, 9}));
    EXPECT_EQ(json::decode<Camera>(json::write(json::encode(c))), c);
    EXPECT_EQ(decodingFailure<Camera>(R"({"yawDegrees": 30, "elevationDegrees": 2})").kind,
              json::DecodingError::Kind::keyNotFound);
}

TEST(PerspectiveProjection, DistanceIsMeasuredInDiagonalsWithAFloorOfHalfADiagonal) {
    EXPECT_EQ(PerspectiveProjection({30, 0, 0.3}, 100).distance, 50);
    EXPECT_EQ(PerspectiveProjection({30, 0, 2.5}, 100).distance, 250);
    // A camera whose distance is not a number still draws, from half a diagonal.
    EXPECT_EQ(PerspectiveProjection({30, 0, notANumber}, 100).distance, 50);
}

TEST(PerspectiveProjection, DefaultCameraAtUnitDiagonal) {
    const PerspectiveProjection p(Camera::defaultCamera(), 1);
    EXPECT_EQ(p.distance, 2.5);
    EXPECT_EQ(p.lensShift, 0);
    EXPECT_EQ(p.projectPoint({0, 0, 0}), (Vector2{0, 0}));
    const Vector2 q = p.projectPoint({1, 0, 0});
    EXPECT_NEAR(q.x, std::cos(29.5 * degree) / (2.5 + std::sin(29.5 * degree)), 1e-15);
    EXPECT_EQ(q.y, 0);
    // Seen straight on, depth divides.
    const PerspectiveProjection front({0, 0, 2}, 1);
    EXPECT_EQ(front.projectPoint({1, 1, 0}), (Vector2{0.5, 0.5}));
    EXPECT_EQ(front.projectPoint({1, 1, 2}), (Vector2{0.25, 0.25}));
}

TEST(PerspectiveProjection, ElevationShiftsTheImageWithoutTiltingIt) {
    const PerspectiveProjection p({30, 5, 2.5}, 1);
    const Vector2 origin = p.projectPoint({0, 0, 0});
    EXPECT_EQ(origin.x, 0);
    EXPECT_NEAR(origin.y, std::tan(5 * degree), 1e-15);
    for (const double y : {-40.0, 3.5, 1e6}) {
        EXPECT_EQ(p.projectPoint({0.3, y, -0.2}).x, p.projectPoint({0.3, 0, -0.2}).x) << y;
    }
}

TEST(PerspectiveProjection, EyeIsWhereEverythingVanishes) {
    const PerspectiveProjection p({33, 4, 3}, 120);
    const Vector3 eye = p.eyePosition();
    EXPECT_EQ(eye, (Vector3{-p.distance * p.sinYaw, -p.lensShift, -p.distance * p.cosYaw}));
    EXPECT_EQ(eye.y + p.lensShift, 0);
    EXPECT_NEAR(eye.x * p.cosYaw - eye.z * p.sinYaw, 0, 1e-12);
    EXPECT_NEAR(p.distance + (eye.z * p.cosYaw + eye.x * p.sinYaw), 0, 1e-12);
}
