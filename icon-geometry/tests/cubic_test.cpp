#include "icon_geometry/cubic.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

using namespace icon_geometry;

namespace {

constexpr Vector2 p0{0, 0}, c1{1, 3}, c2{4, 3}, p1{6, 0};

void expectNear(Vector2 a, Vector2 b, double tolerance = 1e-12) {
    EXPECT_NEAR(a.x, b.x, tolerance);
    EXPECT_NEAR(a.y, b.y, tolerance);
}

Vector2 endOf(const PathSegment& s) {
    return s.end();
}

}  // namespace

TEST(Cubic, SplitIntoEqualParameterPieces) {
    for (long long n : {0LL, 1LL, -3LL}) {
        const auto pieces = Cubic::split(p0, c1, c2, p1, n);
        ASSERT_EQ(pieces.size(), 1u);
        EXPECT_EQ(pieces[0], (Cubic::Curve{p0, c1, c2, p1}));
    }
    const auto pieces = Cubic::split(p0, c1, c2, p1, 4);
    ASSERT_EQ(pieces.size(), 4u);
    for (int i = 0; i < 3; ++i) {
        expectNear(pieces[i][3], Cubic::point(p0, c1, c2, p1, (i + 1) * 0.25));
        EXPECT_EQ(pieces[i][3], pieces[i + 1][0]);
    }
    EXPECT_EQ(pieces[3][3], p1);
}

TEST(Cubic, SubcurveOfTheWholeRangeIsTheCurveAndOfAPointCollapses) {
    EXPECT_EQ(Cubic::subcurve(p0, c1, c2, p1, 0, 1), (Cubic::Curve{p0, c1, c2, p1}));
    const auto point = Cubic::subcurve(p0, c1, c2, p1, 0.5, 0.5);
    const Vector2 mid = Cubic::point(p0, c1, c2, p1, 0.5);
    for (const Vector2& q : point) expectNear(q, mid);
    const auto middle = Cubic::subcurve(p0, c1, c2, p1, 0.25, 0.75);
    expectNear(middle[0], Cubic::point(p0, c1, c2, p1, 0.25));
    expectNear(middle[3], Cubic::point(p0, c1, c2, p1, 0.75));
    expectNear(Cubic::point(middle[0], middle[1], middle[2], middle[3], 0.5), mid);
}

TEST(CubicArc, DegenerateArcsGiveNothingOrALine) {
    EXPECT_TRUE(Cubic::arcSegments({0, 0}, {0, 0}, 1, 1, 0, false, true).empty());
    const double inf = std::numeric_limits<double>::infinity();
    for (const auto& segments : {Cubic::arcSegments({0, 0}, {2, 0}, 0, 1, 0, false, true),
                                 Cubic::arcSegments({0, 0}, {2, 0}, 1, inf, 0, false, true),
                                 Cubic::arcSegments({0, 0}, {2, 0}, 1, 1, std::nan(""), false, true)}) {
        ASSERT_EQ(segments.size(), 1u);
        EXPECT_EQ(segments[0], PathSegment::line({2, 0}));
    }
}

TEST(CubicArc, HalfCirclesFollowTheSweepFlag) {
    for (double radius : {1.0, 0.5, -1.0}) {  // too small radii are scaled up, negative act as positive
        const auto up = Cubic::arcSegments({0, 0}, {2, 0}, radius, radius, 0, false, true);
        ASSERT_EQ(up.size(), 2u);
        expectNear(endOf(up[0]), {1, -1});
        EXPECT_EQ(endOf(up[1]), (Vector2{2, 0}));
        const auto down = Cubic::arcSegments({0, 0}, {2, 0}, radius, radius, 0, false, false);
        ASSERT_EQ(down.size(), 2u);
        expectNear(endOf(down[0]), {1, 1});
    }
}

TEST(CubicArc, QuarterCircleIsOnePieceAndTheLargeArcThree) {
    const auto quarter = Cubic::arcSegments({0, 0}, {1, 1}, 1, 1, 0, false, true);
    ASSERT_EQ(quarter.size(), 1u);
    const auto& c = *quarter[0].asCubic();
    expectNear(c.control1, {0.5523, 0}, 1e-4);
    expectNear(c.control2, {1, 0.4477}, 1e-4);
    EXPECT_EQ(Cubic::arcSegments({0, 0}, {1, 1}, 1, 1, 0, true, true).size(), 3u);
    EXPECT_EQ(Cubic::arcHandle(std::numbers::pi / 2), 0.5522847498307933);
    EXPECT_LT(Cubic::arcHandle(std::numbers::pi / 2), Cubic::circleKappa);
}

TEST(CubicArc, EveryPieceStaysOnTheEllipse) {
    // A rotated ellipse: points along each piece stay at unit distance in the ellipse's frame.
    const double angle = 30 * std::numbers::pi / 180;
    const Vector2 from{10, 10};
    const auto segments = Cubic::arcSegments(from, {14, 12}, 5, 2, 30, true, false);
    ASSERT_GE(segments.size(), 2u);
    Vector2 start = from;
    // Recover the centre from the conversion's own midpoint: sample points must satisfy one ellipse.
    std::vector<Vector2> samples;
    for (const auto& s : segments) {
        const auto& c = *s.asCubic();
        for (double t : {0.0, 0.5, 1.0}) samples.push_back(Cubic::point(start, c.control1, c.control2, c.to, t));
        start = c.to;
    }
    // Fit check: all samples equidistant in the rotated, scaled frame from their mean-free centre is
    // hard to get without the centre, so compare pairs of opposite tangency instead: the ellipse
    // equation with the centre found from the first three samples.
    const double ca = std::cos(angle), sa = std::sin(angle);
    auto frame = [&](Vector2 p) { return Vector2{(p.x * ca + p.y * sa) / 5, (-p.x * sa + p.y * ca) / 2}; };
    // In the frame the ellipse is a unit circle: find its centre from three points.
    const Vector2 a = frame(samples[0]), b = frame(samples[1]), d = frame(samples[2]);
    const double den = 2 * (a.x * (b.y - d.y) + b.x * (d.y - a.y) + d.x * (a.y - b.y));
    const Vector2 centre{((a.dot(a)) * (b.y - d.y) + (b.dot(b)) * (d.y - a.y) + (d.dot(d)) * (a.y - b.y)) / den,
                         ((a.dot(a)) * (d.x - b.x) + (b.dot(b)) * (a.x - d.x) + (d.dot(d)) * (b.x - a.x)) / den};
    for (const Vector2& p : samples) EXPECT_NEAR(frame(p).distance(centre), 1.0, 2e-3);
}
