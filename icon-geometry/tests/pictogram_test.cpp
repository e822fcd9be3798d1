#include "icon_geometry/pictogram.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "icon_geometry/cubic.hpp"

using namespace icon_geometry;

namespace {

using std::numbers::pi;

void expectNear(Vector2 actual, Vector2 expected, double tolerance = 1e-9) {
    EXPECT_NEAR(actual.x, expected.x, tolerance);
    EXPECT_NEAR(actual.y, expected.y, tolerance);
}

}  // namespace

TEST(Pictogram, ElementCountsHoldAtAnySizeAndZeroSizeDrawsNothing) {
    struct Case {
        Pictogram::Case pictogram;
        std::size_t count;
    };
    for (const Case& c : std::vector<Case>{{Pictogram::power, 2},
                                           {Pictogram::chevronUp, 1},
                                           {Pictogram::chevronDown, 1},
                                           {Pictogram::chevronLeft, 1},
                                           {Pictogram::chevronRight, 1},
                                           {Pictogram::sun, 9},
                                           {Pictogram::thermometer, 2},
                                           {Pictogram::plus, 2},
                                           {Pictogram::minus, 1},
                                           {Pictogram::wifi, 4}}) {
        const Pictogram p(c.pictogram);
        const auto drawn = p.elements({10, 20}, 50, 3);
        EXPECT_EQ(drawn.size(), c.count) << p.rawValue();
        for (const IconElement& e : drawn) {
            EXPECT_FALSE(e.path().isEmpty()) << p.rawValue();
            if (const auto* s = e.asStroke()) {
                EXPECT_EQ(s->weight, StrokeWeight::inner()) << p.rawValue();
            }
            EXPECT_EQ(e.asHole(), nullptr);
        }
        const auto collapsed = p.elements({10, 20}, 0, 3);
        EXPECT_EQ(collapsed.size(), c.count) << p.rawValue();
        for (const IconElement& e : collapsed) EXPECT_TRUE(e.path().subpaths.empty()) << p.rawValue();
    }
}

TEST(Pictogram, ChevronUpPointsTowardsNegativeY) {
    const auto drawn = Pictogram(Pictogram::chevronUp).elements({100, 100}, 40, 1);
    ASSERT_EQ(drawn.size(), 1u);
    const BezierPath& path = drawn[0].path();
    ASSERT_EQ(path.subpaths.size(), 1u);
    const Subpath& s = path.subpaths[0];
    EXPECT_FALSE(s.isClosed);
    EXPECT_EQ(s.start, (Vector2{80, 110}));
    EXPECT_EQ(s.segments, (std::vector<PathSegment>{PathSegment::line({100, 90}), PathSegment::line({120, 110})}));
}

TEST(Pictogram, SunDiscIsStrokedOnceDrawnLargeEnough) {
    const Pictogram sun(Pictogram::sun);
    EXPECT_NE(sun.elements({0, 0}, 100, 1)[0].asFill(), nullptr);    // 34 canvas units
    EXPECT_NE(sun.elements({0, 0}, 100, 2)[0].asStroke(), nullptr);  // 68 canvas units
    const auto drawn = sun.elements({0, 0}, 100, 1);
    const Rect disc = drawn[0].path().bounds();
    EXPECT_NEAR(disc.width, 34, 1e-9);
    for (int i = 0; i < 8; ++i) {
        const Subpath& ray = drawn[1 + i].path().subpaths.at(0);
        EXPECT_NEAR(ray.start.length(), 36, 1e-9) << i;
        EXPECT_NEAR(ray.segments.at(0).end().length(), 50, 1e-9) << i;
        EXPECT_NEAR(std::atan2(ray.start.y, ray.start.x), std::remainder(i * pi / 4, 2 * pi), 1e-9) << i;
    }
}

