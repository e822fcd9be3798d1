#include <gtest/gtest.h>

#include "bmp_bytes.hpp"
#include "image_io/image.hpp"
#include "test_images.hpp"

namespace image_io {
namespace {

using test::Bytes;
using writers::GifFrame;
using writers::TiffSpec;

// ---- TIFF

TiffSpec tiff(int photometric, int samplesPerPixel, int bits, std::vector<std::uint16_t> samples, int width = 2,
              int height = 2) {
    TiffSpec spec;
    spec.width = width;
    spec.height = height;
    spec.photometric = photometric;
    spec.samplesPerPixel = samplesPerPixel;
    spec.bitsPerSample = bits;
    spec.samples = std::move(samples);
    return spec;
}

struct TiffCase {
    const char* name;
    TiffSpec spec;
    std::vector<std::uint8_t> straight;
    int tolerance = 0;
};

TEST(TiffDecodeTest, LayoutsAndCompressionsGiveKnownPixels) {
    TiffSpec palette = tiff(3, 1, 8, {0, 1, 2, 1});
    palette.colourMap = {std::vector<std::uint16_t>(256, 0), std::vector<std::uint16_t>(256, 0),
                         std::vector<std::uint16_t>(256, 0)};
    palette.colourMap[0][1] = 200 * 257;
    palette.colourMap[1][2] = 100 * 257;
    palette.colourMap[2][2] = 255 * 257;
    std::vector<std::uint16_t> photo;
    const std::vector<std::uint8_t> photoRgba = writers::photoLike(37, 29);
    for (std::size_t i = 0; i < photoRgba.size(); ++i) {
        if (i % 4 != 3) photo.push_back(photoRgba[i]);
    }
    const std::vector<std::uint8_t> photoExpected = photoRgba;
    TiffSpec tiled = tiff(2, 3, 8, photo, 37, 29);
    tiled.tileSide = 16;
    TiffSpec tiledLzw = tiled;
    tiledLzw.compression = 5;

    std::vector<TiffCase> cases = {
        {"grey",
         tiff(1, 1, 8, {0, 90, 180, 255}),
         {0, 0, 0, 255, 90, 90, 90, 255, 180, 180, 180, 255, 255, 255, 255, 255}},
        {"white is zero",
         tiff(0, 1, 8, {0, 90, 180, 255}),
         {255, 255, 255, 255, 165, 165, 165, 255, 75, 75, 75, 255, 0, 0, 0, 255}},
        {"palette", palette, {0, 0, 0, 255, 200, 0, 0, 255, 0, 100, 255, 255, 200, 0, 0, 255}},
        {"rgb 16 bits",
         tiff(2, 3, 16, {0x0101, 0x0202, 0x0303, 0x0404, 0x0505, 0x0606, 0xFFFF, 0, 0x8080, 0x6464, 0x6464, 0x6464}),
         {1, 2, 3, 255, 4, 5, 6, 255, 255, 0, 128, 255, 100, 100, 100, 255}},
        {"cmyk",
         tiff(5, 4, 8, {0, 255, 255, 0, 0, 0, 0, 255, 0, 0, 0, 0, 255, 0, 255, 0}),
         {255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 255, 255, 0, 255, 0, 255}},
        {"tiled", tiled, photoExpected},
        {"tiled lzw", tiledLzw, photoExpected},
    };
    for (const int compression : {5, 8, 32773}) {
        TiffSpec compressed = tiff(2, 3, 8, photo, 37, 29);
        compressed.compression = compression;
        cases.push_back({"strips compressed", compressed, photoExpected});
    }
    // JPEG inside TIFF, YCbCr: a flat colour, so that subsampling leaves it intact.
    std::vector<std::uint16_t> flat;
    for (int i = 0; i < 37 * 29; ++i) flat.insert(flat.end(), {30, 160, 220});
    TiffSpec jpeg = tiff(6, 3, 8, flat, 37, 29);
    jpeg.compression = 7;
    cases.push_back({"ycbcr jpeg", jpeg, test::filled(37, 29, 30, 160, 220), 4});
    for (const TiffCase& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " compression " + std::to_string(c.spec.compression));
        const Bytes file = writers::writeTiff(c.spec);
        ASSERT_EQ(sniffFormat(file), ImageFormat::tiff);
        EXPECT_EQ(readHeader(file), (ImageHeader{c.spec.width, c.spec.height, ImageFormat::tiff}));
        RgbaImage image;
        ASSERT_NO_THROW(image = decode(file, {.alpha = AlphaMode::straight}));
        ASSERT_EQ(image.width, c.spec.width);
        EXPECT_TRUE(test::pixelsNear(image.pixels, c.straight, c.tolerance));
    }
}

TEST(TiffDecodeTest, UnassociatedAlphaStaysStraightAndAssociatedStaysPremultiplied) {
    TiffSpec straight = tiff(2, 4, 8, {200, 100, 50, 128, 9, 9, 9, 0});
    straight.width = 2;
    straight.height = 1;
    straight.extraSample = 2;
    EXPECT_EQ(decode(writers::writeTiff(straight), {.alpha = AlphaMode::straight}).pixels,
              (std::vector<std::uint8_t>{200, 100, 50, 128, 9, 9, 9, 0}));
    EXPECT_EQ(decode(writers::writeTiff(straight)).pixels, (std::vector<std::uint8_t>{100, 50, 25, 128, 0, 0, 0, 0}));

    TiffSpec associated = tiff(2, 4, 8, {100, 50, 25, 128, 0, 0, 0, 0});
    associated.width = 2;
    associated.height = 1;
    associated.extraSample = 1;
    EXPECT_EQ(decode(writers::writeTiff(associated)).pixels, (std::vector<std::uint8_t>{100, 50, 25, 128, 0, 0, 0, 0}));
}

// ---- WebP

TEST(WebpDecodeTest, LosslessWithAlphaIsExact) {
    std::vector<std::uint8_t> rgba = writers::photoLike(23, 19);
    for (std::size_t i = 3; i < rgba.size(); i += 4) rgba[i] = static_cast<std::uint8_t>((i * 7) % 256);
    // Lossless WebP may change the colour under alpha 0; compare where alpha is not 0.
    const RgbaImage image = decode(writers::writeWebpLossless(23, 19, rgba), {.alpha = AlphaMode::straight});
    ASSERT_EQ(image.width, 23);
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        if (rgba[i + 3] == 0) continue;
        ASSERT_TRUE(std::equal(rgba.begin() + i, rgba.begin() + i + 4, image.pixels.begin() + i)) << i / 4;
    }
}

