#include "photo_analysis/face_rectification.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

namespace photo_analysis {
namespace {

constexpr Vector2 faceOf2[4] = {{-1, -0.5}, {1, -0.5}, {1, 0.5}, {-1, 0.5}};

TEST(Homography, SendsEachSourceCornerToItsTarget) {
    const Vector2 from[4] = {{100, 80}, {520, 120}, {480, 400}, {90, 360}};
    const auto h = Homography::fromPoints(from, faceOf2);
    ASSERT_TRUE(h);
    EXPECT_EQ(h->h[8], 1);
    for (int i = 0; i < 4; ++i) {
        const Vector2 mapped = h->apply(from[i]);
        EXPECT_NEAR(mapped.x, faceOf2[i].x, 1e-12);
        EXPECT_NEAR(mapped.y, faceOf2[i].y, 1e-12);
    }
}

TEST(Homography, InverseReturnsRandomPoints) {
    const Vector2 from[4] = {{310, 95}, {1290, 180}, {1250, 1010}, {260, 930}};
    const auto h = Homography::fromPoints(from, faceOf2);
    ASSERT_TRUE(h);
    const auto back = h->inverted();
    ASSERT_TRUE(back);
    EXPECT_EQ(back->h[8], 1);
    std::mt19937 random(7);
    std::uniform_real_distribution<double> coordinate(0, 1600);
    for (int i = 0; i < 200; ++i) {
        const Vector2 p{coordinate(random), coordinate(random)};
        const Vector2 q = back->apply(h->apply(p));
        EXPECT_NEAR(q.x, p.x, 1e-7);
        EXPECT_NEAR(q.y, p.y, 1e-7);
    }
}

TEST(Homography, RefusesDegenerateInput) {
    const Vector2 coincident[4] = {{10, 10}, {10, 10}, {10, 10}, {50, 70}};
    EXPECT_FALSE(Homography::fromPoints(coincident, faceOf2));
    const Vector2 three[3] = {{0, 0}, {1, 0}, {1, 1}};
    EXPECT_FALSE(Homography::fromPoints(three, faceOf2));
    const Vector2 notFinite[4] = {{0, 0}, {NAN, 0}, {1, 1}, {0, 1}};
    EXPECT_FALSE(Homography::fromPoints(notFinite, faceOf2));
    const Vector2 infinite[4] = {{0, 0}, {INFINITY, 0}, {1, 1}, {0, 1}};
    EXPECT_FALSE(Homography::fromPoints(infinite, faceOf2));
}

TEST(Homography, InverseIsAbsentWhenItCannotBeNormalised) {
    struct Case {
        const char* what;
        Homography h;
    };
    const Case cases[] = {
        {"singular", {{1, 2, 3, 2, 4, 6, 0, 0, 1}}},
        {"tiny determinant", {{1e-6, 0, 0, 0, 1e-6, 0, 0, 0, 1e-6}}},
        // Invertible, but the inverse's last entry is zero: dividing by it would
        // hand back infinities as a success.
        {"zero last entry", {{0, 0, 1, 0, 1, 0, 1, 0, 1}}},
        {"not finite", {{NAN, 0, 0, 0, 1, 0, 0, 0, 1}}},
        {"infinite", {{INFINITY, 0, 0, 0, 1, 0, 0, 0, 1}}},
    };
    for (const auto& c : cases) EXPECT_FALSE(c.h.inverted()) << c.what;
    EXPECT_EQ(Homography::identity().inverted(), Homography::identity());
}

FaceCorners box(double x, double y, double w, double h) {
    return {{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
}

TEST(Rectification, AxisAlignedRectangleHasItsOwnRatio) {
    // 400 × 200 centred in a 1000 × 800 photo, then moved off centre.
    for (const Vector2 origin : {Vector2{300, 300}, Vector2{40, 520}}) {
        const auto r = Rectification::make(box(origin.x, origin.y, 400, 200), 1000, 800);
        ASSERT_TRUE(r);
        EXPECT_DOUBLE_EQ(r->aspectRatio, 2.0);
        EXPECT_FALSE(r->focalLength);
        const auto corners = r->corners.points();
        for (int i = 0; i < 4; ++i) {
            const Vector2 mapped = r->photoToFace.apply(corners[i]);
            EXPECT_NEAR(mapped.x, faceOf2[i].x, 1e-12);
            EXPECT_NEAR(mapped.y, faceOf2[i].y, 1e-12);
        }
    }
}

TEST(Rectification, ImposedRatioIsClampedButTheEstimateStillDecides) {
    const FaceCorners corners = box(300, 300, 400, 200);
    EXPECT_DOUBLE_EQ(Rectification::make(corners, 1000, 800, 0.01)->aspectRatio, 0.05);
    EXPECT_DOUBLE_EQ(Rectification::make(corners, 1000, 800, 35)->aspectRatio, 20);
    EXPECT_DOUBLE_EQ(Rectification::make(corners, 1000, 800, 1.25)->aspectRatio, 1.25);
    // A quadrilateral of zero height: the estimate is no ratio at all.
    const FaceCorners flat = box(300, 300, 400, 0);
    EXPECT_FALSE(Rectification::make(flat, 1000, 800));
    EXPECT_FALSE(Rectification::make(flat, 1000, 800, 1.5));
    // Wider than 20 : 1.
    EXPECT_FALSE(Rectification::make(box(0, 300, 1000, 40), 1000, 800, 2));
}

TEST(Rectification, RefusesCornersThatAreNotFinite) {
    FaceCorners corners = box(300, 300, 400, 200);
    corners.bottomLeft.y = NAN;
    EXPECT_FALSE(Rectification::make(corners, 1000, 800));
    corners.bottomLeft.y = INFINITY;
    EXPECT_FALSE(Rectification::make(corners, 1000, 800, 1.5));
}

// A 3 : 2 rectangle turned by yaw and pitch in front of a pinhole camera.
struct PinholeView {
    double yawDegrees, pitchDegrees, focal;
    Vector2 shift;  // of the rectangle's centre in the image, pixels
};

FaceCorners projectRectangle(const PinholeView& view, int width, int height) {
    const double yaw = view.yawDegrees * std::numbers::pi / 180, pitch = view.pitchDegrees * std::numbers::pi / 180;
    const double distance = 1000;
    FaceCorners corners;
    Vector2* out[4] = {&corners.topLeft, &corners.topRight, &corners.bottomRight, &corners.bottomLeft};
    const double local[4][2] = {{-150, -100}, {150, -100}, {150, 100}, {-150, 100}};
    for (int i = 0; i < 4; ++i) {
        // Yaw about the vertical axis, then pitch about the horizontal one.
        double x = local[i][0] * std::cos(yaw), y = local[i][1], z = local[i][0] * std::sin(yaw);
        const double y2 = y * std::cos(pitch) - z * std::sin(pitch), z2 = y * std::sin(pitch) + z * std::cos(pitch);
        y = y2;
        z = z2 + distance;
        x += view.shift.x * distance / view.focal;
        y += view.shift.y * distance / view.focal;
        *out[i] = {width * 0.5 + view.focal * x / z, height * 0.5 + view.focal * y / z};
    }
    return corners;
}

TEST(Rectification, RecoversRatioAndFocalLengthOfAPinholeView) {
    const PinholeView views[] = {
        {30, 15, 1400, {0, 0}}, {30, 15, 1400, {120, -80}}, {-25, 10, 2000, {-200, 60}}, {40, -12, 1100, {0, 50}}};
    for (const auto& view : views) {
        const auto r = Rectification::make(projectRectangle(view, 1600, 1200), 1600, 1200);
        ASSERT_TRUE(r) << view.yawDegrees;
        EXPECT_NEAR(r->aspectRatio, 1.5, 0.015) << view.yawDegrees;
        ASSERT_TRUE(r->focalLength) << view.yawDegrees;
        EXPECT_NEAR(*r->focalLength, view.focal, 0.02 * view.focal) << view.yawDegrees;
    }
}

}  // namespace
}  // namespace photo_analysis
