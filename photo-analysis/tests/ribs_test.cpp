#include "detection/ribs.hpp"

#include <gtest/gtest.h>

#include "grid_text.hpp"

using namespace photo_analysis;

namespace {

// A face of `width` columns whose masked rows in [from, to) carry horizontal
// stripes of lightness 40 and 60, four pixels each.
struct StripedFace {
    int width = 100;
    int height = 0;
    std::vector<Lab> pixels;
    std::vector<bool> mask;
};

StripedFace stripedFace(int height, const std::vector<std::pair<int, int>>& bands, int maskedColumns = 100,
                        float contrast = 10, int stripe = 4) {
    StripedFace face;
    face.height = height;
    face.pixels.assign(face.width * height, Lab(50, 0, 0));
    face.mask.assign(face.width * height, false);
    for (const auto& [from, to] : bands) {
        for (int y = from; y < to; ++y) {
            for (int x = 0; x < face.width; ++x) {
                face.pixels[y * face.width + x] = Lab((y / stripe) % 2 ? 50 + contrast : 50 - contrast, 0, 0);
                face.mask[y * face.width + x] = x < maskedColumns;
            }
        }
    }
    return face;
}

std::vector<Lab> transposed(const std::vector<Lab>& cells, int width, int height) {
    std::vector<Lab> out(cells.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) out[x * height + y] = cells[y * width + x];
    }
    return out;
}

std::vector<bool> transposed(const std::vector<bool>& cells, int width, int height) {
    std::vector<bool> out(cells.size());
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) out[x * height + y] = cells[y * width + x];
    }
    return out;
}

double lineY(const icon_geometry::BezierPath& line) {
    return line.subpaths.at(0).start.y;
}

Components::Component rectangleMark(int x0, int y0, int w, int h) {
    return photo_analysis::testing::rectangleMark(x0, y0, w, h, 400);
}

}  // namespace

TEST(Ribs, BandOfNinetyRowsAtScale720GivesThreeLines) {
    const StripedFace face = stripedFace(300, {{100, 190}});
    const auto band = Ribs::find(face.pixels, face.mask, face.width, face.height, true, 720);
    ASSERT_TRUE(band.has_value());
    EXPECT_EQ(band->rows, (PixelRange{100, 190}));
    EXPECT_EQ(band->columns, (PixelRange{3, 96}));  // 99 columns inset by trunc(3.96)
    ASSERT_EQ(band->lines.size(), 3u);
    EXPECT_EQ(lineY(band->lines[0]), 115);
    EXPECT_EQ(lineY(band->lines[1]), 145);
    EXPECT_EQ(lineY(band->lines[2]), 175);
    EXPECT_EQ(band->lines[0].subpaths[0].start.x, 3);
    EXPECT_EQ(band->lines[0].subpaths[0].segments.at(0).end(), (icon_geometry::Vector2{96, 115}));
}

TEST(Ribs, LongBandIsClampedToSevenLines) {
    const StripedFace face = stripedFace(600, {{40, 540}});
    const auto band = Ribs::find(face.pixels, face.mask, face.width, face.height, true, 720);
    ASSERT_TRUE(band.has_value());
    EXPECT_EQ(band->lines.size(), 7u);
}

TEST(Ribs, ShortestBandIsAnEighthOfTheScale) {
    // At scale 750 the shortest band is 90 rows.
    for (const auto& [rows, found] : std::vector<std::pair<int, bool>>{{90, true}, {89, false}}) {
        const StripedFace face = stripedFace(300, {{100, 100 + rows}});
        EXPECT_EQ(Ribs::find(face.pixels, face.mask, face.width, face.height, true, 750).has_value(), found) << rows;
    }
}

TEST(Ribs, OfTwoEqualRunsTheFirstWins) {
    const StripedFace face = stripedFace(400, {{20, 120}, {250, 350}});
    const auto band = Ribs::find(face.pixels, face.mask, face.width, face.height, true, 720);
    ASSERT_TRUE(band.has_value());
    EXPECT_EQ(band->rows, (PixelRange{20, 120}));
}

TEST(Ribs, ThinlyMaskedProfileHasNoBand) {
    // 30 masked columns of 100 are not more than 30 %.
    const StripedFace thin = stripedFace(300, {{50, 250}}, 45);
    EXPECT_FALSE(Ribs::find(thin.pixels, thin.mask, thin.width, thin.height, true, 720));
    const StripedFace enough = stripedFace(300, {{50, 250}}, 46);
    EXPECT_TRUE(Ribs::find(enough.pixels, enough.mask, enough.width, enough.height, true, 720));
}

