#include "detection/pictogram_matcher.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

#include "grid_text.hpp"
#include "platform/cairo_raster.hpp"
#include "trace.hpp"

using namespace photo_analysis;
using icon_geometry::Pictogram;
using icon_geometry::Vector2;

namespace {

constexpr int faceWidth = 400;
constexpr int faceHeight = 300;
constexpr double workingHeight = 720;

// The marks of a pictogram printed `size` pixels across at `center`, its strokes
// `weight` pixels wide.
std::vector<Components::Component> printedPictogram(Pictogram pictogram, Vector2 center, double size, double weight) {
    const auto grey = platform::coverage(pictogram.contours(center, size), faceWidth, faceHeight, {0, 0}, 1,
                                         {platform::Paint::Mode::stroke, weight});
    std::vector<bool> mask(grey.size());
    for (std::size_t i = 0; i < grey.size(); ++i) mask[i] = grey[i] >= 128;
    return Components(mask, faceWidth, faceHeight).list;
}

std::vector<Components::Component> dotCluster(unsigned seed) {
    std::mt19937 random(seed);
    std::vector<bool> mask(faceWidth * faceHeight, false);
    for (int dot = 0; dot < 14; ++dot) {
        const int cx = 170 + static_cast<int>(random() % 60);
        const int cy = 120 + static_cast<int>(random() % 60);
        for (int y = cy - 2; y <= cy + 2; ++y) {
            for (int x = cx - 2; x <= cx + 2; ++x) mask[y * faceWidth + x] = true;
        }
    }
    return Components(mask, faceWidth, faceHeight).list;
}

}  // namespace

TEST(PictogramMatcher, SkeletonIsAtDistanceZeroFromItselfAndEmptyIsInfinitelyFar) {
    for (const Pictogram pictogram : {Pictogram::sun, Pictogram::wifi}) {
        const auto skeleton = PictogramMatcher::pictogramSkeleton(pictogram);
        ASSERT_EQ(skeleton.size(), 48u * 48u);
        EXPECT_GT(std::count(skeleton.begin(), skeleton.end(), true), 30);
        EXPECT_EQ(PictogramMatcher::distance(skeleton, skeleton), 0);
        const std::vector<bool> empty(48 * 48, false);
        EXPECT_EQ(PictogramMatcher::distance(skeleton, empty), INFINITY);
        EXPECT_EQ(PictogramMatcher::distance(empty, skeleton), INFINITY);
    }
    EXPECT_GT(PictogramMatcher::distance(PictogramMatcher::pictogramSkeleton(Pictogram::sun),
                                         PictogramMatcher::pictogramSkeleton(Pictogram::wifi)),
              0);
}

TEST(PictogramMatcher, DistanceIsTheLargerMeanOverTheSide) {
    std::vector<bool> a(48 * 48, false);
    std::vector<bool> b(48 * 48, false);
    b[20 * 48 + 20] = true;
    for (const int x : {23, 17, 24, 25}) a[20 * 48 + x] = true;
    a[23 * 48 + 20] = true;
    // From a to b: 3, 3, 4, 5 and 3, mean 3.6; from b to a: 3.
    EXPECT_EQ(PictogramMatcher::distance(a, b), 0.075);
    EXPECT_FALSE(PictogramMatcher::accepts(0.075));
    EXPECT_TRUE(PictogramMatcher::accepts(std::nextafter(0.075, 0.0)));
    EXPECT_FALSE(PictogramMatcher::accepts(INFINITY));
    EXPECT_FALSE(PictogramMatcher::accepts(NAN));
}

TEST(PictogramMatcher, RasterizeScalesAboutTheCentreAndFillsSingleGaps) {
    // One pixel lands in one cell, thinned to itself.
    const auto single = PictogramMatcher::rasterize({10 * 100 + 10}, 100, {10.5, 10.5}, 60);
    EXPECT_EQ(std::count(single.begin(), single.end(), true), 1);
    EXPECT_TRUE(single[24 * 48 + 24]);
    // Values in (−1, 0) truncate into cell 0; further out they are dropped.
    const auto edge = PictogramMatcher::rasterize({0}, 100, {49.5, 0.5}, 96);
    EXPECT_TRUE(edge[24 * 48 + 0]);
    EXPECT_EQ(std::count(edge.begin(), edge.end(), true), 1);
    const auto outside = PictogramMatcher::rasterize({0}, 100, {51.5, 0.5}, 96);
    EXPECT_EQ(std::count(outside.begin(), outside.end(), true), 0);
    EXPECT_EQ(PictogramMatcher::rasterize({0}, 0, {0, 0}, 10), std::vector<bool>(48 * 48, false));
}

