#include <gtest/gtest.h>

#include "image_io/image.hpp"
#include "image_io/png_encoder.hpp"
#include "test_images.hpp"

namespace image_io {
namespace {

using test::Bytes;

// 300 × 100: black up to column 149, white from 150, a half-transparent red last row.
std::vector<std::uint8_t> halves() {
    std::vector<std::uint8_t> rgba;
    for (int y = 0; y < 100; ++y) {
        for (int x = 0; x < 300; ++x) {
            const std::uint8_t grey = x < 150 ? 0 : 255;
            if (y == 99) {
                rgba.insert(rgba.end(), {255, 0, 0, 128});
            } else {
                rgba.insert(rgba.end(), {grey, grey, grey, 255});
            }
        }
    }
    return rgba;
}

Bytes pngOf(const std::vector<std::uint8_t>& rgba, int orientation = 0) {
    writers::PngSpec spec;
    spec.width = 300;
    spec.height = 100;
    spec.colourType = 6;
    spec.samples.assign(rgba.begin(), rgba.end());
    spec.exifOrientation = orientation;
    return writers::writePng(spec);
}

TEST(FittedDecodeTest, LargerImageIsShrunkByAreaWhileItIsDecoded) {
    const RgbaImage image = decodeFitted(pngOf(halves()), 60);
    ASSERT_EQ(image.width, 60);
    ASSERT_EQ(image.height, 20);
    EXPECT_EQ(image.alpha, AlphaMode::premultiplied);
    EXPECT_EQ(test::pixelAt(image, 0, 0)[0], 0);
    EXPECT_EQ(test::pixelAt(image, 29, 10)[0], 0);
    EXPECT_EQ(test::pixelAt(image, 30, 10)[0], 255);
    EXPECT_EQ(test::pixelAt(image, 59, 10)[3], 255);
    // The last target row averages four opaque rows and the half-transparent one.
    const std::uint8_t* last = test::pixelAt(image, 0, 19);
    EXPECT_EQ(last[3], (4 * 255 + 128 + 2) / 5);
    EXPECT_EQ(last[0], (128 + 2) / 5);
}

TEST(FittedDecodeTest, StreamedAndWholeDecodesShrinkAlike) {
    const std::vector<std::uint8_t> rgba = writers::photoLike(300, 100);
    const RgbaImage streamed = decodeFitted(pngOf(rgba), 70, AlphaMode::straight);
    const RgbaImage whole = decodeFitted(writers::writeWebpLossless(300, 100, rgba), 70, AlphaMode::straight);
    ASSERT_EQ(streamed.width, 70);
    ASSERT_EQ(streamed.height, 23);
    EXPECT_EQ(streamed, whole);
    EXPECT_EQ(decodeFitted(pngOf(rgba), 300, AlphaMode::straight), decode(pngOf(rgba), {.alpha = AlphaMode::straight}));
}

TEST(FittedDecodeTest, TurnedAfterShrinkingAndSmallImagesStayAsTheyAre) {
    const RgbaImage upright = decodeFitted(pngOf(halves(), 6), 60);
    EXPECT_EQ(upright.width, 20);
    EXPECT_EQ(upright.height, 60);
    EXPECT_EQ(test::pixelAt(upright, 19, 0)[0], 0);  // the stored left half turned to the top
    EXPECT_EQ(test::pixelAt(upright, 19, 59)[0], 255);
    const RgbaImage same = decodeFitted(pngOf(halves()), 300);
    EXPECT_EQ(same, decode(pngOf(halves())));
    EXPECT_EQ(fittedSize(12000, 6000, 8192), (std::pair{8192, 4096}));
    EXPECT_EQ(fittedSize(16384, 3, 8192), (std::pair{8192, 2}));
    EXPECT_EQ(fittedSize(100, 100, 8192), (std::pair{100, 100}));
}

TEST(FittedDecodeTest, JpegIsDecodedScaledButNotBelowTheSide) {
    writers::JpegSpec spec;
    spec.width = 800;
    spec.height = 400;
    spec.samples = test::rgbOf(test::filled(800, 400, 30, 140, 220));
    const RgbaImage image = decodeFitted(writers::writeJpeg(spec), 150);
    EXPECT_EQ(image.width, 150);
    EXPECT_EQ(image.height, 75);
    EXPECT_TRUE(test::pixelsNear(image.pixels, test::filled(150, 75, 30, 140, 220), 3));
}

}  // namespace
}  // namespace image_io
