#include "icon_geometry/ink_mask.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <random>

using namespace icon_geometry;

namespace {

BezierPath rectangle(double x0, double y0, double x1, double y1) {
    return BezierPath{{Subpath{
        {x0, y0}, {PathSegment::line({x1, y0}), PathSegment::line({x1, y1}), PathSegment::line({x0, y1})}, true}}};
}

std::int64_t inkCount(const InkMask& mask) {
    return std::count(mask.ink.begin(), mask.ink.end(), true);
}

// The stroke widths by brute force: every ridge cell paints its whole disc.
// Slow, but it is the measure the fast one must reproduce cell for cell.
std::vector<float> paintedWidths(std::int64_t n, const std::vector<bool>& ink, float cap) {
    std::vector<bool> background(ink.size());
    for (std::size_t i = 0; i < ink.size(); ++i) background[i] = !ink[i];
    const std::vector<float> depth = DistanceTransform::distances(background, n, n);
    const float half = cap * 0.5f;
    std::vector<bool> deep(ink.size());
    for (std::size_t i = 0; i < ink.size(); ++i) deep[i] = depth[i] >= half;
    const std::vector<float> toDeep = DistanceTransform::distances(deep, n, n);
    std::vector<float> widths(ink.size(), 0.0f);
    for (std::size_t i = 0; i < ink.size(); ++i)
        if (ink[i] && toDeep[i] <= half) widths[i] = cap;
    for (std::int64_t y = 1; y + 1 < n; ++y) {
        for (std::int64_t x = 1; x + 1 < n; ++x) {
            const std::int64_t i = y * n + x;
            const float d = depth[i];
            if (!ink[i] || !(d < half)) continue;
            const bool ridge = (depth[i - 1] <= d && depth[i + 1] <= d) || (depth[i - n] <= d && depth[i + n] <= d);
            if (!ridge) continue;
            const auto reach = static_cast<std::int64_t>(std::floor(d));
            for (std::int64_t dy = -reach; dy <= reach; ++dy) {
                const std::int64_t row = y + dy;
                if (row < 0 || row >= n) continue;
                const float left = d * d - static_cast<float>(dy * dy);
                const auto u = static_cast<std::int64_t>(left > 0 ? std::sqrt(left) : 0.0f);
                for (std::int64_t c = std::max<std::int64_t>(0, x - u); c <= std::min(x + u, n - 1); ++c)
                    widths[row * n + c] = std::max(widths[row * n + c], 2 * d - 1);
            }
        }
    }
    return widths;
}

std::vector<bool> maskOf(const std::vector<BezierPath>& paths, std::int64_t side) {
    return InkMask(paths, side, static_cast<double>(side)).ink;
}

}  // namespace

TEST(InkMask, CellsAreInkedWhereTheirCentresAreCovered) {
    EXPECT_EQ(inkCount(InkMask({}, 960)), 0);
    // A sliver between pixel centres covers none.
    EXPECT_EQ(inkCount(InkMask({rectangle(10.6, 10, 11.4, 500)}, 960)), 0);

    const InkMask square({rectangle(0, 0, 10, 10)}, 960);
    EXPECT_EQ(square.side, 960);
    EXPECT_EQ(inkCount(square), 100);
    EXPECT_TRUE(square.ink[0]);  // row 0 is the top of the canvas
    EXPECT_FALSE(square.ink[10 * 960]);

    // Nested subpaths of one path make a hole; separate paths add up.
    BezierPath ring = rectangle(0, 0, 30, 30);
    ring.subpaths.push_back(rectangle(10, 10, 20, 20).subpaths[0]);
    EXPECT_EQ(inkCount(InkMask({ring}, 960)), 800);
    EXPECT_EQ(inkCount(InkMask({rectangle(0, 0, 30, 30), rectangle(10, 10, 20, 20)}, 960)), 900);

    // At side 96 over the 960 canvas a cell is ten units.
    EXPECT_EQ(inkCount(InkMask({rectangle(0, 0, 480, 960)}, 96)), 48 * 96);
}

TEST(InkMask, UnusableSizesAndCoordinatesGiveEmptyOrFiniteMasks) {
    EXPECT_EQ(InkMask({rectangle(0, 0, 10, 10)}, -5).side, 0);
    EXPECT_EQ(InkMask({rectangle(0, 0, 10, 10)}, InkMask::maximumSide + 1).ink.size(), 0u);
    EXPECT_EQ(inkCount(InkMask({rectangle(0, 0, 10, 10)}, 10, 0)), 0);
    EXPECT_EQ(inkCount(InkMask({rectangle(0, 0, 10, 10)}, 10, std::nan(""))), 0);

    const double inf = std::numeric_limits<double>::infinity();
    const InkMask odd(
        {rectangle(0, 0, inf, 10), rectangle(std::nan(""), 0, 5, 5), rectangle(-1e308, -1e308, 1e308, 1e308)}, 64, 64);
    EXPECT_EQ(inkCount(odd), 64 * 64);  // the huge square covers everything; the others are dropped
}