TEST(WebpDecodeTest, LossyStaysNearTheSource) {
    const std::vector<std::uint8_t> rgba = test::filled(40, 30, 180, 90, 30);
    const RgbaImage image = decode(writers::writeWebpLossy(40, 30, rgba));
    EXPECT_TRUE(test::pixelsNear(image.pixels, rgba, 6));
}

TEST(WebpDecodeTest, AnimationGivesItsFirstFrame) {
    const std::vector<std::uint8_t> first = test::filled(8, 6, 255, 0, 0);
    const std::vector<std::uint8_t> second = test::filled(8, 6, 0, 0, 255);
    const Bytes file = writers::writeWebpAnimation(8, 6, {first, second});
    EXPECT_EQ(readHeader(file), (ImageHeader{8, 6, ImageFormat::webp}));
    EXPECT_EQ(decode(file).pixels, first);
}

// ---- GIF

const std::vector<std::array<std::uint8_t, 3>> gifColours = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

TEST(GifDecodeTest, InterlacedFrameWithTransparentIndexOnTheScreen) {
    GifFrame frame;
    frame.left = 1;
    frame.top = 2;
    frame.width = 3;
    frame.height = 9;
    frame.interlaced = true;
    frame.transparentIndex = 0;
    for (int y = 0; y < 9; ++y) frame.indices.insert(frame.indices.end(), {static_cast<std::uint8_t>(y % 4), 1, 0});
    const Bytes file = writers::writeGif(5, 12, gifColours, {frame});
    EXPECT_EQ(readHeader(file), (ImageHeader{5, 12, ImageFormat::gif}));
    const RgbaImage image = decode(file, {.alpha = AlphaMode::straight});
    ASSERT_EQ(image.width, 5);
    ASSERT_EQ(image.height, 12);
    for (int y = 0; y < 12; ++y) {
        for (int x = 0; x < 5; ++x) {
            SCOPED_TRACE(std::to_string(x) + "," + std::to_string(y));
            std::array<std::uint8_t, 4> expected{0, 0, 0, 0};  // outside the frame: transparent
            if (x >= 1 && x < 4 && y >= 2 && y < 11) {
                const std::uint8_t index = frame.indices[static_cast<std::size_t>((y - 2) * 3 + x - 1)];
                if (index != 0) expected = {gifColours[index][0], gifColours[index][1], gifColours[index][2], 255};
            }
            const std::uint8_t* p = test::pixelAt(image, x, y);
            EXPECT_EQ((std::array<std::uint8_t, 4>{p[0], p[1], p[2], p[3]}), expected);
        }
    }
}

TEST(GifDecodeTest, TwoFramesGiveTheFirstWithItsLocalColours) {
    GifFrame first;
    first.width = 2;
    first.height = 1;
    first.indices = {0, 1};
    first.localColours = {{10, 20, 30}, {40, 50, 60}};
    GifFrame second = first;
    second.localColours.clear();
    second.indices = {3, 3};
    const RgbaImage image = decode(writers::writeGif(2, 1, gifColours, {first, second}));
    EXPECT_EQ(image.pixels, (std::vector<std::uint8_t>{10, 20, 30, 255, 40, 50, 60, 255}));
}

// ---- BMP

