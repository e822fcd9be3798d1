#include "photo_analysis/face_rectification.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>

#include "face_scene.hpp"

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

// A 6 × 4 checkerboard face seen by the pinhole, drawn with 4 × 4 samples a pixel.
Photo checkerboardPhoto(const FaceCorners& corners, int width, int height) {
    const Vector2 face[4] = {{-0.75, -0.5}, {0.75, -0.5}, {0.75, 0.5}, {-0.75, 0.5}};
    const auto toFace = *Homography::fromPoints(corners.points(), face);
    return test_scene::paintedPhoto(width, height, [&](double x, double y) -> std::array<std::uint8_t, 3> {
        double sum = 0;
        for (int i = 0; i < 4; ++i) {
            for (int j = 0; j < 4; ++j) {
                const Vector2 f = toFace.apply(x - 0.375 + i * 0.25, y - 0.375 + j * 0.25);
                if (std::abs(f.x) > 0.75 || std::abs(f.y) > 0.5) {
                    sum += 128;
                } else {
                    const int cell = static_cast<int>(std::floor((f.x + 0.75) / 0.25) + std::floor((f.y + 0.5) / 0.25));
                    sum += cell % 2 == 0 ? 230 : 30;
                }
            }
        }
        const auto v = static_cast<std::uint8_t>(std::lround(sum / 16));
        return {v, v, v};
    });
}

TEST(Rectification, RectifiedCheckerboardHasStraightCells) {
    const FaceCorners corners = projectRectangle({30, 15, 1400, {0, 0}}, 800, 600);
    const Photo photo = checkerboardPhoto(corners, 800, 600);
    const auto rectification = Rectification::make(corners, 800, 600);
    ASSERT_TRUE(rectification);
    const auto image = rectification->rectifiedImage(photo, 600);
    ASSERT_TRUE(image);
    ASSERT_EQ(image->height(), 600);
    const int w = image->width();
    EXPECT_NEAR(w, 900, 9);
    const auto grey = [&](int x, int y) { return image->pixels()[(static_cast<std::size_t>(y) * w + x) * 4]; };
    // Where the grey crosses the middle between two pixels, along a row or a column.
    const auto crossings = [&](bool alongRow, int fixed, int length) {
        std::vector<double> found;
        for (int i = 1; i < length; ++i) {
            const double a = alongRow ? grey(i - 1, fixed) : grey(fixed, i - 1);
            const double b = alongRow ? grey(i, fixed) : grey(fixed, i);
            if ((a - 130) * (b - 130) < 0) found.push_back(i - 0.5 + (130 - a) / (b - a));
        }
        return found;
    };
    for (int row = 0; row < 4; ++row) {
        const auto found = crossings(true, 75 + row * 150, w);
        ASSERT_EQ(found.size(), 5u) << row;
        for (int k = 1; k <= 5; ++k) EXPECT_NEAR(found[k - 1], k * w / 6.0, 1.0) << row << " " << k;
    }
    for (int column = 0; column < 6; ++column) {
        const auto found = crossings(false, static_cast<int>((column + 0.5) * w / 6), 600);
        ASSERT_EQ(found.size(), 3u) << column;
        for (int k = 1; k <= 3; ++k) EXPECT_NEAR(found[k - 1], k * 150.0, 1.0) << column << " " << k;
    }
}

TEST(Rectification, RectifiedImageSizeAndRefusals) {
    const Photo photo = test_scene::paintedPhoto(64, 48, [](double, double) {
        return std::array<std::uint8_t, 3>{9, 9, 9};
    });
    auto rectification = *Rectification::make(box(8, 8, 48, 32), 64, 48);
    rectification.aspectRatio = 1.5;
    const auto image = rectification.rectifiedImage(photo, 600);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 900);
    EXPECT_EQ(image->height(), 600);
    // Outside the photo the face image is transparent.
    auto beyond = *Rectification::make(box(-64, 8, 48, 32), 64, 48);
    const auto transparent = beyond.rectifiedImage(photo, 10);
    ASSERT_TRUE(transparent);
    EXPECT_EQ(transparent->pixels()[3], 0);
    EXPECT_FALSE(rectification.rectifiedImage(photo, 0));
    EXPECT_FALSE(rectification.rectifiedImage(photo, -5));
    EXPECT_FALSE(rectification.rectifiedImage(photo, 70000));
    EXPECT_FALSE(rectification.rectifiedImage(Photo(), 600));
    rectification.aspectRatio = 20;  // 120,000 pixels wide is over the side cap
    EXPECT_FALSE(rectification.rectifiedImage(photo, 6000));
    rectification.aspectRatio = 1;  // 30,000 × 30,000 is over the pixel cap
    EXPECT_FALSE(rectification.rectifiedImage(photo, 30000));
}

}  // namespace
}  // namespace photo_analysis