TEST(Ribs, FaintOrWideStripesAreNotRibs) {
    struct Case {
        const char* what;
        float contrast;
        int stripe;
        bool found;
    };
    for (const Case& c : std::vector<Case>{{"lightness ±1.5", 1.5f, 4, true},
                                           {"lightness ±1", 1.0f, 4, false},
                                           {"stripes of 8 rows", 10, 8, true},
                                           {"stripes of 20 rows", 10, 20, false}}) {
        const StripedFace face = stripedFace(300, {{50, 250}}, 100, c.contrast, c.stripe);
        EXPECT_EQ(Ribs::find(face.pixels, face.mask, face.width, face.height, true, 720).has_value(), c.found)
            << c.what;
    }
}

TEST(Ribs, StripesAlongYAreFoundAcross) {
    const StripedFace face = stripedFace(300, {{100, 190}});
    const auto pixels = transposed(face.pixels, face.width, face.height);
    const auto mask = transposed(face.mask, face.width, face.height);
    EXPECT_FALSE(Ribs::find(pixels, mask, face.height, face.width, true, 720));
    const auto band = Ribs::find(pixels, mask, face.height, face.width, false, 720);
    ASSERT_TRUE(band.has_value());
    EXPECT_EQ(band->columns, (PixelRange{100, 190}));
    EXPECT_EQ(band->rows, (PixelRange{3, 96}));
    EXPECT_EQ(band->lines.at(0).subpaths.at(0).start, (icon_geometry::Vector2{115, 3}));
}

TEST(Ribs, BadInputGivesNoBand) {
    const StripedFace face = stripedFace(300, {{100, 190}});
    EXPECT_FALSE(Ribs::find(face.pixels, face.mask, face.width, face.height - 1, true, 720));
    EXPECT_FALSE(Ribs::find(face.pixels, {}, face.width, face.height, true, 720));
    EXPECT_FALSE(Ribs::find(face.pixels, face.mask, face.width, face.height, true, NAN));
    EXPECT_FALSE(Ribs::find(face.pixels, face.mask, face.width, face.height, true, 0));
}

TEST(ButtonEdges, FacingBarsPairIntoOneButton) {
    const std::vector<Components::Component> marks{rectangleMark(10, 10, 40, 6), rectangleMark(10, 40, 40, 6)};
    const auto pairs = FeatureDetection::ButtonEdges::pairs(marks, {}, 10, 720);
    ASSERT_EQ(pairs.size(), 1u);
    EXPECT_EQ(pairs[0].first, 0u);
    EXPECT_EQ(pairs[0].second, 1u);
    EXPECT_EQ(pairs[0].center, (icon_geometry::Vector2{30, 28}));
    EXPECT_EQ(pairs[0].size, (icon_geometry::Vector2{34, 30}));  // thickness 240 / 40
    EXPECT_TRUE(FeatureDetection::ButtonEdges::pairs(marks, {1}, 10, 720).empty());
}

TEST(ButtonEdges, AlignmentAndSizeLimits) {
    struct Case {
        const char* what;
        Components::Component second;
        double smallestMark, scale;
        bool paired;
    };
    for (const Case& c : std::vector<Case>{
             {"5 px sideways", rectangleMark(15, 40, 40, 6), 10, 720, true},
             {"6 px sideways", rectangleMark(16, 40, 40, 6), 10, 720, false},
             {"standing partner", rectangleMark(10, 40, 6, 40), 10, 720, false},
             {"too close", rectangleMark(10, 16, 40, 6), 10, 720, false},
             {"too far", rectangleMark(10, 70, 40, 6), 10, 720, false},
             {"long enough", rectangleMark(10, 40, 40, 6), 20, 720, true},
             {"one short of twice the smallest mark", rectangleMark(10, 40, 40, 6), 20.5, 720, false},
             {"a quarter of the scale", rectangleMark(10, 40, 40, 6), 10, 160, true},
             {"beyond a quarter of the scale", rectangleMark(10, 40, 40, 6), 10, 159, false},
             {"lengths 0.7 apart", rectangleMark(16, 40, 28, 6), 10, 720, true},
             {"lengths further apart", rectangleMark(16, 40, 27, 6), 10, 720, false},
         }) {
        const std::vector<Components::Component> marks{rectangleMark(10, 10, 40, 6), c.second};
        EXPECT_EQ(FeatureDetection::ButtonEdges::pairs(marks, {}, c.smallestMark, c.scale).size(), c.paired ? 1u : 0u)
            << c.what;
    }
}

TEST(ButtonEdges, ThreeBarsPairTheNearerAndLeaveTheThird) {
    using FeatureDetection::ButtonEdges::pairs;
    const std::vector<Components::Component> marks{rectangleMark(10, 10, 40, 6), rectangleMark(10, 70, 40, 6),
                                                   rectangleMark(10, 40, 40, 6)};
    const auto found = pairs(marks, {}, 10, 720);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].first, 0u);
    EXPECT_EQ(found[0].second, 2u);
    // Standing bars pair the same way with x and y swapped.
    const std::vector<Components::Component> standing{rectangleMark(10, 10, 6, 40), rectangleMark(40, 10, 6, 40)};
    EXPECT_EQ(pairs(standing, {}, 10, 720).size(), 1u);
}