TEST(BmpDecodeTest, LayoutsGiveKnownPixels) {
    using test::BmpSpec;
    // 3 × 2: top row red green blue, bottom row white black grey.
    const std::vector<std::uint8_t> expected = {255, 0,   0,   255, 0, 255, 0, 255, 0,   0,   255, 255,
                                                255, 255, 255, 255, 0, 0,   0, 255, 128, 128, 128, 255};
    BmpSpec palette8{
        40, 3, 2, 8, 0, {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 255}, {0, 0, 0}, {128, 128, 128}}, {}, {}};
    palette8.pixelData = {3, 4, 5, 0, 0, 1, 2, 0};  // bottom-up
    BmpSpec palette4 = palette8;
    palette4.bits = 4;
    palette4.pixelData = {0x34, 0x50, 0, 0, 0x01, 0x20, 0, 0};
    BmpSpec topDown24{40, 3, -2, 24, 0, {}, {}, {}};
    topDown24.pixelData = {0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0, 255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0};
    BmpSpec core24 = topDown24;
    core24.infoSize = 12;
    core24.height = 2;
    core24.pixelData = {255, 255, 255, 0, 0, 0, 128, 128, 128, 0, 0, 0, 0, 0, 255, 0, 255, 0, 255, 0, 0, 0, 0, 0};
    BmpSpec fields32{108, 3, -2, 32, 3, {}, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, {}};
    for (std::size_t i = 0; i < expected.size(); i += 4) {
        fields32.pixelData.insert(fields32.pixelData.end(), {expected[i + 2], expected[i + 1], expected[i], 255});
    }
    BmpSpec fields565{40, 3, -2, 16, 3, {}, {0xF800, 0x07E0, 0x001F, 0}, {}};
    for (std::size_t i = 0; i < expected.size(); i += 4) {
        const unsigned value = ((expected[i] >> 3) << 11) | ((expected[i + 1] >> 2) << 5) | (expected[i + 2] >> 3);
        test::put16(fields565.pixelData, value);
        if (i % 12 == 8) test::put16(fields565.pixelData, 0);
    }
    struct BmpCase {
        const char* name;
        BmpSpec spec;
        int tolerance;
    };
    for (const BmpCase& c : {BmpCase{"8-bit palette bottom-up", palette8, 0}, BmpCase{"4-bit palette", palette4, 0},
                             BmpCase{"24-bit top-down", topDown24, 0}, BmpCase{"24-bit core header", core24, 0},
                             BmpCase{"32-bit bit fields", fields32, 0}, BmpCase{"16-bit 5-6-5", fields565, 8}}) {
        SCOPED_TRACE(c.name);
        const Bytes file = test::bmpFile(c.spec);
        ASSERT_EQ(sniffFormat(file), ImageFormat::bmp);
        EXPECT_EQ(readHeader(file), (ImageHeader{3, 2, ImageFormat::bmp}));
        EXPECT_TRUE(test::pixelsNear(decode(file).pixels, expected, c.tolerance));
    }
}

TEST(BmpDecodeTest, AlphaFromTheBitFieldMask) {
    test::BmpSpec spec{108, 2, 1, 32, 3, {}, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, {}};
    spec.pixelData = {50, 100, 200, 128, 1, 2, 3, 255};
    EXPECT_EQ(decode(test::bmpFile(spec), {.alpha = AlphaMode::straight}).pixels,
              (std::vector<std::uint8_t>{200, 100, 50, 128, 3, 2, 1, 255}));
}

TEST(BmpDecodeTest, RefusesWhatItCannotReadFaithfully) {
    using test::BmpSpec;
    BmpSpec rle8{40, 2, 2, 8, 1, {{0, 0, 0}, {255, 255, 255}}, {}, {0, 2, 0, 0, 0, 1}};
    BmpSpec shortData{40, 4, 4, 24, 0, {}, {}, std::vector<std::uint8_t>(40)};
    BmpSpec indexPastPalette{40, 2, 1, 8, 0, {{0, 0, 0}, {255, 255, 255}}, {}, {0, 7, 0, 0}};
    BmpSpec noPalette{40, 2, 1, 8, 0, {}, {}, {0, 0, 0, 0}};
    for (const auto& [name, spec] : {std::pair{"RLE8", rle8},
                                     {"pixel data shorter than declared", shortData},
                                     {"index past the palette", indexPastPalette},
                                     {"no palette", noPalette}}) {
        SCOPED_TRACE(name);
        EXPECT_THROW((void)decode(test::bmpFile(spec)), ImageIOError);
    }
}

}  // namespace
}  // namespace image_io

namespace image_io {
namespace {

TEST(GifDecodeTest, ScreenOfNoSizeTakesTheFirstFrameExtent) {
    writers::GifFrame frame;
    frame.left = 2;
    frame.top = 1;
    frame.width = 3;
    frame.height = 2;
    frame.indices = {1, 2, 3, 3, 2, 1};
    const test::Bytes file = writers::writeGif(0, 0, gifColours, {frame});
    EXPECT_EQ(readHeader(file), (ImageHeader{5, 3, ImageFormat::gif}));
    const RgbaImage image = decode(file);
    ASSERT_EQ(image.width, 5);
    ASSERT_EQ(image.height, 3);
    EXPECT_EQ(test::pixelAt(image, 0, 0)[3], 0);
    EXPECT_EQ(test::pixelAt(image, 2, 1)[0], 255);
}

}  // namespace
}  // namespace image_io
