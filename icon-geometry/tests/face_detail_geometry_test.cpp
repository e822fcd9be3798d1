#include <gtest/gtest.h>

#include <cmath>
#include <set>

#include "icon_geometry/face_detail.hpp"

using namespace icon_geometry;

namespace {

enum class Ink { innerStroke, otherStroke, fill, hole };

Ink inkOf(const IconElement& e) {
    if (const auto* s = e.asStroke()) return s->weight == StrokeWeight::inner() ? Ink::innerStroke : Ink::otherStroke;
    return e.asFill() ? Ink::fill : Ink::hole;
}

Vector2 middleOf(const IconElement& e) {
    return e.path().bounds().center();
}

void expectBox(const Rect& box, Vector2 center, double width, double height) {
    EXPECT_NEAR(box.midX(), center.x, 1e-9);
    EXPECT_NEAR(box.midY(), center.y, 1e-9);
    EXPECT_NEAR(box.width, width, 1e-9);
    EXPECT_NEAR(box.height, height, 1e-9);
}

}  // namespace

TEST(FaceDetailGeometry, AutomaticStyleSwitchesAtTheOutlineThreshold) {
    struct Case {
        double width;
        double height;
        double scale;
        DetailStyle style;
        Ink ink;
    };
    for (const Case& c : std::vector<Case>{
             {30, 20, 2, DetailStyle::automatic, Ink::fill},         // 40 canvas units
             {30, 20, 3, DetailStyle::automatic, Ink::innerStroke},  // 60
             {25, 40, 2, DetailStyle::automatic, Ink::innerStroke},  // exactly 50
             {24.99, 40, 2, DetailStyle::automatic, Ink::fill},
             {30, 20, 0.1, DetailStyle::stroke, Ink::innerStroke},
             {30, 20, 100, DetailStyle::fill, Ink::fill},
             {30, 20, 3, DetailStyle::hole, Ink::hole},
         }) {
        const auto drawn =
            FaceDetail::button(FaceShape::roundedRectangle(c.width, c.height, 0), {5, 5}, c.style).geometry(c.scale);
        ASSERT_EQ(drawn.size(), 1u);
        EXPECT_EQ(inkOf(drawn[0]), c.ink) << c.width << " × " << c.height << " at " << c.scale;
        expectBox(drawn[0].path().bounds(), {5, 5}, c.width, c.height);
    }
    // Nothing to measure, or a scale that is not a number, fills.
    EXPECT_EQ(inkOf(FaceDetail::styledElement({}, DetailStyle::automatic, 1000)), Ink::fill);
    EXPECT_EQ(inkOf(FaceDetail::styledElement(FaceShape::ellipsePath(100, 100), DetailStyle::automatic, std::nan(""))),
              Ink::fill);
}

TEST(FaceDetailGeometry, IndicatorsAreEnlargedToTheirMinimumDrawnDiameter) {
    const FaceDetail indicator = FaceDetail::indicator({1, 2}, 10, DetailStyle::fill);
    expectBox(indicator.geometry(1).at(0).path().bounds(), {1, 2}, 26, 26);
    expectBox(indicator.geometry(4).at(0).path().bounds(), {1, 2}, 10, 10);
}

TEST(FaceDetailGeometry, DotGridCountsAndClamps) {
    struct Case {
        std::int64_t rows;
        std::int64_t columns;
        std::size_t dots;
    };
    for (const Case& c :
         std::vector<Case>{{0, 5, 0}, {-2, 5, 0}, {5, 0, 0}, {5, -3, 0}, {1, 1, 1}, {100, 100, 64 * 64}}) {
        EXPECT_EQ(FaceDetail::dotGrid({0, 0}, c.rows, c.columns, 1, 0.5, false, DetailStyle::fill).geometry(10).size(),
                  c.dots)
            << c.rows << " × " << c.columns;
    }
}

