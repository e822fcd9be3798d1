#include "raster/lab.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

#include "icon_geometry/face_shape.hpp"

using namespace photo_analysis;

namespace {

void expectLab(const Lab& actual, const Lab& expected, float tolerance) {
    EXPECT_NEAR(actual.l, expected.l, tolerance);
    EXPECT_NEAR(actual.a, expected.a, tolerance);
    EXPECT_NEAR(actual.b, expected.b, tolerance);
}

std::vector<std::uint8_t> uniformImage(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                                       std::uint8_t a) {
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {r, g, b, a});
    return pixels;
}

}  // namespace

TEST(Lab, ReferenceColoursOfSRGB) {
    struct Case {
        std::uint8_t r, g, b;
        Lab expected;
    };
    for (const Case& c : std::vector<Case>{{255, 255, 255, {100, 0, 0}},
                                           {0, 0, 0, {0, 0, 0}},
                                           {255, 0, 0, {53.24f, 80.09f, 67.20f}},
                                           {0, 255, 0, {87.73f, -86.18f, 83.18f}},
                                           {0, 0, 255, {32.30f, 79.19f, -107.86f}}}) {
        SCOPED_TRACE(testing::Message() << int(c.r) << "," << int(c.g) << "," << int(c.b));
        expectLab(Lab::fromRGB(c.r, c.g, c.b), c.expected, 0.05f);
    }
}

TEST(LabImage, WorkingSizeFollowsTheHeightWithSixteenPixelFloors) {
    struct Case {
        int imageWidth, imageHeight, requested, width, height;
    };
    for (const Case& c : std::vector<Case>{{900, 600, 720, 1080, 720},
                                           {100, 50, 8, 32, 16},
                                           {1, 1000, 720, 16, 720},
                                           {3, 2, 17, 26, 17},  // 25.5 rounds away from zero
                                           {5, 2, 16, 40, 16},
                                           {1, 1, -5, 16, 16}}) {
        const std::vector<std::uint8_t> pixels = uniformImage(c.imageWidth, c.imageHeight, 10, 20, 30, 255);
        const auto lab = labImage(RgbaView{c.imageWidth, c.imageHeight, pixels}, c.requested);
        ASSERT_TRUE(lab.has_value());
        EXPECT_EQ(lab->width, c.width);
        EXPECT_EQ(lab->height, c.height);
        EXPECT_EQ(lab->pixels.size(), static_cast<std::size_t>(c.width * c.height));
        expectLab(lab->pixels[lab->pixels.size() / 2], Lab::fromRGB(10, 20, 30), 0.6f);
    }
}

TEST(LabImage, TransparentPixelsReadWhite) {
    for (const bool premultiplied : {true, false}) {
        const std::vector<std::uint8_t> pixels = uniformImage(40, 30, premultiplied ? 0 : 200, 0, 0, 0);
        const auto lab = labImage(RgbaView{40, 30, pixels, premultiplied}, 30);
        ASSERT_TRUE(lab.has_value());
        for (const Lab& p : lab->pixels) EXPECT_EQ(p, Lab::fromRGB(255, 255, 255));
    }
}

TEST(LabImage, RefusesEmptyShortAndOversizedImages) {
    const std::vector<std::uint8_t> pixels = uniformImage(100, 1, 0, 0, 0, 255);
    EXPECT_FALSE(labImage(RgbaView{0, 10, pixels}, 720));
    EXPECT_FALSE(labImage(RgbaView{100, 2, pixels}, 16));  // buffer holds one row only
    // 72 million columns would be asked for.
    EXPECT_FALSE(labImage(RgbaView{100, 1, pixels}, 720));
    EXPECT_FALSE(labImage(RgbaView{1, 1, pixels}, 20000));
}

TEST(MedianLab, UpperMedianPerComponentOfMaskedPixels) {
    const std::vector<Lab> pixels{{1, 40, -3}, {4, 10, -1}, {3, 30, -4}, {2, 20, -2}, {99, 99, 99}};
    const std::vector<bool> mask{true, true, true, true, false};
    EXPECT_EQ(medianLab(mask, pixels), Lab(3, 30, -2));
    EXPECT_EQ(medianLab(std::vector<bool>(5, false), pixels), Lab(0, 0, 0));
}

