#include <gtest/gtest.h>

#include <cmath>

#include "image_io/jpeg_encoder.hpp"
#include "test_images.hpp"

namespace image_io {
namespace {

RgbaImage imageOf(int width, int height, std::vector<std::uint8_t> pixels, AlphaMode alpha = AlphaMode::straight) {
    return {width, height, alpha, std::move(pixels)};
}

double meanError(const std::vector<std::uint8_t>& a, const std::vector<std::uint8_t>& b) {
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i) sum += std::abs(int{a[i]} - int{b[i]});
    return sum / static_cast<double>(a.size());
}

TEST(JpegEncodeTest, APhotoComesBackCloseAndTheSameImageGivesTheSameBytes) {
    const RgbaImage photo = imageOf(500, 500, writers::photoLike(500, 500));
    const std::vector<std::uint8_t> file = encodeJpegOnWhite(photo);
    EXPECT_EQ(sniffFormat(file), ImageFormat::jpeg);
    EXPECT_EQ(encodeJpegOnWhite(photo), file);
    const RgbaImage back = decode(file);
    ASSERT_EQ(back.width, 500);
    ASSERT_EQ(back.height, 500);
    EXPECT_LT(meanError(back.pixels, photo.pixels), 2.0);
}

TEST(JpegEncodeTest, TransparencyIsLaidOnWhiteWhicheverTheAlphaMode) {
    // Clear, half-covered red and opaque blue, as straight and as premultiplied pixels.
    const std::vector<std::uint8_t> straight = [] {
        std::vector<std::uint8_t> pixels;
        for (int i = 0; i < 16 * 8; ++i) pixels.insert(pixels.end(), {0, 0, 0, 0});
        for (int i = 0; i < 16 * 4; ++i) pixels.insert(pixels.end(), {255, 0, 0, 128});
        for (int i = 0; i < 16 * 4; ++i) pixels.insert(pixels.end(), {0, 0, 255, 255});
        return pixels;
    }();
    std::vector<std::uint8_t> premultiplied = straight;
    premultiply(premultiplied);
    for (const RgbaImage& image :
         {imageOf(16, 16, straight), imageOf(16, 16, premultiplied, AlphaMode::premultiplied)}) {
        const RgbaImage back = decode(encodeJpegOnWhite(image));
        EXPECT_TRUE(
            test::pixelsNear({test::pixelAt(back, 5, 3), test::pixelAt(back, 5, 3) + 4}, {255, 255, 255, 255}, 2));
        EXPECT_TRUE(
            test::pixelsNear({test::pixelAt(back, 5, 9), test::pixelAt(back, 5, 9) + 4}, {255, 127, 127, 255}, 4));
        EXPECT_TRUE(
            test::pixelsNear({test::pixelAt(back, 5, 14), test::pixelAt(back, 5, 14) + 4}, {0, 0, 255, 255}, 4));
    }
}

TEST(JpegEncodeTest, ColoursOfSinglePixelsAreNotAveragedWithTheirNeighbours) {
    // Red and blue columns one pixel wide: halved chroma would turn both into purple.
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x)
            pixels.insert(pixels.end(), {static_cast<std::uint8_t>(x % 2 == 0 ? 255 : 0), 0,
                                         static_cast<std::uint8_t>(x % 2 == 0 ? 0 : 255), 255});
    const RgbaImage image = imageOf(16, 16, pixels);
    EXPECT_TRUE(test::pixelsNear(decode(encodeJpegOnWhite(image)).pixels, pixels, 40));
}

TEST(JpegEncodeTest, PixelsThatDoNotFillTheSizeAndSizesOverTheCapsAreRefused) {
    EXPECT_THROW((void)encodeJpegOnWhite(imageOf(4, 4, std::vector<std::uint8_t>(4 * 4 * 4 - 1))), ImageIOError);
    EXPECT_THROW((void)encodeJpegOnWhite(imageOf(0, 4, {})), ImageIOError);
    EXPECT_THROW((void)encodeJpegOnWhite(imageOf(70000, 1, std::vector<std::uint8_t>(70000 * 4))), ImageIOError);
}

}  // namespace
}  // namespace image_io
