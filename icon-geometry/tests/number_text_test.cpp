#include "icon_geometry/number_text.hpp"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <limits>
#include <vector>

#include "icon_geometry/polygon.hpp"

namespace icon_geometry {
namespace {

TEST(NumberText, FixedDecimalsAsCWritesThemWhateverTheLocale) {
    struct Case {
        double value;
        int digits;
        const char* text;
    };
    for (const Case& c : std::vector<Case>{{0.5, 0, "0"},
                                           {1.5, 0, "2"},
                                           {2.5, 0, "2"},
                                           {-0.4, 0, "-0"},
                                           {123.4567, 3, "123.457"},
                                           {0.0625, 3, "0.062"},
                                           {INFINITY, 3, "inf"}}) {
        EXPECT_EQ(NumberText::fixed(c.value, c.digits), c.text) << c.value;
    }
}

TEST(NumberText, IntegersInDecimalDigits) {
    EXPECT_EQ(NumberText::integer(0), "0");
    EXPECT_EQ(NumberText::integer(-42), "-42");
    EXPECT_EQ(NumberText::integer(std::numeric_limits<std::int64_t>::min()), "-9223372036854775808");
}

TEST(Polygon, SignedAreaTurnsWithTheOrderOfThePoints) {
    const std::vector<Vector2> triangle{{0, 0}, {4, 0}, {4, 3}};
    EXPECT_DOUBLE_EQ(signedArea(triangle), 6);
    EXPECT_DOUBLE_EQ(signedArea(std::vector<Vector2>{{0, 0}, {4, 3}, {4, 0}}), -6);
    EXPECT_EQ(signedArea(std::vector<Vector2>{{0, 0}, {4, 0}}), 0);
    EXPECT_EQ(signedArea({}), 0);
}

TEST(Polygon, SegmentDistanceIsToTheNearestPointOfTheSegment) {
    EXPECT_DOUBLE_EQ(segmentDistance({2, 3}, {0, 0}, {4, 0}), 3);                 // over its middle
    EXPECT_DOUBLE_EQ(segmentDistance({7, 4}, {0, 0}, {4, 0}), 5);                 // beyond its end
    EXPECT_DOUBLE_EQ(segmentDistance({-3, 4}, {0, 0}, {4, 0}), 5);                // before its start
    EXPECT_DOUBLE_EQ(segmentDistance({3, 4}, {1, 1}, {1, 1}), std::hypot(2, 3));  // no length
}

}  // namespace
}  // namespace icon_geometry
