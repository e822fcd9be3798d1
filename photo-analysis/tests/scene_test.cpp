#include "test_photo/scene.hpp"

#include <gtest/gtest.h>

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

}  // namespace
}  // namespace test_photo
