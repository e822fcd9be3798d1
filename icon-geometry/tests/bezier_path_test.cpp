#include "icon_geometry/bezier_path.hpp"

#include <gtest/gtest.h>

#include "icon_geometry/geometry_coding.hpp"
#include "platform/platform_path.hpp"

using namespace icon_geometry;

namespace {

Subpath only(const BezierPath& p) {
    EXPECT_EQ(p.subpaths.size(), 1u);
    return p.subpaths.empty() ? Subpath{} : p.subpaths.front();
}

}  // namespace

TEST(PathBuilder, MovesAloneLeaveNoTrace) {
    PathBuilder b;
    b.moveTo({0, 0});
    b.moveTo({5, 5});
    EXPECT_TRUE(b.finish().subpaths.empty());

    PathBuilder twoMoves;
    twoMoves.moveTo({0, 0});
    twoMoves.moveTo({5, 5});
    twoMoves.lineTo({6, 5});
    EXPECT_EQ(only(twoMoves.finish()).start, (Vector2{5, 5}));
}

TEST(PathBuilder, StepsWithinEpsilonAreDropped) {
    PathBuilder b;
    b.moveTo({0, 0});
    b.lineTo({1e-9, 0});
    b.curveTo({1e-9, 0}, {0, 1e-9}, {0, 0});
    EXPECT_TRUE(b.finish().subpaths.empty());

    PathBuilder c;
    c.moveTo({0, 0});
    c.lineTo({2e-9, 0});
    c.curveTo({2e-9, 0}, {2e-9, 1}, {2e-9, 0});  // a loop: end on the current point, one control away
    const Subpath s = only(c.finish());
    ASSERT_EQ(s.segments.size(), 2u);
    EXPECT_TRUE(s.segments[0].isLine());
    EXPECT_FALSE(s.segments[1].isLine());
    EXPECT_FALSE(s.isClosed);
}

TEST(PathBuilder, ClosingDropsOnlyAFinalLineBackToTheStart) {
    PathBuilder outAndBack;
    outAndBack.moveTo({0, 0});
    outAndBack.lineTo({5, 0});
    outAndBack.lineTo({0, 0});
    outAndBack.closeSubpath();
    const Subpath s = only(outAndBack.finish());
    EXPECT_EQ(s.segments, std::vector{PathSegment::line({5, 0})});
    EXPECT_TRUE(s.isClosed);

    PathBuilder triangle;
    triangle.moveTo({0, 0});
    triangle.lineTo({4, 0});
    triangle.lineTo({0, 3});
    triangle.lineTo({0, 0});
    triangle.closeSubpath();
    EXPECT_EQ(only(triangle.finish()).segments.size(), 2u);

    PathBuilder curved;
    curved.moveTo({0, 0});
    curved.lineTo({4, 0});
    curved.lineTo({0, 3});
    curved.curveTo({0, 0}, {0, 2}, {0, 1});
    curved.closeSubpath();
    EXPECT_EQ(only(curved.finish()).segments.size(), 3u);
}

TEST(PathBuilder, AfterACloseALineWithoutAMoveIsIgnored) {
    PathBuilder b;
    b.moveTo({0, 0});
    b.lineTo({4, 0});
    b.lineTo({0, 3});
    b.closeSubpath();
    b.lineTo({9, 9});
    const BezierPath p = b.finish();
    ASSERT_EQ(p.subpaths.size(), 1u);
    EXPECT_EQ(p.subpaths[0].segments.size(), 2u);

    PathBuilder open;
    open.moveTo({0, 0});
    open.lineTo({1, 0});
    EXPECT_FALSE(only(open.finish()).isClosed);
}

TEST(BezierPath, PlatformPathOfBareStartsIsEmptyWithNullBounds) {
    const BezierPath bare{{Subpath{{1, 1}, {}, true}, Subpath{{2, 2}, {}, false}}};
    EXPECT_TRUE(bare.isEmpty());
    EXPECT_TRUE(toPlatformPath(bare).isEmpty());
    EXPECT_TRUE(bare.bounds().isNull());
}

