#include <gtest/gtest.h>

#include <array>

#include "image_io/image.hpp"
#include "image_io/png_encoder.hpp"
#include "test_images.hpp"

namespace image_io {
namespace {

using test::Bytes;
using writers::PngSpec;

struct PngCase {
    const char* name;
    PngSpec spec;
    std::vector<std::uint8_t> straight;  // the 4 pixels of a 2 × 2 image, RGBA
};

std::vector<std::array<std::uint8_t, 3>> fourColours() {
    return {{10, 20, 30}, {40, 50, 60}, {70, 80, 90}, {250, 0, 5}};
}

PngSpec spec(int colourType, int depth, std::vector<std::uint16_t> samples) {
    PngSpec s;
    s.width = 2;
    s.height = 2;
    s.colourType = colourType;
    s.bitDepth = depth;
    s.samples = std::move(samples);
    return s;
}

std::vector<PngCase> pngCases() {
    std::vector<PngCase> cases;
    cases.push_back(
        {"grey1", spec(0, 1, {0, 1, 1, 0}), {0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 255}});
    cases.push_back(
        {"grey2", spec(0, 2, {0, 1, 2, 3}), {0, 0, 0, 255, 85, 85, 85, 255, 170, 170, 170, 255, 255, 255, 255, 255}});
    cases.push_back(
        {"grey4", spec(0, 4, {0, 5, 10, 15}), {0, 0, 0, 255, 85, 85, 85, 255, 170, 170, 170, 255, 255, 255, 255, 255}});
    cases.push_back({"grey8",
                     spec(0, 8, {0, 100, 200, 255}),
                     {0, 0, 0, 255, 100, 100, 100, 255, 200, 200, 200, 255, 255, 255, 255, 255}});
    cases.push_back({"grey16",
                     spec(0, 16, {0, 0x8080, 0xFFFF, 0x0101}),
                     {0, 0, 0, 255, 128, 128, 128, 255, 255, 255, 255, 255, 1, 1, 1, 255}});
    cases.push_back({"greyAlpha8",
                     spec(4, 8, {10, 0, 20, 128, 30, 255, 40, 64}),
                     {10, 10, 10, 0, 20, 20, 20, 128, 30, 30, 30, 255, 40, 40, 40, 64}});
    cases.push_back({"greyAlpha16",
                     spec(4, 16, {0x0A0A, 0, 0x1414, 0x8080, 0x1E1E, 0xFFFF, 0x2828, 0x4040}),
                     {10, 10, 10, 0, 20, 20, 20, 128, 30, 30, 30, 255, 40, 40, 40, 64}});
    cases.push_back({"rgb8",
                     spec(2, 8, {1, 2, 3, 4, 5, 6, 7, 8, 9, 250, 251, 252}),
                     {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 250, 251, 252, 255}});
    cases.push_back(
        {"rgb16",
         spec(2, 16, {0x0101, 0x0202, 0x0303, 0x0404, 0x0505, 0x0606, 0x0707, 0x0808, 0x0909, 0xFAFA, 0xFBFB, 0xFCFC}),
         {1, 2, 3, 255, 4, 5, 6, 255, 7, 8, 9, 255, 250, 251, 252, 255}});
    cases.push_back({"rgba8",
                     spec(6, 8, {1, 2, 3, 0, 4, 5, 6, 100, 7, 8, 9, 200, 10, 11, 12, 255}),
                     {1, 2, 3, 0, 4, 5, 6, 100, 7, 8, 9, 200, 10, 11, 12, 255}});
    cases.push_back({"rgba16",
                     spec(6, 16,
                          {0x0101, 0x0202, 0x0303, 0, 0x0404, 0x0505, 0x0606, 0x6464, 0x0707, 0x0808, 0x0909, 0xC8C8,
                           0x0A0A, 0x0B0B, 0x0C0C, 0xFFFF}),
                     {1, 2, 3, 0, 4, 5, 6, 100, 7, 8, 9, 200, 10, 11, 12, 255}});
    for (const int depth : {1, 2, 4, 8}) {
        PngCase palette{
            "palette", spec(3, depth, {0, 1, 1, 0}), {10, 20, 30, 0, 40, 50, 60, 128, 40, 50, 60, 128, 10, 20, 30, 0}};
        palette.spec.palette = fourColours();
        palette.spec.palette.resize(std::min<std::size_t>(4, std::size_t{1} << depth));
        palette.spec.paletteAlpha = {0, 128};  // entries past the tRNS list are opaque
        cases.push_back(palette);
    }
    PngCase opaqueEntries{"paletteShortTrns",
                          spec(3, 8, {0, 1, 2, 3}),
                          {10, 20, 30, 7, 40, 50, 60, 255, 70, 80, 90, 255, 250, 0, 5, 255}};
    opaqueEntries.spec.palette = fourColours();
    opaqueEntries.spec.paletteAlpha = {7};
    cases.push_back(opaqueEntries);
    PngCase greyKey{"greyKey",
                    spec(0, 8, {0, 100, 100, 255}),
                    {0, 0, 0, 255, 100, 100, 100, 0, 100, 100, 100, 0, 255, 255, 255, 255}};
    greyKey.spec.transparentKey = std::array<std::uint16_t, 3>{100, 0, 0};
    cases.push_back(greyKey);
    PngCase rgbKey{"rgbKey",
                   spec(2, 8, {1, 2, 3, 4, 5, 6, 1, 2, 3, 1, 2, 4}),
                   {1, 2, 3, 0, 4, 5, 6, 255, 1, 2, 3, 0, 1, 2, 4, 255}};
    rgbKey.spec.transparentKey = std::array<std::uint16_t, 3>{1, 2, 3};
    cases.push_back(rgbKey);
    return cases;
}

TEST(PngDecodeTest, EveryColourTypeAndDepthGivesKnownStraightPixels) {
    for (const PngCase& c : pngCases()) {
        SCOPED_TRACE(std::string(c.name) + " at " + std::to_string(c.spec.bitDepth) + " bits");
        for (const bool interlaced : {false, true}) {
            PngSpec spec = c.spec;
            spec.interlaced = interlaced;
            const Bytes file = writers::writePng(spec);
            const RgbaImage image = decode(file, {.alpha = AlphaMode::straight});
            EXPECT_EQ(image.width, 2);
            EXPECT_EQ(image.height, 2);
            EXPECT_EQ(image.alpha, AlphaMode::straight);
            EXPECT_EQ(image.pixels, c.straight);
        }
    }
}

TEST(PngDecodeTest, PremultipliesRoundingHalvesAwayFromZero) {
    // 1 × 128 / 255 = 0.502 → 1; 200 × 100 / 255 = 78.4 → 78; 255 × 128 / 255 = 128.
    PngSpec s = spec(6, 8, {1, 200, 255, 128, 3, 3, 3, 0, 255, 255, 255, 255, 128, 64, 2, 100});
    const RgbaImage image = decode(writers::writePng(s));
    EXPECT_EQ(image.alpha, AlphaMode::premultiplied);
    const std::vector<std::uint8_t> expected = {1, 100, 128, 128, 0, 0, 0, 0, 255, 255, 255, 255, 50, 25, 1, 100};
    EXPECT_EQ(image.pixels, expected);
}

TEST(PngDecodeTest, InterlacedLargerImageMatchesTheSequentialOne) {
    PngSpec s;
    s.width = 13;
    s.height = 11;
    s.colourType = 6;
    for (int i = 0; i < s.width * s.height * 4; ++i) s.samples.push_back(static_cast<std::uint16_t>((i * 37) % 256));
    const RgbaImage sequential = decode(writers::writePng(s), {.alpha = AlphaMode::straight});
    s.interlaced = true;
    const RgbaImage interlaced = decode(writers::writePng(s), {.alpha = AlphaMode::straight});
    EXPECT_EQ(interlaced, sequential);
    EXPECT_EQ(std::vector<std::uint8_t>(sequential.pixels.begin(), sequential.pixels.begin() + 4),
              (std::vector<std::uint8_t>{0, 37, 74, 111}));
}

TEST(PngDecodeTest, InterlacedImagesWithEmptyPassesDecode) {
    // Narrow and short images leave some of the seven passes without a column or a row.
    for (const auto& [width, height, colourType, bitDepth] :
         std::vector<std::array<int, 4>>{{1, 1, 0, 1}, {1, 9, 2, 8}, {9, 1, 6, 16}, {3, 2, 0, 4}, {5, 7, 4, 8}}) {
        SCOPED_TRACE(std::to_string(width) + " × " + std::to_string(height));
        PngSpec s;
        s.width = width;
        s.height = height;
        s.colourType = colourType;
        s.bitDepth = bitDepth;
        const int channels = colourType == 2 ? 3 : colourType == 6 ? 4 : colourType == 4 ? 2 : 1;
        for (int i = 0; i < width * height * channels; ++i) s.samples.push_back(static_cast<std::uint16_t>(i % 2));
        const RgbaImage sequential = decode(writers::writePng(s));
        s.interlaced = true;
        EXPECT_EQ(decode(writers::writePng(s)), sequential);
    }
}

TEST(PngEncoderTest, RgbAndRgbaRoundTripAndAreDeterministic) {
    const std::vector<std::uint8_t> rgba = writers::photoLike(31, 17);
    const std::vector<std::uint8_t> rgb = test::rgbOf(rgba);
    const Bytes fromRgb = encodePngRgb(31, 17, rgb);
    EXPECT_EQ(fromRgb, encodePngRgb(31, 17, rgb));
    EXPECT_EQ(decode(fromRgb, {.alpha = AlphaMode::straight}).pixels, rgba);

    RgbaImage translucent{3, 1, AlphaMode::straight, {10, 20, 30, 0, 200, 100, 50, 128, 1, 2, 3, 255}};
    const Bytes fromRgba = encodePngRgba(translucent);
    EXPECT_EQ(fromRgba, encodePngRgba(translucent));
    EXPECT_EQ(decode(fromRgba, {.alpha = AlphaMode::straight}), translucent);
}

TEST(PngEncoderTest, PremultipliedInputIsWrittenStraight) {
    const RgbaImage premultiplied{2, 1, AlphaMode::premultiplied, {100, 50, 0, 128, 9, 9, 9, 255}};
    const RgbaImage written = decode(encodePngRgba(premultiplied), {.alpha = AlphaMode::straight});
    EXPECT_EQ(written.pixels, (std::vector<std::uint8_t>{199, 100, 0, 128, 9, 9, 9, 255}));
    EXPECT_EQ(decode(encodePngRgba(premultiplied)), premultiplied);
}

TEST(PngEncoderTest, RefusesPixelsThatDoNotMatchTheSize) {
    EXPECT_THROW((void)encodePngRgb(2, 2, std::vector<std::uint8_t>(11)), ImageIOError);
    EXPECT_THROW((void)encodePngRgb(0, 2, {}), ImageIOError);
    EXPECT_THROW((void)encodePngRgba(RgbaImage{2, 2, AlphaMode::straight, std::vector<std::uint8_t>(15)}),
                 ImageIOError);
}

}  // namespace
}  // namespace image_io