TEST(FaceDetailGeometry, DotGridRunsInRowOrderAroundItsCentre) {
    const auto dots = FaceDetail::dotGrid({0, 0}, 3, 3, 2, 1, false, DetailStyle::fill).geometry(1);
    ASSERT_EQ(dots.size(), 9u);
    for (std::size_t k = 0; k < 9; ++k) {
        const Vector2 m = middleOf(dots[k]);
        EXPECT_NEAR(m.y, -2 + 2.0 * static_cast<double>(k / 3), 1e-9) << k;
        EXPECT_NEAR(m.x, -2 + 2.0 * static_cast<double>(k % 3), 1e-9) << k;
    }
    // Cut to a disc, the four corners (2.83 pitches out) go.
    EXPECT_EQ(FaceDetail::dotGrid({0, 0}, 3, 3, 2, 1, true, DetailStyle::fill).geometry(1).size(), 5u);

    // Three rows by five columns: the disc has radius two pitches; (±2, 0) stays, (±2, ±1) goes.
    std::set<std::pair<double, double>> kept;
    for (const IconElement& e : FaceDetail::dotGrid({0, 0}, 3, 5, 1, 0.4, true, DetailStyle::fill).geometry(1)) {
        const Vector2 m = middleOf(e);
        kept.insert({std::round(m.x), std::round(m.y)});
    }
    EXPECT_EQ(kept.size(), 11u);
    EXPECT_TRUE(kept.count({2, 0}) && kept.count({-2, 0}));
    EXPECT_FALSE(kept.count({2, 1}) || kept.count({-2, -1}));
}

TEST(FaceDetailGeometry, DotGridsOfEvenSizeStayCentred) {
    const Vector2 center{10, -4};
    for (const auto& [rows, columns] : std::vector<std::pair<int, int>>{{2, 4}, {4, 4}, {1, 2}, {6, 3}}) {
        const auto dots = FaceDetail::dotGrid(center, rows, columns, 3, 1, false, DetailStyle::fill).geometry(1);
        ASSERT_EQ(dots.size(), static_cast<std::size_t>(rows * columns));
        Rect spread = Rect::null();
        for (const IconElement& e : dots) spread = spread.united(Rect::spanning(middleOf(e), middleOf(e)));
        expectBox(spread, center, 3.0 * (columns - 1), 3.0 * (rows - 1));
    }
}

TEST(FaceDetailGeometry, DotsAreStyledEachOnTheirOwnSize) {
    const auto dots = FaceDetail::dotGrid({0, 0}, 1, 2, 10, 5, false, DetailStyle::automatic).geometry(10);
    for (const IconElement& e : dots) EXPECT_EQ(inkOf(e), Ink::innerStroke);
    for (const IconElement& e : FaceDetail::dotGrid({0, 0}, 1, 2, 10, 4.9, false, DetailStyle::automatic).geometry(10))
        EXPECT_EQ(inkOf(e), Ink::fill);
    EXPECT_TRUE(
        FaceDetail::dotGrid({0, 0}, 2, 2, 1, 0, false, DetailStyle::fill).geometry(1).at(0).path().subpaths.empty());
}

TEST(FaceDetailGeometry, NarrowSlotsAreLinesAndWideOnesOutlinedCapsules) {
    const FaceDetail slot = FaceDetail::slot({0, 0}, {10, 0}, 2);
    const auto narrow = slot.geometry(12);  // 24 canvas units
    ASSERT_EQ(narrow.size(), 1u);
    EXPECT_EQ(inkOf(narrow[0]), Ink::innerStroke);
    EXPECT_EQ(narrow[0].path(), Pictogram::linePath({0, 0}, {10, 0}));

    const auto wide = slot.geometry(13);
    ASSERT_EQ(wide.size(), 1u);
    EXPECT_EQ(inkOf(wide[0]), Ink::innerStroke);
    EXPECT_TRUE(wide[0].path().subpaths.at(0).isClosed);
    expectBox(wide[0].path().bounds(), {5, 0}, 12, 2);

    const auto upright = FaceDetail::slot({0, 0}, {0, 10}, 2).geometry(13);
    expectBox(upright.at(0).path().bounds(), {0, 5}, 2, 12);
}

