#include "icon_geometry/rotation.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "icon_geometry/camera.hpp"
#include "icon_geometry/cubic.hpp"

using namespace icon_geometry;

namespace {

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();

void expectNear(Vector3 a, Vector3 b) {
    EXPECT_NEAR(a.x, b.x, 1e-12);
    EXPECT_NEAR(a.y, b.y, 1e-12);
    EXPECT_NEAR(a.z, b.z, 1e-12);
}

}  // namespace

TEST(Rotation3, QuarterTurnsAboutTheHorizontalAreExact) {
    EXPECT_EQ(Rotation3::aboutHorizontal(90), (Rotation3{{Vector3{1, 0, 0}, {0, 0, -1}, {0, 1, 0}}}));
    EXPECT_EQ(Rotation3::aboutHorizontal(-90), (Rotation3{{Vector3{1, 0, 0}, {0, 0, 1}, {0, -1, 0}}}));
    const double s = std::sin(45 * std::numbers::pi / 180);
    const double c = std::cos(45 * std::numbers::pi / 180);
    EXPECT_EQ(Rotation3::aboutHorizontal(45), (Rotation3{{Vector3{1, 0, 0}, {0, c, -s}, {0, s, c}}}));
    // About the vertical there is no exact case.
    EXPECT_NEAR(Rotation3::aboutVertical(90).rows[0].x, 6.123233995736766e-17, 1e-30);
}

TEST(Rotation3, ProductAppliesTheRightFactorFirst) {
    const Rotation3 a = Rotation3::aboutHorizontal(30);
    const Rotation3 b = Rotation3::aboutVertical(-70);
    for (const Vector3 v : {Vector3{1, 2, 3}, Vector3{-4, 0.5, 7}}) {
        expectNear(a.multiplied(b).apply(v), a.apply(b.apply(v)));
    }
    const Rotation3 x = Rotation3::aboutHorizontal(90);
    const Rotation3 y = Rotation3::aboutVertical(90);
    expectNear(x.multiplied(y).apply({0, 0, 1}), {-1, 0, 0});
    expectNear(y.multiplied(x).apply({0, 0, 1}), {0, -1, 0});
}

TEST(Pose, IdentityPassesPointsThroughUntouched) {
    const Vector3 out = Pose::identity().apply({-0.0, notANumber, std::numeric_limits<double>::infinity()});
    EXPECT_TRUE(std::signbit(out.x));
    EXPECT_TRUE(std::isnan(out.y));
    EXPECT_TRUE(std::isinf(out.z));
    EXPECT_EQ(Pose{}, Pose::identity());
}

TEST(Pose, RotatesThenTranslatesAndInverts) {
    const Pose quarter{Rotation3::aboutHorizontal(90), {10, 20, 30}};
    EXPECT_EQ(quarter.apply({1, 2, 3}), (Vector3{11, 17, 32}));  // (1, −3, 2) moved
    EXPECT_EQ(quarter.inverseApply({11, 17, 32}), (Vector3{1, 2, 3}));
    const Pose turned{Rotation3::aboutVertical(29).multiplied(Rotation3::aboutHorizontal(-11)), {-3, 0.25, 8}};
    expectNear(turned.inverseApply(turned.apply({-40, 7, 2})), {-40, 7, 2});
    EXPECT_EQ(turned.rotation.transposed().transposed(), turned.rotation);
}

TEST(RevolvedAxis, FrameLiftsCrossSectionsAlongEachAxis) {
    // The cross-section point (1, 0) at height 2.
    EXPECT_EQ(RevolvedAxis(RevolvedAxis::vertical).frame(1, 0, 2), (Vector3{1, 2, 0}));
    EXPECT_EQ(RevolvedAxis(RevolvedAxis::horizontal).frame(1, 0, 2), (Vector3{2, 1, 0}));
    EXPECT_EQ(RevolvedAxis(RevolvedAxis::depth).frame(1, 0, 2), (Vector3{1, 0, 2}));
    EXPECT_EQ(RevolvedAxis::fromRawValue("horizontal"), RevolvedAxis::horizontal);
    EXPECT_FALSE(RevolvedAxis::fromRawValue("Vertical"));
}

TEST(PathProjection, KeepsTheShapeOfThePath) {
    const PerspectiveProjection p(Camera::defaultCamera(), 1);
    EXPECT_TRUE(p.projectPlanarPath(BezierPath{}, 0, 1).subpaths.empty());

    const BezierPath bare{{Subpath{{0.5, 0.25}, {}, true}}};
    const BezierPath projected = p.projectPlanarPath(bare, 0.1, 1);
    ASSERT_EQ(projected.subpaths.size(), 1u);
    EXPECT_TRUE(projected.subpaths[0].segments.empty());
    EXPECT_TRUE(projected.subpaths[0].isClosed);
    EXPECT_EQ(projected.subpaths[0].start, p.projectPoint({0.5, 0.25, 0.1}));

    // A long line stays one line; the origin at depth 0 is the image centre.
    const BezierPath line{{Subpath{{0, 0}, {PathSegment::line({1e6, 0})}, false}}};
    const BezierPath image = p.projectPosedPath(line, Pose::identity(), 0, 0.001);
    ASSERT_EQ(image.subpaths[0].segments.size(), 1u);
    EXPECT_TRUE(image.subpaths[0].segments[0].isLine());
    EXPECT_EQ(image.subpaths[0].start, (Vector2{0, 0}));
}

TEST(PathProjection, CubicsAreCutByTheLengthOfTheirControlPolygon) {
    const PerspectiveProjection p(Camera::defaultCamera(), 100);
    // Legs of 5, 0 and 5: a control polygon exactly 10 long.
    const BezierPath cubic{{Subpath{{0, 0}, {PathSegment::cubic({3, 4}, {3, 4}, {6, 8})}, false}}};
    const std::pair<double, std::size_t> cases[] = {{4, 3},  {10, 1},         {3.3, 4},   {0, 1},
                                                    {-2, 1}, {notANumber, 1}, {0.01, 256}};
    for (const auto& [step, pieces] : cases) {
        EXPECT_EQ(p.projectPlanarPath(cubic, 0, step).subpaths[0].segments.size(), pieces) << step;
    }
}

TEST(PathProjection, PiecesMeetOnTheProjectedCurve) {
    const PerspectiveProjection p({31, 2, 2.5}, 100);
    const Vector2 p0{-20, 10}, c1{-5, -30}, c2{25, 40}, p1{30, -10};
    const BezierPath image = p.projectPlanarPath({{Subpath{p0, {PathSegment::cubic(c1, c2, p1)}, false}}}, 7, 1);
    const auto& segments = image.subpaths[0].segments;
    const std::size_t n = segments.size();
    ASSERT_GT(n, 1u);
    for (std::size_t i = 0; i < n; ++i) {
        const Vector2 on = Cubic::point(p0, c1, c2, p1, double(i + 1) / double(n));
        const Vector2 expected = p.projectPoint({on.x, on.y, 7});
        EXPECT_NEAR(segments[i].end().x, expected.x, 1e-12);
        EXPECT_NEAR(segments[i].end().y, expected.y, 1e-12);
    }
    EXPECT_EQ(segments.back().end(), p.projectPoint({p1.x, p1.y, 7}));
}
