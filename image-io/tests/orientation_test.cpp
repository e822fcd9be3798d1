#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "image_io/image.hpp"
#include "test_images.hpp"

namespace image_io {
namespace {

using test::Bytes;

// A 3 × 2 image of six cells labelled a–f (row by row), each cell `cell` pixels square and of its own
// grey; the upright arrangement for each orientation, as rows of labels.
constexpr int cell = 16;
const std::uint8_t shade[6] = {0, 50, 100, 150, 200, 250};

struct Upright {
    int orientation;
    int columns;
    std::string labels;  // row by row
};

const std::vector<Upright> uprights = {
    {1, 3, "abcdef"}, {2, 3, "cbafed"}, {3, 3, "fedcba"}, {4, 3, "defabc"},
    {5, 2, "adbecf"}, {6, 2, "daebfc"}, {7, 2, "fcebda"}, {8, 2, "cfbead"},
};

std::vector<std::uint8_t> cellGreys() {
    std::vector<std::uint8_t> grey;
    for (int y = 0; y < 2 * cell; ++y) {
        for (int x = 0; x < 3 * cell; ++x) grey.push_back(shade[(y / cell) * 3 + x / cell]);
    }
    return grey;
}

// The cell labels read at cell centres, row by row.
std::string labelsOf(const RgbaImage& image, int tolerance) {
    std::string labels;
    for (int cy = 0; cy < image.height / cell; ++cy) {
        for (int cx = 0; cx < image.width / cell; ++cx) {
            const std::uint8_t value = test::pixelAt(image, cx * cell + cell / 2, cy * cell + cell / 2)[0];
            char label = '?';
            for (int i = 0; i < 6; ++i) {
                if (std::abs(int{value} - shade[i]) <= tolerance) label = static_cast<char>('a' + i);
            }
            labels += label;
        }
    }
    return labels;
}

Bytes pngWith(int orientation) {
    writers::PngSpec spec;
    spec.width = 3 * cell;
    spec.height = 2 * cell;
    spec.colourType = 0;
    for (const std::uint8_t g : cellGreys()) spec.samples.push_back(g);
    spec.exifOrientation = orientation;
    return writers::writePng(spec);
}

Bytes jpegWith(int orientation) {
    writers::JpegSpec spec;
    spec.width = 3 * cell;
    spec.height = 2 * cell;
    spec.components = 1;
    spec.samples = cellGreys();
    spec.exifOrientation = orientation;
    return writers::writeJpeg(spec);
}

Bytes tiffWith(int orientation) {
    writers::TiffSpec spec;
    spec.width = 3 * cell;
    spec.height = 2 * cell;
    spec.photometric = 1;
    spec.samplesPerPixel = 1;
    for (const std::uint8_t g : cellGreys()) spec.samples.push_back(g);
    spec.orientation = orientation;
    return writers::writeTiff(spec);
}

Bytes webpWith(int orientation) {
    std::vector<std::uint8_t> rgba;
    for (const std::uint8_t g : cellGreys()) rgba.insert(rgba.end(), {g, g, g, 255});
    return writers::addWebpExif(writers::writeWebpLossless(3 * cell, 2 * cell, rgba), orientation);
}

struct Format {
    const char* name;
    Bytes (*write)(int);
};

TEST(OrientationTest, AppliedOnlyWhenAsked) {
    for (const Format& format : {Format{"PNG eXIf", pngWith}, Format{"JPEG EXIF", jpegWith},
                                 Format{"TIFF tag", tiffWith}, Format{"WebP EXIF", webpWith}}) {
        for (const Upright& upright : uprights) {
            SCOPED_TRACE(std::string(format.name) + " orientation " + std::to_string(upright.orientation));
            const Bytes file = format.write(upright.orientation);
            const RgbaImage stored = decode(file);
            EXPECT_EQ(stored.width, 3 * cell);
            EXPECT_EQ(labelsOf(stored, 6), "abcdef");
            const RgbaImage turned = decode(file, {.applyOrientation = true});
            EXPECT_EQ(turned.width, upright.columns * cell);
            EXPECT_EQ(labelsOf(turned, 6), upright.labels);
            EXPECT_EQ(readHeader(file).width, 3 * cell);
        }
    }
}

TEST(OrientationTest, OrientationStoredAsA32BitValueIsApplied) {
    writers::JpegSpec spec;
    spec.width = 3 * cell;
    spec.height = 2 * cell;
    spec.components = 1;
    spec.samples = cellGreys();
    spec.exifOrientation = 6;
    Bytes file = writers::writeJpeg(spec);
    // The orientation entry's type, SHORT (3) in the block written, becomes LONG (4); its value
    // field already holds 6, 0, 0, 0.
    static constexpr std::uint8_t entry[] = {0x12, 0x01, 3, 0, 1, 0};
    const auto at = std::search(file.begin(), file.end(), std::begin(entry), std::end(entry));
    ASSERT_NE(at, file.end());
    at[2] = 4;
    EXPECT_EQ(labelsOf(decode(file, {.applyOrientation = true}), 12), "daebfc");
}

TEST(OrientationTest, HeicTransformsAppliedOnlyWhenAsked) {
    std::vector<std::uint8_t> rgb;
    for (const std::uint8_t g : cellGreys()) rgb.insert(rgb.end(), {g, g, g});
    const std::optional<Bytes> file = writers::writeHeic(3 * cell, 2 * cell, rgb, 6);
    if (!file) GTEST_SKIP() << "libheif has no HEVC encoder here";
    ASSERT_EQ(sniffFormat(*file), ImageFormat::heif);
    const RgbaImage stored = decode(*file);
    EXPECT_EQ(stored.width, 3 * cell);
    EXPECT_EQ(labelsOf(stored, 12), "abcdef");
    const RgbaImage turned = decode(*file, {.applyOrientation = true});
    EXPECT_EQ(turned.width, 2 * cell);
    EXPECT_EQ(labelsOf(turned, 12), "daebfc");
}

}  // namespace
}  // namespace image_io