TEST(BezierPath, FromPlatformPathRaisesQuadraticsAndContinuesAfterAClose) {
    PlatformPath quadratic;
    quadratic.moveTo({0, 0});
    quadratic.addQuadCurveTo({3, 3}, {6, 0});
    const Subpath q = only(fromPlatformPath(quadratic));
    EXPECT_EQ(q.start, (Vector2{0, 0}));
    EXPECT_EQ(q.segments, std::vector{PathSegment::cubic({2, 2}, {4, 2}, {6, 0})});
    EXPECT_FALSE(q.isClosed);

    PlatformPath closedThenLine;
    closedThenLine.moveTo({1, 1});
    closedThenLine.addLineTo({5, 1});
    closedThenLine.addLineTo({5, 5});
    closedThenLine.closeSubpath();
    closedThenLine.addLineTo({9, 9});
    const BezierPath p = fromPlatformPath(closedThenLine);
    ASSERT_EQ(p.subpaths.size(), 2u);
    EXPECT_TRUE(p.subpaths[0].isClosed);
    EXPECT_EQ(p.subpaths[1].start, (Vector2{1, 1}));
    EXPECT_EQ(p.subpaths[1].segments, std::vector{PathSegment::line({9, 9})});
}

TEST(BezierPath, RoundTripsThroughThePlatformPath) {
    PathBuilder b;
    b.moveTo({0, 0});
    b.lineTo({10, 0});
    b.curveTo({10, 10}, {15, 3}, {15, 7});
    b.closeSubpath();
    b.moveTo({20, 20});
    b.lineTo({30, 25});
    const BezierPath path = b.finish();
    EXPECT_EQ(fromPlatformPath(toPlatformPath(path)), path);
}

TEST(BezierPath, DroppingSmallSubpathsKeepsLongThinOnes) {
    const BezierPath path{{
        Subpath{{0, 0}, {PathSegment::line({10, 0})}, false},
        Subpath{{0, 0}, {PathSegment::line({2, 0}), PathSegment::line({2, 2}), PathSegment::line({0, 2})}, true},
        Subpath{{0, 0}, {PathSegment::line({0, 5})}, false},
    }};
    const BezierPath kept = path.droppingSmallSubpaths(3);
    ASSERT_EQ(kept.subpaths.size(), 2u);
    EXPECT_EQ(kept.subpaths[0], path.subpaths[0]);
    EXPECT_EQ(kept.subpaths[1], path.subpaths[2]);
}

TEST(BezierPath, EqualPathsHashAlikeWhateverTheSignOfZero) {
    const BezierPath a{{Subpath{{0, -0.0}, {PathSegment::line({1, 0})}, false}}};
    const BezierPath b{{Subpath{{-0.0, 0}, {PathSegment::line({1, -0.0})}, false}}};
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<BezierPath>{}(a), std::hash<BezierPath>{}(b));
    const BezierPath closed{{Subpath{{0, 0}, {PathSegment::line({1, 0})}, true}}};
    EXPECT_NE(a, closed);
}

TEST(BezierPathJSON, RoundTripsAndReadsTheDocumentedForm) {
    const BezierPath line = json::decode<BezierPath>(
        R"({"subpaths": [{"start": {"x": 0, "y": 0}, "segments": [{"line": {"to": {"x": 1, "y": 0}}}], "isClosed": false}]})");
    EXPECT_EQ(line, (BezierPath{{Subpath{{0, 0}, {PathSegment::line({1, 0})}, false}}}));

    const BezierPath path{
        {Subpath{{1.5, -2}, {PathSegment::cubic({1, 2}, {3, 4}, {5, 6}), PathSegment::line({0, 0})}, true}}};
    EXPECT_EQ(json::decode<BezierPath>(json::write(json::encode(path))), path);
}