TEST(PictogramMatcher, PrintedSymbolsAreRecognisedAsTheirKind) {
    // Each about 60 pixels across on a face worked at 720 pixels: the wifi arcs
    // spread wider than the symbol's nominal size.
    for (const auto& [pictogram, drawnSize] :
         std::vector<std::pair<Pictogram, double>>{{Pictogram::sun, 60}, {Pictogram::wifi, 50}}) {
        const auto marks = printedPictogram(pictogram, {200, 150}, drawnSize, 4);
        ASSERT_GT(marks.size(), 2u);
        int x0 = faceWidth, y0 = faceHeight, x1 = 0, y1 = 0;
        for (const auto& mark : marks) {
            x0 = std::min(x0, mark.minX);
            y0 = std::min(y0, mark.minY);
            x1 = std::max(x1, mark.maxX);
            y1 = std::max(y1, mark.maxY);
        }
        EXPECT_NEAR(std::max(x1 - x0 + 1, y1 - y0 + 1), 60, 2);
        const auto matches = PictogramMatcher::match(marks, {}, faceWidth, workingHeight);
        ASSERT_EQ(matches.size(), 1u) << pictogram.rawValue();
        EXPECT_EQ(matches[0].pictogram, pictogram);
        EXPECT_EQ(matches[0].members.size(), marks.size());
        EXPECT_LT(matches[0].distance, 0.075);
        EXPECT_EQ(matches[0].center, (Vector2{(x0 + x1 + 1) / 2.0, (y0 + y1 + 1) / 2.0}));
        EXPECT_EQ(matches[0].size, std::max(x1 - x0 + 1, y1 - y0 + 1));
        // Set aside as text, the same marks match nothing.
        std::set<std::size_t> all;
        for (std::size_t i = 0; i < marks.size(); ++i) all.insert(i);
        EXPECT_TRUE(PictogramMatcher::match(marks, all, faceWidth, workingHeight).empty());
    }
}

TEST(PictogramMatcher, RandomDotClustersAreNotPictograms) {
    for (unsigned seed = 1; seed <= 5; ++seed) {
        EXPECT_TRUE(PictogramMatcher::match(dotCluster(seed), {}, faceWidth, workingHeight).empty()) << seed;
    }
}

namespace {

Components::Component squareMark(int x, int y, int side) {
    return photo_analysis::testing::rectangleMark(x, y, side, side, faceWidth);
}

std::string tracedGroups(const char* value, const std::vector<Components::Component>& marks,
                         const std::set<std::size_t>& excluded = {}) {
    if (value != nullptr) {
        setenv("PICTO_DEBUG", value, 1);
    } else {
        unsetenv("PICTO_DEBUG");
    }
    std::string out;
    PictogramMatcher::match(marks, excluded, faceWidth, workingHeight, [&](std::string_view line) {
        out.append(line);
        out += '\n';
    });
    unsetenv("PICTO_DEBUG");
    return out;
}

// The trace line without its distance.
std::string groupLine(const char* centre, int size, int marks) {
    return std::string("    groupe (") + centre + ") " + std::to_string(size) + " px, " + std::to_string(marks) +
           " marques : ";
}

}  // namespace

TEST(PictogramMatcher, GroupsAtTheLimitsOfGapAndSize) {
    // With H = 720: gaps up to 21.6 px join, marks under 72 px are small, and
    // groups from 36 to 115.2 px across are compared.
    struct Case {
        const char* what;
        std::vector<Components::Component> marks;
        std::string traced;  // the start of the one trace line, or empty
    };
    for (const Case& c : std::vector<Case>{
             {"21 px apart", {squareMark(10, 10, 10), squareMark(40, 10, 10)}, groupLine("30, 15", 40, 2)},
             {"22 px apart", {squareMark(10, 10, 10), squareMark(41, 10, 10)}, ""},
             {"a small mark of 71 px", {squareMark(10, 10, 71)}, groupLine("46, 46", 71, 1)},
             {"a mark of 72 px", {squareMark(10, 10, 72)}, ""},
             {"a group of 36 px", {squareMark(10, 10, 36)}, groupLine("28, 28", 36, 1)},
             {"a group of 35 px", {squareMark(10, 10, 35)}, ""},
             {"a group of 115 px", {squareMark(10, 10, 50), squareMark(75, 10, 50)}, groupLine("68, 35", 115, 2)},
             {"a group of 116 px", {squareMark(10, 10, 50), squareMark(76, 10, 50)}, ""},
             {"a mark between two groups merges them",
              {squareMark(10, 10, 10), squareMark(60, 10, 10), squareMark(35, 10, 10)},
              groupLine("40, 15", 60, 3)},
         }) {
        const std::string out = tracedGroups("1", c.marks);
        if (c.traced.empty()) {
            EXPECT_EQ(out, "") << c.what;
        } else {
            EXPECT_EQ(out.rfind(c.traced, 0), 0u) << c.what << ": " << out;
            EXPECT_EQ(std::count(out.begin(), out.end(), '\n'), 1) << c.what;
        }
    }
}

TEST(PictogramMatcher, TraceFollowsTheEnvironmentAndSkipsExcludedMarks) {
    const std::vector<Components::Component> marks{squareMark(10, 10, 10), squareMark(40, 10, 10)};
    EXPECT_EQ(tracedGroups(nullptr, marks), "");
    const std::string traced = tracedGroups("", marks);
    EXPECT_EQ(traced.rfind(groupLine("30, 15", 40, 2), 0), 0u) << traced;
    // "sun" or "wifi", a space and three decimals.
    EXPECT_TRUE(traced.find(" marques : sun ") != std::string::npos ||
                traced.find(" marques : wifi ") != std::string::npos);
    EXPECT_EQ(traced[traced.size() - 5], '.');
    EXPECT_EQ(tracedGroups("1", marks, {1}), "");
}