TEST(InkMask, OverlapIsSharedInkOverAllInk) {
    const InkMask left({rectangle(0, 0, 480, 960)}, 96);
    const InkMask middle({rectangle(240, 0, 720, 960)}, 96);
    const InkMask none({}, 96);
    EXPECT_EQ(inkOverlap(left, InkMask({}, 128)), 0);
    EXPECT_EQ(inkOverlap(none, none), 1);
    EXPECT_EQ(inkOverlap(left, left), 1);
    EXPECT_DOUBLE_EQ(inkOverlap(left, middle), 1.0 / 3.0);
    EXPECT_EQ(inkOverlap(left, none), 0);
    EXPECT_EQ(inkOverlap(InkMask(), InkMask()), 1);
}

TEST(DistanceTransform, DistancesAreExactToTheNearestTrueCell) {
    std::mt19937 random(7);
    for (int trial = 0; trial < 24; ++trial) {
        std::int64_t w = 1 + random() % 40;
        std::int64_t h = 1 + random() % 40;
        if (trial >= 20) {  // long grids, past the side up to which whole-number arithmetic serves
            w = trial % 2 ? 2049 + trial : 2;
            h = trial % 2 ? 2 : 2049 + trial;
        }
        std::vector<bool> grid(static_cast<std::size_t>(w * h));
        for (std::size_t i = 0; i < grid.size(); ++i) grid[i] = random() % (trial >= 20 ? 400 : 17) == 0;
        if (trial == 0) grid.assign(grid.size(), false), grid[0] = true;
        const std::vector<float> distances = DistanceTransform::distances(grid, w, h);
        ASSERT_EQ(distances.size(), grid.size());
        const bool anyTrue = std::find(grid.begin(), grid.end(), true) != grid.end();
        for (std::int64_t y = 0; y < h; ++y) {
            for (std::int64_t x = 0; x < w; ++x) {
                std::int64_t best = std::numeric_limits<std::int64_t>::max();
                for (std::int64_t ty = 0; ty < h; ++ty)
                    for (std::int64_t tx = 0; tx < w; ++tx)
                        if (grid[ty * w + tx]) best = std::min(best, (tx - x) * (tx - x) + (ty - y) * (ty - y));
                const float actual = distances[y * w + x];
                if (anyTrue)
                    ASSERT_EQ(actual, std::sqrt(static_cast<float>(best))) << trial << " " << x << "," << y;
                else
                    ASSERT_NEAR(actual, 1e6, 1);
            }
        }
    }
}

TEST(DistanceTransform, EmptyAndMismatchedGridsGiveNoDistances) {
    EXPECT_TRUE(DistanceTransform::distances({}, 0, 0).empty());
    EXPECT_TRUE(DistanceTransform::distances({}, 0, 5).empty());
    EXPECT_TRUE(DistanceTransform::distances({true, false}, 3, 1).empty());
    EXPECT_TRUE(DistanceTransform::distances({true}, -1, -1).empty());
    const std::vector<float> far = DistanceTransform::distances(std::vector<bool>(12, false), 4, 3);
    for (float d : far) EXPECT_NEAR(d, 1e6, 1);
}

TEST(StrokeWidths, BarsMeasureTwiceTheirDepthLessOneUpToTheCap) {
    struct Case {
        double width;
        float expected;
    };
    for (const Case c : {Case{40, 39}, Case{10, 9}, Case{118, 117}, Case{200, 120}}) {
        const std::vector<bool> ink = maskOf({rectangle(300, 100, 300 + c.width, 860)}, 960);
        const std::vector<float> widths = IconMetrics::strokeWidths(960, ink, 120);
        const std::int64_t y = 480;
        for (std::int64_t x = 300; x < 300 + static_cast<std::int64_t>(c.width); ++x)
            ASSERT_EQ(widths[y * 960 + x], c.expected) << c.width << " at " << x;
        // Ridge discs reach one cell into the background beside the bar; the cap is
        // given to ink only, so beside the wide bar the deepest disc (d = 59) shows.
        EXPECT_EQ(widths[y * 960 + 299], c.width < 120 ? c.expected : 117.0f);
    }
}