TEST(MedianLab, MatchesTheMiddleOfASortOnRandomValues) {
    std::mt19937 random(11);
    for (const std::size_t count : {1u, 2u, 3u, 10u, 1001u, 4096u}) {
        std::vector<Lab> pixels;
        std::vector<bool> mask;
        std::uniform_real_distribution<float> value(-120, 120);
        for (std::size_t i = 0; i < count; ++i) {
            // Repeats, zeros of both signs and values sharing their high bits.
            const float v = i % 7 == 0 ? (i % 2 ? -0.0f : 0.0f) : i % 5 == 0 ? 42.0f : value(random);
            pixels.push_back({v, -v, v / 1000});
            mask.push_back(i % 3 != 1);
        }
        std::vector<float> l, a, b;
        for (std::size_t i = 0; i < count; ++i) {
            if (!mask[i]) continue;
            l.push_back(pixels[i].l);
            a.push_back(pixels[i].a);
            b.push_back(pixels[i].b);
        }
        for (auto* values : {&l, &a, &b}) std::sort(values->begin(), values->end());
        const std::size_t middle = l.size() / 2;
        EXPECT_EQ(medianLab(mask, pixels), Lab(l[middle], a[middle], b[middle])) << count;
    }
}

TEST(LocalBackground, MatchesTheWindowMeanOnRandomMasks) {
    std::mt19937 random(7);
    std::uniform_real_distribution<float> value(-50, 100);
    for (const int radius : {0, 1, 2, 5, 40}) {
        const int width = 13;
        const int height = 9;
        std::vector<Lab> pixels;
        std::vector<bool> mask;
        for (int i = 0; i < width * height; ++i) {
            pixels.push_back({value(random), value(random), value(random)});
            mask.push_back(random() % 3 == 0);
        }
        const std::vector<Lab> background = localBackground(mask, radius, width, height, pixels);
        ASSERT_EQ(background.size(), pixels.size());
        const Lab median = medianLab(mask, pixels);
        for (int y = 0; y < height; ++y) {
            for (int x = 0; x < width; ++x) {
                double l = 0, a = 0, b = 0;
                int count = 0;
                for (int wy = y - radius; wy <= y + radius; ++wy) {
                    for (int wx = x - radius; wx <= x + radius; ++wx) {
                        if (wx < 0 || wy < 0 || wx >= width || wy >= height || !mask[wy * width + wx]) continue;
                        const Lab& p = pixels[wy * width + wx];
                        l += p.l;
                        a += p.a;
                        b += p.b;
                        ++count;
                    }
                }
                const Lab expected = count > 0 ? Lab(l / count, a / count, b / count) : median;
                SCOPED_TRACE(testing::Message() << "radius " << radius << " at " << x << "," << y);
                expectLab(background[y * width + x], expected, 1e-3f);
            }
        }
    }
}

TEST(LocalBackground, EmptyWindowKeepsTheMedianAndEmptyMaskGivesZero) {
    std::vector<Lab> pixels(10 * 10, Lab(50, 0, 0));
    std::vector<bool> mask(100, false);
    pixels[0] = {10, 1, 1};
    pixels[99] = {30, 3, 3};
    mask[0] = mask[99] = true;
    const std::vector<Lab> background = localBackground(mask, 1, 10, 10, pixels);
    EXPECT_EQ(background[5], Lab(30, 3, 3));  // upper median of two
    EXPECT_EQ(background[11], Lab(10, 1, 1));
    for (const Lab& p : localBackground(std::vector<bool>(100, false), 3, 10, 10, pixels)) EXPECT_EQ(p, Lab());
    EXPECT_TRUE(localBackground(mask, 1, 9, 10, pixels).empty());
}

TEST(RasterizeMask, FillsInHeightUnitsAboutTheCentreByTheEvenOddRule) {
    using icon_geometry::FaceShape;
    const icon_geometry::BezierPath square = FaceShape::roundedRectanglePath(0.5, 0.5, 0);
    const std::vector<bool> mask = rasterizeMask(square, 40, 20);
    ASSERT_EQ(mask.size(), 800u);
    for (int y = 0; y < 20; ++y) {
        for (int x = 0; x < 40; ++x) {
            EXPECT_EQ(mask[y * 40 + x], x >= 15 && x < 25 && y >= 5 && y < 15) << x << "," << y;
        }
    }
    icon_geometry::BezierPath ring = square;
    const auto inner = FaceShape::roundedRectanglePath(0.2, 0.2, 0);
    ring.subpaths.insert(ring.subpaths.end(), inner.subpaths.begin(), inner.subpaths.end());
    const std::vector<bool> ringMask = rasterizeMask(ring, 20, 20);
    EXPECT_TRUE(ringMask[6 * 20 + 6]);
    EXPECT_FALSE(ringMask[10 * 20 + 10]);
    EXPECT_TRUE(rasterizeMask(square, 0, 20).empty());
    // A subpath with a point that is not finite is left out, the others drawn.
    icon_geometry::BezierPath broken = FaceShape::roundedRectanglePath(0.2, 0.2, 0).translated(NAN, 0);
    broken.subpaths.push_back(square.subpaths.at(0));
    EXPECT_EQ(rasterizeMask(broken, 40, 20), mask);
    EXPECT_EQ(rasterizeMask(square.translated(INFINITY, 0), 40, 20), std::vector<bool>(800, false));
}