TEST(FaceDetailGeometry, SocketHolesAndTheirEarthPin) {
    const auto two = FaceDetail::socketHoles({0, 0}, 19, 4.8, false).geometry(1);
    ASSERT_EQ(two.size(), 2u);
    expectBox(two[0].path().bounds(), {-9.5, 0}, 4.8, 4.8);
    expectBox(two[1].path().bounds(), {9.5, 0}, 4.8, 4.8);
    const auto three = FaceDetail::socketHoles({1, 2}, 20, 4, true).geometry(1);
    ASSERT_EQ(three.size(), 3u);
    expectBox(three[2].path().bounds(), {1, 2 - 0.55 * 20}, 0.9 * 4, 0.9 * 4);
    // Judged by their own drawn size: stroked once 50 canvas units across.
    for (const IconElement& e : FaceDetail::socketHoles({0, 0}, 19, 5, false).geometry(10))
        EXPECT_EQ(inkOf(e), Ink::innerStroke);
    for (const IconElement& e : three) EXPECT_EQ(inkOf(e), Ink::fill);
}

TEST(FaceDetailGeometry, CablesAreOpenPolylinesOfTheirOwnWeight) {
    EXPECT_TRUE(FaceDetail::cable({{1, 1}}, StrokeWeight::outer()).geometry(1).empty());
    const auto still = FaceDetail::cable({{1, 1}, {1, 1}}, StrokeWeight::outer()).geometry(1);
    ASSERT_EQ(still.size(), 1u);
    EXPECT_EQ(inkOf(still[0]), Ink::otherStroke);
    EXPECT_TRUE(still[0].path().subpaths.empty());
    const auto cable = FaceDetail::cable({{0, 0}, {0, 0}, {5, 0}}, StrokeWeight::custom(12)).geometry(3);
    ASSERT_EQ(cable.size(), 1u);
    EXPECT_EQ(cable[0], IconElement::stroke(Pictogram::linePath({0, 0}, {5, 0}), StrokeWeight::custom(12)));
}

TEST(FaceDetailGeometry, PictogramsAreDrawnAtLeastTheirMinimumSize) {
    struct Case {
        Pictogram::Case pictogram;
        double drawnSize;
    };
    for (const Case& c : std::vector<Case>{{Pictogram::sun, 65}, {Pictogram::wifi, 55}, {Pictogram::plus, 40}}) {
        const Pictogram p(c.pictogram);
        EXPECT_EQ(FaceDetail::pictogram(p, {3, 4}, 20).geometry(2), p.elements({3, 4}, c.drawnSize, 2)) << p.rawValue();
        EXPECT_EQ(FaceDetail::pictogram(p, {3, 4}, 200).geometry(2), p.elements({3, 4}, 200, 2)) << p.rawValue();
    }
}

TEST(FaceDetailGeometry, ScreensSeparatorsImportsAndElements) {
    const auto screen = FaceDetail::screen({0, 5}, 40, 20, 30).geometry(1);
    ASSERT_EQ(screen.size(), 1u);
    EXPECT_EQ(inkOf(screen[0]), Ink::innerStroke);
    EXPECT_EQ(screen[0].path(), FaceShape::capsule(40, 20).outline().translated(0, 5));

    const auto separator = FaceDetail::separator({0, 0}, {0, 1e-10}).geometry(1);
    ASSERT_EQ(separator.size(), 1u);
    EXPECT_TRUE(separator[0].path().subpaths.empty());

    const BezierPath outline = FaceShape::ellipsePath(4, 4).translated(30, 30);
    EXPECT_EQ(FaceDetail::imported(outline, DetailStyle::hole).geometry(5),
              std::vector<IconElement>{IconElement::hole(outline)});
    const std::vector<IconElement> ready{IconElement::stroke(outline, StrokeWeight::custom(3)),
                                         IconElement::hole(outline)};
    EXPECT_EQ(FaceDetail::elements(ready).geometry(0.01), ready);
}
