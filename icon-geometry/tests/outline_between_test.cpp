#include <gtest/gtest.h>

#include "icon_geometry/cubic.hpp"
#include "projection/silhouette.hpp"
#include "test_paths.hpp"

using namespace icon_geometry;
using test_paths::circle;

namespace {

BezierPath square(Vector2 corner, double side) {
    return BezierPath{
        {Subpath{corner,
                 {PathSegment::line({corner.x + side, corner.y}), PathSegment::line({corner.x + side, corner.y + side}),
                  PathSegment::line({corner.x, corner.y + side})},
                 true}}};
}

std::vector<Vector2> pointsAlong(const BezierPath& path) {
    std::vector<Vector2> points;
    for (const Subpath& s : path.subpaths) {
        Vector2 from = s.start;
        for (const PathSegment& segment : s.segments) {
            if (const auto* c = segment.asCubic()) {
                for (int k = 0; k <= 8; ++k)
                    points.push_back(Cubic::point(from, c->control1, c->control2, c->to, k / 8.0));
            } else {
                points.push_back(segment.end());
            }
            from = segment.end();
        }
    }
    return points;
}

}  // namespace

TEST(OutlineBetween, NoContourOrACollinearHullGivesNothing) {
    EXPECT_TRUE(Silhouette::outlineBetween({}).subpaths.empty());
    EXPECT_TRUE(Silhouette::outlineBetween({BezierPath{}, BezierPath{{Subpath{{1, 1}, {}, true}}}}).subpaths.empty());
    const BezierPath flat{{Subpath{{0, 0}, {PathSegment::line({10, 0})}, true}}};
    EXPECT_TRUE(Silhouette::outlineBetween({flat, flat.translated(20, 0)}).subpaths.empty());
}

TEST(OutlineBetween, ACircleAroundATinyOneIsReturnedWhole) {
    const BezierPath tiny = circle({50, 50}, 1e-6);
    const BezierPath large = circle({50, 50}, 30);
    EXPECT_EQ(Silhouette::outlineBetween({tiny, large}), large);
    EXPECT_EQ(Silhouette::outlineBetween({large, tiny}), large);
}

TEST(OutlineBetween, TwoEqualCirclesAreJoinedByTwoBridges) {
    const BezierPath outline = Silhouette::outlineBetween({circle({0, 0}, 10), circle({40, 0}, 10)});
    ASSERT_EQ(outline.subpaths.size(), 1u);
    const Subpath& s = outline.subpaths[0];
    EXPECT_TRUE(s.isClosed);
    // Two half circles and the bridges along y = ±10 (one drawn, one the closing stretch).
    int lines = 0;
    for (const PathSegment& segment : s.segments) lines += segment.isLine() ? 1 : 0;
    EXPECT_EQ(lines, 1);
    for (const Vector2& p : pointsAlong(outline)) {
        const double toNearestCentre = std::min(p.distance({0, 0}), p.distance({40, 0}));
        const bool onBridge = std::abs(std::abs(p.y) - 10) < 1e-6 && p.x >= -1e-6 && p.x <= 40 + 1e-6;
        EXPECT_TRUE(std::abs(toNearestCentre - 10) < 0.01 || onBridge) << p.x << ", " << p.y;
        EXPECT_GE(p.x, -10.01);
        EXPECT_LE(p.x, 50.01);
    }
    EXPECT_NEAR(outline.bounds().width, 60, 1e-9);
    EXPECT_NEAR(outline.bounds().height, 20, 1e-9);
}

TEST(OutlineBetween, TheSweptBoxOfTwoSquaresIsTheirHull) {
    // A front face and its back face seen at an angle: the hull is a hexagon.
    const BezierPath outline = Silhouette::outlineBetween({square({0, 0}, 10), square({4, -3}, 10)});
    ASSERT_EQ(outline.subpaths.size(), 1u);
    std::vector<Vector2> corners{outline.subpaths[0].start};
    for (const PathSegment& segment : outline.subpaths[0].segments) corners.push_back(segment.end());
    EXPECT_EQ(corners.size(), 6u);
    for (const Vector2& expected : std::vector<Vector2>{{0, 0}, {4, -3}, {14, -3}, {14, 7}, {10, 10}, {0, 10}}) {
        EXPECT_NE(std::find(corners.begin(), corners.end(), expected), corners.end())
            << expected.x << ", " << expected.y;
    }
}

TEST(OutlineBetween, ContourArcsWrapAroundWhenTheyEndBeforeTheyStart) {
    const std::vector<Silhouette::Piece> pieces =
        Silhouette::closedPieces(square({0, 0}, 10).subpaths[0].segments, {0, 0});
    ASSERT_EQ(pieces.size(), 4u);  // the closing line is added
    PathBuilder within;
    within.moveTo({2.5, 0});
    Silhouette::appendContourArc(pieces, 0, 0.25, 0, 0.75, within);
    EXPECT_EQ(within.finish().subpaths[0].segments, std::vector{PathSegment::line({7.5, 0})});

    PathBuilder around;
    around.moveTo({7.5, 0});
    Silhouette::appendContourArc(pieces, 0, 0.75, 0, 0.25, around);
    EXPECT_EQ(around.finish().subpaths[0].segments,
              (std::vector{PathSegment::line({10, 0}), PathSegment::line({10, 10}), PathSegment::line({0, 10}),
                           PathSegment::line({0, 0}), PathSegment::line({2.5, 0})}));
}
