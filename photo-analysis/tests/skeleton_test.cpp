#include <gtest/gtest.h>

#include <cmath>

#include "grid_text.hpp"
#include "raster/components.hpp"

using namespace photo_analysis;
using photo_analysis::testing::gridFromRows;

namespace {

std::vector<Vector2> onCurvePoints(const BezierPath& path) {
    std::vector<Vector2> points;
    for (const auto& subpath : path.subpaths) {
        points.push_back(subpath.start);
        for (const auto& segment : subpath.segments) points.push_back(segment.end());
    }
    return points;
}

bool passesThrough(const BezierPath& path, Vector2 point) {
    for (const Vector2 p : onCurvePoints(path)) {
        if (p.distance(point) < 1e-9) return true;
    }
    return false;
}

}  // namespace

TEST(Thin, OnePixelDiamondRingThinsToItselfAndIsOneClosedPolyline) {
    const auto g = gridFromRows({
        ".........",
        "....#....",
        "...#.#...",
        "..#...#..",
        ".#.....#.",
        "..#...#..",
        "...#.#...",
        "....#....",
        ".........",
    });
    EXPECT_EQ(thin(g.cells, g.width, g.height), g.cells);
    const auto lines = skeletonPolylines(g.cells, g.width, g.height);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_TRUE(lines[0].isClosed);
    EXPECT_EQ(lines[0].points.size(), 12u);
    EXPECT_EQ(lines[0].points.front(), (Vector2{4.5, 1.5}));
}

TEST(Thin, ThickBarBecomesOneCentredLine) {
    std::vector<bool> cells(40 * 15, false);
    for (int y = 5; y <= 9; ++y) {
        for (int x = 4; x <= 34; ++x) cells[y * 40 + x] = true;
    }
    const auto lines = skeletonPolylines(thin(cells, 40, 15), 40, 15);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_FALSE(lines[0].isClosed);
    EXPECT_GT(polylineLength(lines[0].points), 20);
    for (const Vector2 p : lines[0].points) EXPECT_NEAR(p.y, 7.5, 1.0);
}

TEST(Thin, SetBorderIsThinnedWithoutReadingOutsideTheGrid) {
    const std::vector<bool> full(6 * 4, true);
    const std::vector<bool> thinned = thin(full, 6, 4);
    ASSERT_EQ(thinned.size(), full.size());
    EXPECT_GT(std::count(thinned.begin(), thinned.end(), true), 0);
    EXPECT_LT(std::count(thinned.begin(), thinned.end(), true), 24);
}

TEST(SkeletonNeighbours, StraightFirstAndDiagonalsOnlyWhereNotJoined) {
    const auto g = gridFromRows({
        "#.#",
        ".##",
        "#..",
    });
    // Centre (1, 1): right (2, 1) set, so the diagonal (2, 0) is reached through it.
    EXPECT_EQ(skeletonNeighbours(4, 3, 3, g.cells), (std::vector<std::int64_t>{5, 6, 0}));
    EXPECT_TRUE(skeletonNeighbours(9, 3, 3, g.cells).empty());
}

TEST(SkeletonPolylines, TGivesThreeOpenLinesAndDiagonalPairNoExtraStep) {
    const auto t = gridFromRows({
        "...........",
        "...........",
        ".#########.",
        ".....#.....",
        ".....#.....",
        ".....#.....",
        "...........",
    });
    ASSERT_EQ(thin(t.cells, t.width, t.height), t.cells);
    const auto lines = skeletonPolylines(t.cells, t.width, t.height);
    ASSERT_EQ(lines.size(), 3u);
    for (const Polyline& line : lines) EXPECT_FALSE(line.isClosed);
    EXPECT_EQ(lines[0].points.front(), (Vector2{1.5, 2.5}));
    EXPECT_EQ(lines[0].points.back(), (Vector2{5.5, 2.5}));
    EXPECT_EQ(lines[1].points.back(), (Vector2{9.5, 2.5}));
    EXPECT_EQ(lines[2].points.back(), (Vector2{5.5, 5.5}));

    const auto corner = gridFromRows({
        "....",
        ".##.",
        "..#.",
        "....",
    });
    // (2, 2) is reached through (2, 1), never as a diagonal of (1, 1).
    const auto cornerLines = skeletonPolylines(corner.cells, corner.width, corner.height);
    ASSERT_EQ(cornerLines.size(), 1u);
    EXPECT_EQ(cornerLines[0].points.size(), 3u);
}

