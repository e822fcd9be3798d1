#include <gtest/gtest.h>

#include "image_io/image.hpp"
#include "test_images.hpp"

namespace image_io {
namespace {

using test::Bytes;
using writers::JpegSpec;

JpegSpec uniform(int components, std::vector<std::uint8_t> value, int width = 16, int height = 16) {
    JpegSpec spec;
    spec.width = width;
    spec.height = height;
    spec.components = components;
    for (int i = 0; i < width * height; ++i) spec.samples.insert(spec.samples.end(), value.begin(), value.end());
    return spec;
}

struct JpegCase {
    const char* name;
    JpegSpec spec;
    std::vector<std::uint8_t> rgba;
};

TEST(JpegDecodeTest, GreyRgbAndCmykBecomeOpaqueRgb) {
    JpegSpec plainInks = uniform(4, {0, 255, 255, 0});  // cyan 0, magenta and yellow full: red
    plainInks.adobeMarker = false;
    JpegSpec ycck = uniform(4, {255, 0, 0, 255});
    ycck.ycck = true;
    JpegSpec progressive = uniform(3, {30, 160, 220});
    progressive.progressive = true;
    const std::vector<JpegCase> cases = {
        {"grey", uniform(1, {77}), {77, 77, 77, 255}},
        {"rgb", uniform(3, {200, 40, 90}), {200, 40, 90, 255}},
        {"progressive rgb", progressive, {30, 160, 220, 255}},
        // Adobe's CMYK stores inverted inks: 255 is no ink.
        {"adobe cmyk red", uniform(4, {255, 0, 0, 255}), {255, 0, 0, 255}},
        {"adobe cmyk grey", uniform(4, {255, 255, 255, 128}), {128, 128, 128, 255}},
        {"plain cmyk red", plainInks, {255, 0, 0, 255}},
        {"adobe ycck red", ycck, {255, 0, 0, 255}},
    };
    for (const JpegCase& c : cases) {
        SCOPED_TRACE(c.name);
        const RgbaImage image = decode(writers::writeJpeg(c.spec));
        ASSERT_EQ(image.width, 16);
        ASSERT_EQ(image.height, 16);
        EXPECT_TRUE(test::pixelsNear(image.pixels, test::filled(16, 16, c.rgba[0], c.rgba[1], c.rgba[2]), 3));
    }
}

TEST(JpegDecodeTest, SizeHintScalesDownButNeverBelowTheHint) {
    const Bytes file = writers::writeJpeg(uniform(3, {10, 20, 30}, 800, 400));
    struct HintCase {
        int hint;
        int width;
        int height;
    };
    for (const HintCase& c : std::vector<HintCase>{{0, 800, 400},
                                                   {100, 100, 50},
                                                   {101, 200, 100},
                                                   {200, 200, 100},
                                                   {201, 400, 200},
                                                   {401, 800, 400},
                                                   {5000, 800, 400}}) {
        SCOPED_TRACE(c.hint);
        const RgbaImage image = decode(file, {.maxSideHint = c.hint});
        EXPECT_EQ(image.width, c.width);
        EXPECT_EQ(image.height, c.height);
        EXPECT_TRUE(test::pixelsNear(image.pixels, test::filled(c.width, c.height, 10, 20, 30), 3));
    }
}

TEST(JpegDecodeTest, HeaderGivesTheStoredSize) {
    JpegSpec spec = uniform(3, {1, 2, 3}, 40, 24);
    spec.exifOrientation = 6;
    EXPECT_EQ(readHeader(writers::writeJpeg(spec)), (ImageHeader{40, 24, ImageFormat::jpeg}));
}

TEST(JpegDecodeTest, ProgressiveImageOfTooManyScansIsRefused) {
    writers::JpegSpec spec;
    spec.width = 32;
    spec.height = 16;
    spec.samples = test::rgbOf(test::filled(32, 16, 10, 200, 90));
    spec.scanPerCoefficient = true;  // 380 scans
    const Bytes file = writers::writeJpeg(spec);
    EXPECT_THROW((void)decode(file), ImageIOError);
    spec.scanPerCoefficient = false;
    spec.progressive = true;
    EXPECT_NO_THROW((void)decode(writers::writeJpeg(spec)));
}

}  // namespace
}  // namespace image_io
