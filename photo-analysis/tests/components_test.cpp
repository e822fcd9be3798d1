#include "raster/components.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <random>
#include <set>

#include "grid_text.hpp"
#include "icon_geometry/polygon.hpp"

using namespace photo_analysis;
using photo_analysis::testing::gridFromRows;

namespace {

double area(const std::vector<Vector2>& points) {
    return std::abs(icon_geometry::signedArea(points));
}

// Labels cells of `value` with the given connectivity; the grid is framed by one
// cell of background so that the outside is one background region.
std::vector<int> label(const std::vector<bool>& framed, int width, int height, bool value, bool eight) {
    std::vector<int> labels(framed.size(), -1);
    int next = 0;
    for (int start = 0; start < width * height; ++start) {
        if (framed[start] != value || labels[start] >= 0) continue;
        std::vector<int> stack{start};
        labels[start] = next;
        while (!stack.empty()) {
            const int p = stack.back();
            stack.pop_back();
            const int x = p % width, y = p / width;
            for (int dy = -1; dy <= 1; ++dy) {
                for (int dx = -1; dx <= 1; ++dx) {
                    if ((dx == 0 && dy == 0) || (!eight && dx != 0 && dy != 0)) continue;
                    const int nx = x + dx, ny = y + dy;
                    if (nx < 0 || ny < 0 || nx >= width || ny >= height) continue;
                    const int q = ny * width + nx;
                    if (framed[q] == value && labels[q] < 0) {
                        labels[q] = next;
                        stack.push_back(q);
                    }
                }
            }
        }
        ++next;
    }
    return labels;
}

// The number of boundaries a tracing must find: one per pair of a 4-connected
// ink piece and an 8-connected background region that touch along a side.
std::size_t expectedBoundaryCount(const std::vector<bool>& mask, int width, int height) {
    const int fw = width + 2, fh = height + 2;
    std::vector<bool> framed(static_cast<std::size_t>(fw * fh), false);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) framed[(y + 1) * fw + x + 1] = mask[y * width + x];
    }
    const std::vector<int> ink = label(framed, fw, fh, true, false);
    const std::vector<int> background = label(framed, fw, fh, false, true);
    std::set<std::pair<int, int>> pairs;
    for (int y = 0; y < fh; ++y) {
        for (int x = 0; x + 1 < fw; ++x) {
            const int p = y * fw + x;
            for (const int q : {p + 1, p + fw}) {
                if (q >= fw * fh || (q == p + 1 && x + 1 >= fw)) continue;
                if (framed[p] && !framed[q]) pairs.insert({ink[p], background[q]});
                if (!framed[p] && framed[q]) pairs.insert({ink[q], background[p]});
            }
        }
    }
    return pairs.size();
}

bool closesOnGridSides(const std::vector<Vector2>& contour) {
    // Consecutive midpoints of pixel sides are half a cell apart in x and y, or
    // one cell along a straight run; the last joins the first the same way.
    for (std::size_t i = 0; i < contour.size(); ++i) {
        const Vector2 a = contour[i];
        const Vector2 b = contour[(i + 1) % contour.size()];
        const double dx = std::abs(a.x - b.x), dy = std::abs(a.y - b.y);
        const bool step = (dx == 0.5 && dy == 0.5) || (dx == 1 && dy == 0) || (dx == 0 && dy == 1);
        if (!step) return false;
    }
    return true;
}

}  // namespace

TEST(Components, EightConnectedInSeedOrderWithBoxes) {
    const auto g = gridFromRows({
        "#....##",
        ".#...#.",
        "......#",
        "##.....",
    });
    const Components components(g.cells, g.width, g.height);
    ASSERT_EQ(components.list.size(), 3u);
    const auto& first = components.list[0];
    EXPECT_EQ(first.pixels, (std::vector<std::int64_t>{0, 8}));
    EXPECT_EQ(std::tie(first.minX, first.minY, first.maxX, first.maxY), std::make_tuple(0, 0, 1, 1));
    const auto& second = components.list[1];
    EXPECT_EQ(second.pixels.front(), 5);
    EXPECT_EQ(std::tie(second.minX, second.minY, second.maxX, second.maxY), std::make_tuple(5, 0, 6, 2));
    EXPECT_EQ(second.width, 7);
    EXPECT_EQ(components.list[2].pixels.size(), 2u);

    const Centroid c = componentCentroid(first);
    EXPECT_DOUBLE_EQ(c.x, 1.0);
    EXPECT_DOUBLE_EQ(c.y, 1.0);
    EXPECT_EQ(c.count, 2);
    EXPECT_TRUE(std::isnan(componentCentroid({}).x));

    const ComponentRaster raster = componentRaster(second);
    EXPECT_EQ(std::tie(raster.width, raster.height, raster.originX, raster.originY), std::make_tuple(4, 5, 4, -1));
    EXPECT_TRUE(raster.grid[1 * 4 + 1]);  // pixel (5, 0)
    EXPECT_TRUE(raster.grid[3 * 4 + 2]);  // pixel (6, 2)
    EXPECT_FALSE(raster.grid[0]);
}

