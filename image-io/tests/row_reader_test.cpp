#include <gtest/gtest.h>

#include <algorithm>

#include "image_io/image.hpp"
#include "test_images.hpp"

namespace image_io {
namespace {

using test::Bytes;

std::vector<std::uint8_t> allRows(RowReader& reader) {
    std::vector<std::uint8_t> pixels;
    for (int y = 0; y < reader.height(); ++y) {
        const std::span<const std::uint8_t> row = reader.nextRow();
        EXPECT_EQ(row.size(), static_cast<std::size_t>(reader.width()) * 4);
        pixels.insert(pixels.end(), row.begin(), row.end());
    }
    return pixels;
}

TEST(RowReaderTest, RowsAreTheDecodedImageAsStored) {
    std::vector<std::uint8_t> rgba = writers::photoLike(29, 21);
    for (std::size_t i = 3; i < rgba.size(); i += 4) rgba[i] = static_cast<std::uint8_t>(i % 256);
    writers::PngSpec png;
    png.width = 29;
    png.height = 21;
    png.colourType = 6;
    png.samples.assign(rgba.begin(), rgba.end());
    png.exifOrientation = 6;
    writers::PngSpec interlaced = png;
    interlaced.interlaced = true;
    writers::JpegSpec jpeg;
    jpeg.width = 29;
    jpeg.height = 21;
    jpeg.samples = test::rgbOf(rgba);
    jpeg.exifOrientation = 8;
    writers::JpegSpec cmyk;
    cmyk.width = 3;
    cmyk.height = 2;
    cmyk.components = 4;
    cmyk.samples = {255, 0, 0, 255, 0, 255, 0, 255, 9, 9, 9, 9, 1, 2, 3, 4, 100, 100, 100, 100, 255, 255, 255, 0};
    // Rows of 29 × 140 in bands of strips, with straight and with associated alpha.
    writers::TiffSpec tiff;
    tiff.width = 29;
    tiff.height = 140;
    tiff.samplesPerPixel = 4;
    tiff.extraSample = 2;
    tiff.compression = 8;
    for (int copy = 0; copy < 7; ++copy)
        tiff.samples.insert(tiff.samples.end(), rgba.begin(), rgba.begin() + 29 * 20 * 4);
    writers::TiffSpec associated = tiff;
    associated.extraSample = 1;
    for (std::size_t i = 0; i < associated.samples.size(); i += 4) {
        for (std::size_t c = 0; c < 3; ++c)
            associated.samples[i + c] = std::min(associated.samples[i + c], associated.samples[i + 3]);
    }
    const std::vector<std::pair<const char*, Bytes>> files = {
        {"PNG", writers::writePng(png)},
        {"TIFF, straight alpha", writers::writeTiff(tiff)},
        {"TIFF, associated alpha", writers::writeTiff(associated)},
        {"interlaced PNG", writers::writePng(interlaced)},
        {"JPEG", writers::writeJpeg(jpeg)},
        {"CMYK JPEG", writers::writeJpeg(cmyk)},
        {"WebP", writers::writeWebpLossless(29, 21, rgba)},
    };
    for (const auto& [name, file] : files) {
        for (const AlphaMode alpha : {AlphaMode::premultiplied, AlphaMode::straight}) {
            SCOPED_TRACE(std::string(name) + (alpha == AlphaMode::straight ? " straight" : " premultiplied"));
            const RgbaImage whole = decode(file, {.alpha = alpha});
            RowReader reader(file, alpha);
            EXPECT_EQ(reader.width(), whole.width);
            EXPECT_EQ(reader.height(), whole.height);
            EXPECT_EQ(allRows(reader), whole.pixels);
            EXPECT_THROW((void)reader.nextRow(), ImageIOError);
        }
    }
}

TEST(SniffFormatTest, FormatComesFromTheMagicBytes) {
    const auto bytes = [](std::initializer_list<int> values) {
        Bytes out;
        for (const int v : values) out.push_back(static_cast<std::uint8_t>(v));
        return out;
    };
    const std::vector<std::pair<Bytes, std::optional<ImageFormat>>> cases = {
        {bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}), ImageFormat::png},
        {bytes({0x89, 'P', 'N', 'G', '\r', '\n', 0x1A}), std::nullopt},
        {bytes({0xFF, 0xD8, 0xFF, 0xE0}), ImageFormat::jpeg},
        {bytes({'G', 'I', 'F', '8', '7', 'a'}), ImageFormat::gif},
        {bytes({'G', 'I', 'F', '8', '9', 'a'}), ImageFormat::gif},
        {bytes({'G', 'I', 'F', '9', '0', 'a'}), std::nullopt},
        {bytes({'I', 'I', 42, 0}), ImageFormat::tiff},
        {bytes({'M', 'M', 0, 42}), ImageFormat::tiff},
        {bytes({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'E', 'B', 'P'}), ImageFormat::webp},
        {bytes({'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E'}), std::nullopt},
        {bytes(
             {0, 0, 0, 24, 'f', 't', 'y', 'p', 'h', 'e', 'i', 'c', 0, 0, 0, 0, 'm', 'i', 'f', '1', 'h', 'e', 'i', 'c'}),
         ImageFormat::heif},
        {bytes({0, 0, 0, 20, 'f', 't', 'y', 'p', 'i', 's', 'o', 'm', 0, 0, 0, 0, 'm', 'p', '4', '1'}), std::nullopt},
        {bytes({'B', 'M', 0, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0, 40, 0, 0, 0}), ImageFormat::bmp},
        {bytes({'B', 'M', 'a', 'n', 'd', 's', 'o', 'm', 'e', ' ', 't', 'e', 'x', 't', '.', '.', '.', '.'}),
         std::nullopt},
        {bytes({'<', 's', 'v', 'g'}), std::nullopt},
        {{}, std::nullopt},
    };
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(sniffFormat(cases[i].first), cases[i].second);
    }
}

}  // namespace
}  // namespace image_io