TEST(Pictogram, PowerRingOpensAtTheTop) {
    const auto drawn = Pictogram(Pictogram::power).elements({0, 0}, 100, 1);
    const Subpath& ring = drawn[0].path().subpaths.at(0);
    EXPECT_EQ(ring.segments.size(), 4u);
    expectNear(ring.start, {40 * std::cos(-pi / 2 + 0.6), 40 * std::sin(-pi / 2 + 0.6)});
    expectNear(ring.segments.back().end(), {40 * std::cos(3 * pi / 2 - 0.6), 40 * std::sin(3 * pi / 2 - 0.6)});
    EXPECT_LT(ring.start.y, 0);
    const Subpath& stem = drawn[1].path().subpaths.at(0);
    EXPECT_EQ(stem.start, (Vector2{0, -50}));
    EXPECT_EQ(stem.segments.at(0).end(), (Vector2{0, -5}));
}

TEST(Pictogram, ThermometerAndWifiSitAroundTheirCentre) {
    const auto thermometer = Pictogram(Pictogram::thermometer).elements({10, 10}, 100, 1);
    const Rect tube = thermometer[0].path().bounds();
    EXPECT_NEAR(tube.width, 28, 1e-9);
    EXPECT_NEAR(tube.height, 80, 1e-9);
    expectNear(tube.center(), {10, 0});
    ASSERT_NE(thermometer[1].asFill(), nullptr);
    expectNear(thermometer[1].path().bounds().center(), {10, 39});

    const auto wifi = Pictogram(Pictogram::wifi).elements({0, 0}, 100, 1);
    const Vector2 focus{0, 40};
    const double radii[] = {100 * 0.3 * 0.95, 100 * 0.6 * 0.95, 100 * 0.9 * 0.95};
    for (int i = 0; i < 3; ++i) {
        const Subpath& arc = wifi[i].path().subpaths.at(0);
        EXPECT_EQ(arc.segments.size(), 1u);
        EXPECT_NEAR(arc.start.distance(focus), radii[i], 1e-9);
        // Symmetric about the vertical through the focus, above it.
        EXPECT_NEAR(arc.start.x, -arc.segments[0].end().x, 1e-9);
        EXPECT_LT(arc.start.y, focus.y);
    }
    ASSERT_NE(wifi[3].asFill(), nullptr);
    expectNear(wifi[3].path().bounds().center(), focus);
}

TEST(Pictogram, ArcPathUsesQuarterTurnPieces) {
    EXPECT_EQ(Pictogram::arcPath({0, 0}, 10, 0, pi / 2).subpaths.at(0).segments.size(), 1u);
    EXPECT_EQ(Pictogram::arcPath({0, 0}, 10, 0, pi / 2 + 1e-12).subpaths.at(0).segments.size(), 1u);
    EXPECT_EQ(Pictogram::arcPath({0, 0}, 10, 0, 2 * pi).subpaths.at(0).segments.size(), 4u);
    EXPECT_EQ(Pictogram::arcPath({0, 0}, 10, 0, pi / 2 + 0.01).subpaths.at(0).segments.size(), 2u);
    EXPECT_TRUE(Pictogram::arcPath({5, 5}, 0, 0, pi).subpaths.empty());
    EXPECT_TRUE(Pictogram::arcPath({0, 0}, 10, 0, std::nan("")).subpaths.empty());

    // Running backwards draws the same circle the other way round.
    const Subpath back = Pictogram::arcPath({0, 0}, 10, pi, 0).subpaths.at(0);
    expectNear(back.start, {-10, 0});
    expectNear(back.segments.back().end(), {10, 0});
    Vector2 current = back.start;
    for (const PathSegment& segment : back.segments) {
        const auto* c = segment.asCubic();
        ASSERT_NE(c, nullptr);
        const Vector2 middle = Cubic::point(current, c->control1, c->control2, c->to, 0.5);
        EXPECT_NEAR(middle.length(), 10, 10 * 3e-4);
        EXPECT_GT(middle.y, 0);  // through angle π/2, which is +y
        current = c->to;
    }
}

TEST(Pictogram, ContoursArePathsOfTheElementsAtScaleOne) {
    for (const Pictogram::Case c : Pictogram::allCases) {
        const Pictogram p(c);
        const auto elements = p.elements({3, 4}, 200, 1);
        const auto contours = p.contours({3, 4}, 200);
        ASSERT_EQ(contours.size(), elements.size());
        for (std::size_t i = 0; i < contours.size(); ++i) EXPECT_EQ(contours[i], elements[i].path());
    }
}