TEST(StrokeWidths, MatchTheDiscPaintingCellForCell) {
    std::mt19937 random(11);
    const auto unit = [&] { return static_cast<double>(random() % 1000) / 1000.0; };
    for (int trial = 0; trial < 24; ++trial) {
        const std::int64_t n = trial % 8 == 0 ? 250 : 60 + random() % 80;
        std::vector<BezierPath> paths;
        const int shapes = 1 + static_cast<int>(random() % 5);
        for (int s = 0; s < shapes; ++s) {
            const double x = unit() * n, y = unit() * n;
            const double w = 1 + unit() * n * 0.6, h = 1 + unit() * n * 0.6;
            if (random() % 2) {
                paths.push_back(rectangle(x, y, x + w, y + h));
            } else {
                // A rotated bar: diagonal strokes give ridges of ties and odd radii.
                const double angle = unit() * 3.14159, c = std::cos(angle), si = std::sin(angle);
                const Vector2 o{x, y};
                const auto at = [&](double u, double v) { return o + Vector2{u * c - v * si, u * si + v * c}; };
                paths.push_back(BezierPath{{Subpath{
                    at(0, 0),
                    {PathSegment::line(at(w, 0)), PathSegment::line(at(w, h * 0.4)), PathSegment::line(at(0, h * 0.4))},
                    true}}});
            }
        }
        const std::vector<bool> ink = maskOf(paths, n);
        for (const float cap : {120.0f, 20.0f, 33.0f}) {
            const std::vector<float> expected = paintedWidths(n, ink, cap);
            const std::vector<float> actual = IconMetrics::strokeWidths(n, ink, cap);
            ASSERT_EQ(actual.size(), expected.size());
            for (std::size_t i = 0; i < expected.size(); ++i)
                ASSERT_EQ(actual[i], expected[i]) << "trial " << trial << " cap " << cap << " cell " << i;
        }
    }
}

TEST(StrokeWidths, OddInputsStaySafe) {
    EXPECT_EQ(IconMetrics::strokeWidths(3, {true, true}, 120), std::vector<float>(2, 0.0f));
    EXPECT_TRUE(IconMetrics::strokeWidths(0, {}, 120).empty());
    EXPECT_EQ(IconMetrics::strokeWidths(1, {true}, 120), std::vector<float>{120.0f});  // no background: all deep
    const std::vector<bool> full(16, true);
    for (float cap : {std::nanf(""), -5.0f})
        EXPECT_EQ(IconMetrics::strokeWidths(4, full, cap), std::vector<float>(16, 0.0f));
}

TEST(ThinnestStroke, IsTheSecondPercentileOfTheInkedWidths) {
    EXPECT_EQ(IconMetrics::thinnestStroke({}), std::nullopt);
    EXPECT_EQ(IconMetrics::thinnestStroke({rectangle(10.6, 10, 11.4, 500)}), std::nullopt);
    EXPECT_EQ(IconMetrics::thinnestStroke({rectangle(100, 0, 140, 960)}), 39.0);
    EXPECT_EQ(IconMetrics::thinnestStroke({rectangle(100, 100, 860, 860)}), 120.0);
    // A thin line among wide ink: 2 % of the cells is enough to set the measure.
    const auto mixed = IconMetrics::thinnestStroke({rectangle(100, 100, 500, 500), rectangle(600, 0, 620, 960)});
    ASSERT_TRUE(mixed);
    EXPECT_EQ(*mixed, 19.0);
    EXPECT_LT(*mixed, IconMetrics::readableStrokeWidth);
}

TEST(EdgeContact, FlagsTheEdgesTheOutlineReaches) {
    using IconMetrics::EdgeContact;
    EXPECT_EQ(IconMetrics::edgeContact({}, 16), EdgeContact{});
    EXPECT_EQ(IconMetrics::edgeContact({BezierPath{{Subpath{{5, 5}, {}, false}}}}, 16), EdgeContact{});

    const std::vector<BezierPath> wide{rectangle(5, 300, 957, 400)};
    EXPECT_EQ(IconMetrics::edgeContact(wide, 16), (EdgeContact{true, false, true, false}));
    EXPECT_TRUE(IconMetrics::spansCanvas(wide, 16));
    EXPECT_FALSE(IconMetrics::spansCanvas(wide, 2));

    const std::vector<BezierPath> corner{rectangle(0, 0, 100, 100)};
    EXPECT_EQ(IconMetrics::edgeContact(corner, 16), (EdgeContact{true, true, false, false}));
    EXPECT_FALSE(IconMetrics::spansCanvas(corner, 16));

    // Bounds are the curve's own, not its control points'.
    const BezierPath bulge{{Subpath{{100, 500}, {PathSegment::cubic({100, -100}, {860, -100}, {860, 500})}, false}}};
    EXPECT_FALSE(IconMetrics::edgeContact({bulge}, 16).top);
    EXPECT_TRUE(IconMetrics::spansCanvas({rectangle(400, 0, 500, 100), rectangle(400, 950, 500, 960)}, 16));
}
