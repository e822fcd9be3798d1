#include "icon_geometry/path_fitting.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "icon_geometry/cubic.hpp"
#include "test_paths.hpp"

using namespace icon_geometry;
using test_paths::circle;
using test_paths::polyline;

TEST(PathFitting, EmptyAndSinglePieceSubpathsPassThrough) {
    EXPECT_TRUE(PathFitting::fit(BezierPath{{Subpath{{1, 1}, {}, true}}}, 0.5).subpaths.empty());
    const BezierPath one = polyline({{0, 0}, {5, 5}}, false);
    EXPECT_EQ(PathFitting::fit(one, 0.5), one);
    const BezierPath almostOne = polyline({{0, 0}, {5, 5}, {5, 5 + 1e-10}}, false);
    EXPECT_EQ(PathFitting::fit(almostOne, 0.5), almostOne);
}

TEST(PathFitting, CornersStaySharp) {
    const BezierPath fitted = PathFitting::fit(polyline({{0, 0}, {10, 0}, {10, 10}}, false), 0.5);
    ASSERT_EQ(fitted.subpaths.size(), 1u);
    EXPECT_EQ(fitted.subpaths[0].segments, (std::vector{PathSegment::line({10, 0}), PathSegment::line({10, 10})}));
}

TEST(PathFitting, CollinearPiecesBecomeOneLine) {
    std::vector<Vector2> points;
    for (int i = 0; i <= 20; ++i) points.push_back({i * 0.5, i * 0.25});
    const BezierPath fitted = PathFitting::fit(polyline(points, false), 0.1);
    ASSERT_EQ(fitted.subpaths.size(), 1u);
    EXPECT_EQ(fitted.subpaths[0].segments, std::vector{PathSegment::line({10, 5})});
}

TEST(PathFitting, AClosedSquareStartsAtItsFirstCorner) {
    const BezierPath square = polyline({{5, 0}, {10, 0}, {10, 10}, {0, 10}, {0, 0}, {5, 0}}, true);
    const BezierPath fitted = PathFitting::fit(square, 0.5);
    ASSERT_EQ(fitted.subpaths.size(), 1u);
    const Subpath& s = fitted.subpaths[0];
    EXPECT_TRUE(s.isClosed);
    EXPECT_EQ(s.start, (Vector2{10, 0}));
    EXPECT_EQ(s.segments,
              (std::vector{PathSegment::line({10, 10}), PathSegment::line({0, 10}), PathSegment::line({0, 0})}));
}

TEST(PathFitting, ACircleIsASmoothLoopWithinTolerance) {
    const BezierPath fitted = PathFitting::fit(circle({50, 50}, 40), 0.25);
    ASSERT_EQ(fitted.subpaths.size(), 1u);
    const Subpath& s = fitted.subpaths[0];
    EXPECT_TRUE(s.isClosed);
    EXPECT_EQ(s.start, (Vector2{90, 50}));
    EXPECT_LE(s.segments.size(), 8u);
    Vector2 from = s.start;
    for (const PathSegment& segment : s.segments) {
        const auto* c = segment.asCubic();
        ASSERT_NE(c, nullptr);
        for (double t = 0; t <= 1; t += 0.125)
            EXPECT_NEAR(Cubic::point(from, c->control1, c->control2, c->to, t).distance({50, 50}), 40, 0.5);
        from = c->to;
    }
}

TEST(PathFitting, JointsTurningByLessThanTheCornerAngleAreSmooth) {
    const auto turnedBy = [](double angle) {
        return polyline({{-10, 0}, {0, 0}, {10 * std::cos(angle), 10 * std::sin(angle)}}, false);
    };
    EXPECT_EQ(PathFitting::fit(turnedBy(PathFitting::cornerAngle - 1e-6), 100).subpaths[0].segments.size(), 1u);
    EXPECT_EQ(PathFitting::fit(turnedBy(PathFitting::cornerAngle + 1e-6), 100).subpaths[0].segments.size(), 2u);
}

TEST(PathFitting, TwoPointRunsAreLinesAndAnErrorEqualToTheToleranceIsRejected) {
    PathBuilder b;
    b.moveTo({0, 0});
    PathFitting::fitCubic({{0, 0}, {3, 4}}, b, 0, {1, 0}, {-1, 0}, 0.5);
    EXPECT_EQ(b.finish().subpaths[0].segments, std::vector{PathSegment::line({3, 4})});

    // A zigzag no single cubic passes through: the first fit misses by `error`.
    const std::vector<Vector2> points{{0, 0}, {1, 2}, {2, -1}, {3, 0}};
    const std::vector<double> u = PathFitting::chordLengthParameters(points);
    const auto cubic = PathFitting::leastSquaresCubic(points, u, {0.6, 0.8}, {-0.6, 0.8});
    const double error = PathFitting::maxError(points, cubic, u).first;
    ASSERT_GT(error, 0);
    const auto fitWith = [&](double tolerance) {
        PathBuilder builder;
        builder.moveTo({0, 0});
        PathFitting::fitCubic(points, builder, 0, {0.6, 0.8}, {-0.6, 0.8}, tolerance);
        return builder.finish().subpaths[0].segments;
    };
    EXPECT_EQ(fitWith(std::nextafter(error, 1e9)), std::vector{PathSegment::cubic(cubic[1], cubic[2], cubic[3])});
    EXPECT_NE(fitWith(error), std::vector{PathSegment::cubic(cubic[1], cubic[2], cubic[3])});
}

TEST(PathFitting, ChordParametersOfCoincidentPointsStayZero) {
    EXPECT_EQ(PathFitting::chordLengthParameters({{1, 1}, {1, 1}, {1, 1}}), (std::vector<double>{0, 0, 0}));
    EXPECT_EQ(PathFitting::chordLengthParameters({{0, 0}, {1, 0}, {3, 0}}), (std::vector<double>{0, 1.0 / 3, 1}));
}
