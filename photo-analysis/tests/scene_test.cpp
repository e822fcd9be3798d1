#include "test_photo/scene.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace test_photo {
namespace {

TEST(TestScenes, SameSeedSameBytes) {
    SceneOptions options;
    options.width = 320;
    options.height = 240;
    options.backdrop = Background::textured;
    options.jpegRoundTrip = true;
    const Scene a = renderScene(options);
    EXPECT_EQ(a.rgba, renderScene(options).rgba);
    options.seed = 2;
    EXPECT_NE(a.rgba, renderScene(options).rgba);
}

TEST(TestScenes, FaceMillimetresProjectOntoTheCorners) {
    for (const double yaw : {0.0, 25.0, 45.0}) {
        SceneOptions options;
        options.width = 400;
        options.height = 300;
        options.faceWidthMm = 120;
        options.faceHeightMm = 80;
        options.yawDegrees = yaw;
        options.pitchDegrees = 10;
        const Scene s = renderScene(options);
        const icon_geometry::Vector2 corners[4] = {{-60, -40}, {60, -40}, {60, 40}, {-60, 40}};
        for (int i = 0; i < 4; ++i) {
            const icon_geometry::Vector2 p = s.project(corners[i]);
            EXPECT_NEAR(p.x, s.faceCorners[static_cast<std::size_t>(i)].x, 1e-9);
            EXPECT_NEAR(p.y, s.faceCorners[static_cast<std::size_t>(i)].y, 1e-9);
        }
        EXPECT_DOUBLE_EQ(s.aspect, 1.5);
        // The face centre is inside the subject, the photo's corner is not.
        const icon_geometry::Vector2 c = s.project({0, 0});
        EXPECT_EQ(s.truth.coverageAt(static_cast<int>(c.x), static_cast<int>(c.y)), 255);
        EXPECT_EQ(s.truth.coverageAt(0, 0), 0);
        if (yaw == 0) {
            // Seen straight on, the top edge is level and the face is 80 mm tall.
            EXPECT_NEAR(s.faceCorners[0].y, s.faceCorners[1].y, 1e-9);
        } else {
            // Turned, the nearer edge looks taller than the farther one.
            const double left = s.faceCorners[3].y - s.faceCorners[0].y;
            const double right = s.faceCorners[2].y - s.faceCorners[1].y;
            EXPECT_NE(left, right);
        }
    }
}

TEST(TestScenes, TruthListsEveryDetailInsideTheFace) {
    SceneOptions options;
    options.width = 400;
    options.height = 300;
    const Scene s = renderScene(options);
    EXPECT_EQ(s.details.size(), allDetailKinds.size() + 1);  // two button rings
    for (const DetailTruth& d : s.details) {
        EXPECT_LT(std::abs(d.centreMm.x) + d.sizeMm.x / 2, options.faceWidthMm / 2);
        EXPECT_LT(std::abs(d.centreMm.y) + d.sizeMm.y / 2, options.faceHeightMm / 2);
        EXPECT_NEAR(d.centreUnits.y * options.faceHeightMm, d.centreMm.y, 1e-9);
    }
    ASSERT_EQ(s.textBoxesUnits.size(), 1u);
    EXPECT_GT(s.textBoxesUnits[0].width, 0.05);
    // The flat face: its centre pixel is the face colour.
    const std::uint8_t* centre =
        &s.faceTexture[(static_cast<std::size_t>(s.textureHeight / 2) * s.textureWidth + s.textureWidth / 2 + 1) * 4];
    EXPECT_NEAR(centre[0], 0.94 * 255, 2);
}

TEST(TestScenes, TransparentBackgroundIsTransparent) {
    SceneOptions options;
    options.width = 300;
    options.height = 200;
    options.backdrop = Background::transparent;
    options.yawDegrees = 90;  // side view
    const Scene s = renderScene(options);
    EXPECT_EQ(s.rgba[3], 0);
    EXPECT_TRUE(s.truth.boundingBox());
}

TEST(TestScenes, OtherShapesFitThePhotoAndAreNotTheirHull) {
    for (const DeviceShape shape : allDeviceShapes) {
        if (shape == DeviceShape::box) continue;
        SCOPED_TRACE(shapeName(shape));
        SceneOptions options;
        options.width = 400;
        options.height = 300;
        options.shape = shape;
        options.backdrop = Background::castShadow;
        const Scene s = renderScene(options);
        EXPECT_EQ(s.rgba, renderScene(options).rgba);
        // About subjectSize of the photo (the nearer parts look a little larger),
        // reaching it one way.
        const auto box = s.truth.boundingBox();
        ASSERT_TRUE(box);
        EXPECT_LE(box->width, 1.1 * 0.55 * 400);
        EXPECT_LE(box->height, 1.1 * 0.55 * 300);
        EXPECT_GE(std::max(box->width / 400, box->height / 300), 0.5);
        EXPECT_EQ(s.details.empty(), shape != DeviceShape::boxWithCable);
        if (shape == DeviceShape::boxWithCable) continue;
        // Seen straight on, the corners bound the device, closely.
        EXPECT_LE(s.faceCorners[0].x, box->x + 1);
        EXPECT_LE(s.faceCorners[0].y, box->y + 1);
        EXPECT_GE(s.faceCorners[2].x, box->x + box->width - 1);
        EXPECT_GE(s.faceCorners[2].y, box->y + box->height - 1);
        EXPECT_GE(s.faceCorners[0].x, box->x - 0.1 * box->width);
        EXPECT_GE(s.faceCorners[0].y, box->y - 0.1 * box->height);
    }
    // The L, the T, the lamp and the fan leave part of their box empty: the
    // truth is no hull. (u, v) are shares of the way across and down the box.
    const auto covered = [](DeviceShape shape, double u, double v) {
        SceneOptions options;
        options.width = 400;
        options.height = 300;
        options.shape = shape;
        options.yawDegrees = 30;
        options.pitchDegrees = 8;
        const Scene s = renderScene(options);
        const auto& c = s.faceCorners;
        const icon_geometry::Vector2 p = c[0].lerp(c[1], u).lerp(c[3].lerp(c[2], u), v);
        return s.truth.coverageAt(static_cast<int>(p.x), static_cast<int>(p.y));
    };
    EXPECT_EQ(covered(DeviceShape::lBracket, 0.88, 0.12), 0);
    EXPECT_EQ(covered(DeviceShape::tValve, 0.12, 0.88), 0);
    EXPECT_EQ(covered(DeviceShape::deskLamp, 0.12, 0.12), 0);
    EXPECT_EQ(covered(DeviceShape::fan, 0.5, 0.12), 0);
    EXPECT_EQ(covered(DeviceShape::thinStrip, 0.12, 0.5), 255);
}

TEST(TestScenes, TheCableLeavesTheFrameOnlyWhenAsked) {
    for (const bool leaves : {false, true}) {
        SceneOptions options;
        options.width = 400;
        options.height = 300;
        options.shape = DeviceShape::boxWithCable;
        options.cableLeavesFrame = leaves;
        const Scene s = renderScene(options);
        int bottom = 0;
        for (int x = 0; x < s.width; ++x) bottom += s.truth.coverageAt(x, s.height - 1) >= 128;
        EXPECT_EQ(bottom > 0, leaves);
        EXPECT_LT(bottom, 12);  // a few millimetres thick, 2 pixels a millimetre
    }
}

}  // namespace
}  // namespace test_photo
