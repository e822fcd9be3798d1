#include "homey_project/similarity.hpp"

#include <gtest/gtest.h>

#include "icon_documents.hpp"
#include "test_images.hpp"

namespace homey_project {
namespace {

using testing::iconWith;
using testing::pngOf;
using testing::rectanglePath;
using testing::Rgba;
using testing::uniformPng;

TEST(Similarity, IconOverlap) {
    const std::string left = iconWith(rectanglePath(0, 0, 400, 960));
    const std::string right = iconWith(rectanglePath(560, 0, 960, 960));
    const std::string hairline = iconWith(rectanglePath(100, 100, 800, 101));
    const std::string otherHairline = iconWith(rectanglePath(100, 500, 800, 501));
    const std::string empty = iconWith("<g/>");
    const std::string broken = "<svg";
    const std::string badPath = iconWith(R"(<path d="M0 0 L"/>)");

    EXPECT_EQ(Similarity::iconOverlap(left, left), 1.0);
    EXPECT_EQ(Similarity::iconOverlap(left, right), 0.0);
    EXPECT_EQ(Similarity::iconOverlap(hairline, otherHairline), 1.0);  // neither inks a cell
    for (const std::string& unusable : {empty, broken, badPath}) {
        EXPECT_EQ(Similarity::iconOverlap(unusable, left), std::nullopt);
        EXPECT_EQ(Similarity::iconOverlap(left, unusable), std::nullopt);
    }
    const auto half =
        Similarity::iconOverlap(iconWith(rectanglePath(0, 0, 960, 480)), iconWith(rectanglePath(0, 0, 960, 960)));
    ASSERT_TRUE(half);
    EXPECT_NEAR(*half, 0.5, 1e-9);
}

// A 17 × 16 grey picture whose relations are the designed bits: each cell is
// darker than its right neighbour exactly where the bit is 1.
std::string designedPng(const Similarity::DifferenceHash& bits) {
    std::vector<Rgba> pixels;
    for (int r = 0; r < 16; ++r) {
        int grey = 128;
        pixels.push_back(
            {static_cast<std::uint8_t>(grey), static_cast<std::uint8_t>(grey), static_cast<std::uint8_t>(grey), 255});
        for (int c = 0; c < 16; ++c) {
            grey += bits[static_cast<std::size_t>(r * 16 + c)] != 0 ? 5 : -5;
            pixels.push_back({static_cast<std::uint8_t>(grey), static_cast<std::uint8_t>(grey),
                              static_cast<std::uint8_t>(grey), 255});
        }
    }
    return pngOf(17, 16, pixels);
}

TEST(Similarity, HandBuiltPictureGivesItsDesignedHash) {
    Similarity::DifferenceHash bits{};
    std::uint32_t state = 12345;
    for (std::uint8_t& bit : bits) {
        state = state * 1664525u + 1013904223u;
        bit = (state >> 28) & 1;
    }
    EXPECT_EQ(Similarity::differenceHash(designedPng(bits)), bits);

    // Flipping the last relation of k rows changes k entries and nothing else.
    for (int k : {1, 7, 8, 12, 13}) {
        Similarity::DifferenceHash flipped = bits;
        for (int r = 0; r < k; ++r) flipped[static_cast<std::size_t>(r * 16 + 15)] ^= 1;
        EXPECT_EQ(Similarity::imageDistance(designedPng(bits), designedPng(flipped)), k / 256.0) << k;
    }
}

TEST(Similarity, ImageDistance) {
    const std::string big = testing::photoLikePng(1000, 3);
    const std::string small = testing::photoLikePng(500, 3);
    const auto resized = Similarity::imageDistance(big, small);
    ASSERT_TRUE(resized);
    EXPECT_LT(*resized, 0.03);
    EXPECT_EQ(Similarity::imageDistance(small, small), 0.0);
    const auto other = Similarity::imageDistance(small, testing::photoLikePng(500, 11));
    ASSERT_TRUE(other);
    EXPECT_GT(*other, 0.05);

    EXPECT_EQ(Similarity::imageDistance(uniformPng(30, 20, {200, 10, 10, 255}), uniformPng(5, 90, {0, 0, 0, 255})),
              0.0);
    EXPECT_EQ(Similarity::differenceHash(uniformPng(40, 40, {90, 0, 0, 0})),
              Similarity::differenceHash(uniformPng(40, 40, {255, 255, 255, 255})));
    EXPECT_EQ(Similarity::imageDistance("text", small), std::nullopt);
    EXPECT_EQ(Similarity::imageDistance(small, "text"), std::nullopt);
}

TEST(Similarity, EnlargingKeepsTheRelations) {
    // A 2 × 1 picture, dark then light: on 17 columns the middle one is half and half.
    const auto hash = Similarity::differenceHash(pngOf(2, 1, {{0, 0, 0, 255}, {255, 255, 255, 255}}));
    ASSERT_TRUE(hash);
    for (int r = 0; r < 16; ++r)
        for (int c = 0; c < 16; ++c)
            EXPECT_EQ((*hash)[static_cast<std::size_t>(r * 16 + c)], c == 7 || c == 8 ? 1 : 0) << c;
}

}  // namespace
}  // namespace homey_project