TEST(StrokePaths, LengthRules) {
    struct Case {
        std::vector<std::pair<int, int>> lines;  // row, length of horizontal 1-pixel lines
        double minimumLength;
        std::size_t paths;
    };
    for (const Case& c : std::vector<Case>{
             {{{2, 30}, {6, 7}}, 5, 2},    // the short one is just above a fifth of the long one
             {{{2, 30}, {6, 6}}, 5, 1},    // and here just below
             {{{2, 30}, {6, 12}}, 20, 1},  // under the minimum length
             {{{2, 12}}, 20, 1},           // the only line: half the minimum is enough
             {{{2, 9}}, 20, 0},            // under half the minimum
             {{{2, 12}, {6, 12}}, 20, 0},  // two lines each need the full minimum
             {{{2, 2}}, 0.5, 0},           // two points are never a stroke
         }) {
        std::vector<bool> cells(40 * 10, false);
        for (const auto& [row, length] : c.lines) {
            for (int x = 2; x < 2 + length; ++x) cells[row * 40 + x] = true;
        }
        EXPECT_EQ(strokePaths(cells, 40, 10, c.minimumLength).size(), c.paths)
            << c.lines.size() << " lines, minimum " << c.minimumLength;
    }
}

TEST(StrokePaths, OpenLinesUnderSixPointsAreFittedUnsmoothed) {
    const auto five = gridFromRows({
        ".......",
        ".###...",
        "....#..",
        ".....#.",
        ".......",
    });
    const auto paths = strokePaths(five.cells, five.width, five.height, 4);
    ASSERT_EQ(paths.size(), 1u);
    EXPECT_TRUE(passesThrough(paths[0], {3.5, 1.5}));
    EXPECT_TRUE(passesThrough(paths[0], {1.5, 1.5}));

    const auto six = gridFromRows({
        "........",
        ".###....",
        "....#...",
        ".....#..",
        "......#.",
        "........",
    });
    const auto smoothed = strokePaths(six.cells, six.width, six.height, 4);
    ASSERT_EQ(smoothed.size(), 1u);
    EXPECT_FALSE(passesThrough(smoothed[0], {3.5, 1.5}));
    EXPECT_TRUE(passesThrough(smoothed[0], {1.5, 1.5}));
    EXPECT_TRUE(passesThrough(smoothed[0], {6.5, 4.5}));
}

TEST(SmoothedClosedPath, AveragesFiveNeighboursFromSixPoints) {
    const std::vector<Vector2> square{{0, 0}, {4, 0}, {4, 4}, {0, 4}};
    const BezierPath kept = smoothedClosedPath(square, 0.1);
    ASSERT_EQ(kept.subpaths.size(), 1u);
    EXPECT_TRUE(kept.subpaths[0].isClosed);
    EXPECT_TRUE(passesThrough(kept, {4, 4}));
    EXPECT_TRUE(smoothedClosedPath({{0, 0}, {NAN, 1}, {2, 2}}, 0.5).subpaths.empty());
}

TEST(BoundaryPaths, TraceTheRegionsEdgeInsideTheFace) {
    const int width = 30, height = 20;
    std::vector<bool> face(width * height, true);
    std::vector<bool> region(width * height, false);
    for (int y = 0; y < height; ++y) {
        for (int x = 15; x < width; ++x) region[y * width + x] = true;
    }
    const auto paths = boundaryPaths(region, face, width, height, 10);
    ASSERT_EQ(paths.size(), 1u);
    const auto bounds = paths[0].bounds();
    EXPECT_NEAR(bounds.minX(), 15.5, 1e-9);
    EXPECT_NEAR(bounds.maxX(), 15.5, 1e-9);
    EXPECT_TRUE(boundaryPaths(region, face, width, height, 30).empty());
}