TEST(Components, MalformedGridsGiveNothing) {
    const std::vector<bool> cells(12, true);
    for (const auto& [width, height] : std::vector<std::pair<int, int>>{{5, 2}, {0, 12}, {-3, -4}, {13, 1}}) {
        EXPECT_TRUE(Components(cells, width, height).list.empty());
        EXPECT_TRUE(traceContours(cells, width, height).empty());
        EXPECT_TRUE(enclosedHoles(cells, width, height).empty());
        EXPECT_TRUE(thin(cells, width, height).empty());
        EXPECT_TRUE(skeletonPolylines(cells, width, height).empty());
        EXPECT_TRUE(strokePaths(cells, width, height, 1).empty());
    }
    EXPECT_TRUE(Components(std::vector<bool>(12, false), 4, 3).list.empty());
    EXPECT_TRUE(traceContours(std::vector<bool>(12, false), 4, 3).empty());
    EXPECT_TRUE(largestContour(std::vector<bool>(12, false), 4, 3).empty());
}

TEST(Holes, MoreThanTwoEnclosedCellsMakeHoles) {
    struct Case {
        std::vector<std::string> rows;
        std::size_t holeCells;
        bool hasHoles;
    };
    for (const Case& c : std::vector<Case>{
             {{"#####", "#...#", "#####"}, 3, true},
             {{"####", "#..#", "####"}, 2, false},
             {{"####", "#..#", "#..."}, 0, false},
             // Background touching the border only at a corner is still enclosed.
             {{".###", "#..#", "####"}, 2, false},
         }) {
        const auto g = gridFromRows(c.rows);
        const std::vector<bool> holes = enclosedHoles(g.cells, g.width, g.height);
        EXPECT_EQ(static_cast<std::size_t>(std::count(holes.begin(), holes.end(), true)), c.holeCells);
        EXPECT_EQ(hasHoles(g.cells, g.width, g.height), c.hasHoles);
        const std::vector<bool> filled = fillHoles(g.cells, g.width, g.height);
        for (std::size_t i = 0; i < filled.size(); ++i) EXPECT_EQ(filled[i], g.cells[i] || holes[i]);
    }
}

// Two pixels meeting at a corner trace as one contour each, wherever the pair
// stands and whichever corner a trace happens to start from.
TEST(Contours, PixelsTouchingAtACornerAreOneComponentButTwoContours) {
    for (const bool antiDiagonal : {false, true}) {
        for (int offset = 0; offset < 3; ++offset) {
            const int side = 5;
            std::vector<bool> cells(side * side, false);
            const int x = offset, y = offset;
            cells[y * side + (antiDiagonal ? x + 1 : x)] = true;
            cells[(y + 1) * side + (antiDiagonal ? x : x + 1)] = true;
            EXPECT_EQ(Components(cells, side, side).list.size(), 1u);
            const auto contours = traceContours(cells, side, side);
            ASSERT_EQ(contours.size(), 2u);
            for (const auto& contour : contours) {
                EXPECT_EQ(contour.size(), 4u);
                EXPECT_DOUBLE_EQ(area(contour), 0.5);
            }
        }
    }
}

TEST(Contours, RingGivesOuterAndInnerContours) {
    const auto g = gridFromRows({
        ".......",
        ".#####.",
        ".#...#.",
        ".#...#.",
        ".#####.",
        ".......",
    });
    const auto contours = traceContours(g.cells, g.width, g.height);
    ASSERT_EQ(contours.size(), 2u);
    std::vector<double> areas{area(contours[0]), area(contours[1])};
    std::sort(areas.begin(), areas.end());
    EXPECT_DOUBLE_EQ(areas[0], 6 - 0.5);   // the hole's 2 × 3 cells, corners cut
    EXPECT_DOUBLE_EQ(areas[1], 20 - 0.5);  // the 5 × 4 block, corners cut
    EXPECT_DOUBLE_EQ(area(largestContour(g.cells, g.width, g.height)), 19.5);
}

TEST(Contours, RandomMasksCloseAndCountOneContourPerBoundary) {
    std::mt19937 random(2024);
    for (int round = 0; round < 60; ++round) {
        const int width = 3 + static_cast<int>(random() % 18);
        const int height = 3 + static_cast<int>(random() % 14);
        const unsigned density = 2 + random() % 4;
        std::vector<bool> cells;
        for (int i = 0; i < width * height; ++i) cells.push_back(random() % density == 0);
        const auto contours = traceContours(cells, width, height);
        SCOPED_TRACE(round);
        EXPECT_EQ(contours.size(), expectedBoundaryCount(cells, width, height));
        std::size_t points = 0;
        for (const auto& contour : contours) {
            EXPECT_TRUE(closesOnGridSides(contour));
            points += contour.size();
        }
        // Every ink side is traced exactly once.
        std::size_t sides = 0;
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                if (!cells[y * width + x]) continue;
                sides += (y == 0 || !cells[(y - 1) * width + x]) + (y + 1 == height || !cells[(y + 1) * width + x]) +
                         (x == 0 || !cells[y * width + x - 1]) + (x + 1 == width || !cells[y * width + x + 1]);
            }
        }
        EXPECT_EQ(points, sides);
    }
}

TEST(PolygonArea, ShoelaceOverTheClosedPolygon) {
    EXPECT_DOUBLE_EQ(area({{0, 0}, {4, 0}, {4, 3}}), 6);
    EXPECT_DOUBLE_EQ(area({{0, 0}, {4, 3}, {4, 0}}), 6);
    EXPECT_DOUBLE_EQ(area({{0, 0}, {4, 0}}), 0);
}
