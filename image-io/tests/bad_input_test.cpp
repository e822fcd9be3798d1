#include <gtest/gtest.h>
#include <zlib.h>

#include <array>

#include "bmp_bytes.hpp"
#include "image_io/image.hpp"
#include "test_images.hpp"

namespace image_io {
namespace {

using test::Bytes;

void putBig32(Bytes& out, std::uint32_t v) {
    out.insert(out.end(), {static_cast<std::uint8_t>(v >> 24), static_cast<std::uint8_t>(v >> 16),
                           static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v)});
}

void putPngChunk(Bytes& out, const char* type, const Bytes& data) {
    putBig32(out, static_cast<std::uint32_t>(data.size()));
    Bytes typed(type, type + 4);
    typed.insert(typed.end(), data.begin(), data.end());
    out.insert(out.end(), typed.begin(), typed.end());
    putBig32(out, static_cast<std::uint32_t>(crc32(0, typed.data(), static_cast<uInt>(typed.size()))));
}

Bytes pngHeaderOnly(std::uint32_t width, std::uint32_t height, bool interlaced = false) {
    Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    Bytes header;
    putBig32(header, width);
    putBig32(header, height);
    header.insert(header.end(), {8, 2, 0, 0, static_cast<std::uint8_t>(interlaced ? 1 : 0)});
    putPngChunk(file, "IHDR", header);
    putPngChunk(file, "IDAT", {0x78, 0x9C, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01});
    putPngChunk(file, "IEND", {});
    return file;
}

// A small valid file whose frame header is rewritten to claim width × height.
Bytes jpegClaiming(std::uint16_t width, std::uint16_t height) {
    writers::JpegSpec spec;
    spec.width = 8;
    spec.height = 8;
    spec.samples.assign(8 * 8 * 3, 100);
    Bytes file = writers::writeJpeg(spec);
    for (std::size_t i = 2; i + 8 < file.size(); ++i) {
        if (file[i] == 0xFF && file[i + 1] == 0xC0) {
            file[i + 5] = static_cast<std::uint8_t>(height >> 8);
            file[i + 6] = static_cast<std::uint8_t>(height);
            file[i + 7] = static_cast<std::uint8_t>(width >> 8);
            file[i + 8] = static_cast<std::uint8_t>(width);
            break;
        }
    }
    return file;
}

// The most 16 bits hold.
Bytes jpegClaimingMaximum() {
    return jpegClaiming(65535, 65535);
}

// A screen and one frame of width × height over the data of a single pixel.
Bytes gifFrameClaiming(std::uint16_t width, std::uint16_t height) {
    Bytes file = {'G', 'I', 'F', '8', '9', 'a'};
    const auto size = [&] {
        for (const std::uint16_t v : {width, height}) test::put16(file, v);
    };
    size();
    file.insert(file.end(), {0x80, 0, 0, 0, 0, 0, 255, 255, 255, ',', 0, 0, 0, 0});
    size();
    file.insert(file.end(), {0, 2, 2, 0x44, 0x01, 0, ';'});
    return file;
}

Bytes gifClaimingMaximum() {
    writers::GifFrame frame;
    frame.indices = {1};
    Bytes file = writers::writeGif(1, 1, {{0, 0, 0}, {255, 255, 255}}, {frame});
    file[6] = file[7] = file[8] = file[9] = 0xFF;
    return file;
}

Bytes bmpClaiming(std::int32_t width, std::int32_t height) {
    test::BmpSpec spec{40, width, height, 24, 0, {}, {}, std::vector<std::uint8_t>(64)};
    return test::bmpFile(spec);
}

std::vector<std::pair<const char*, Bytes>> validFiles();

TEST(BadInputTest, HeadersOverTheCapsAreRefusedBeforeDecoding) {
    const std::vector<std::pair<const char*, Bytes>> bombs = {
        {"PNG 70000 square", pngHeaderOnly(70000, 70000)},
        {"PNG 30000 square (900 Mpx)", pngHeaderOnly(30000, 30000)},
        {"JPEG 65535 square", jpegClaimingMaximum()},
        {"GIF 65535 square", gifClaimingMaximum()},
        {"TIFF 70000 square", test::tiffWithStrip(70000, 70000, 8, 1)},
        {"WebP 70000 square", test::webpCanvas(70000, 70000)},
        {"BMP 70000 square", bmpClaiming(70000, 70000)},
        {"BMP 70000 tall top-down", bmpClaiming(1, -70000)},
    };
    for (const auto& [name, file] : bombs) {
        SCOPED_TRACE(name);
        EXPECT_TRUE(sniffFormat(file).has_value());
        EXPECT_THROW((void)readHeader(file), ImageIOError);
        EXPECT_THROW((void)decode(file), ImageIOError);
        EXPECT_THROW(RowReader{file}, ImageIOError);
    }
}

// The error an operation ends in; fails the test when it ends in none.
template <typename Operation>
ImageIOError refusalOf(Operation operation) {
    if (std::optional<ImageIOError> error = test::errorOf(operation)) return *error;
    ADD_FAILURE() << "not refused";
    return ImageIOError(ImageErrorKind::damaged, "not refused");
}

TEST(BadInputTest, RefusalsSayWhyAndNameTheSizeTheyRefuse) {
    struct Oversized {
        const char* name;
        Bytes file;
        ImageSize declared;
    };
    const std::vector<Oversized> oversized = {
        {"PNG 70000 square", pngHeaderOnly(70000, 70000), {70000, 70000}},
        {"PNG 30000 square (900 Mpx)", pngHeaderOnly(30000, 30000), {30000, 30000}},
        {"TIFF 70000 square", test::tiffWithStrip(70000, 70000, 8, 1), {70000, 70000}},
        {"BMP 70000 tall top-down", bmpClaiming(1, -70000), {1, 70000}},
    };
    for (const Oversized& c : oversized) {
        SCOPED_TRACE(c.name);
        const ImageIOError error = refusalOf([&] { (void)readHeader(c.file); });
        EXPECT_EQ(error.kind(), ImageErrorKind::tooLarge);
        EXPECT_EQ(error.declaredSize(), c.declared);
    }
    // Only the header chunk is there: the size is judged before anything else is missed.
    Bytes headerAlone = pngHeaderOnly(70000, 70000);
    headerAlone.resize(33);
    EXPECT_EQ(refusalOf([&] { (void)decode(headerAlone); }).declaredSize(), (ImageSize{70000, 70000}));

    EXPECT_EQ(refusalOf([] { (void)decode(Bytes{'h', 'e', 'l', 'l', 'o'}); }).kind(), ImageErrorKind::unknownFormat);
    const Bytes rle = test::bmpFile({40, 2, 2, 8, 1, {{0, 0, 0}}, {}, {2, 0, 0, 1}});
    EXPECT_EQ(refusalOf([&] { (void)decode(rle); }).kind(), ImageErrorKind::unsupported);
    Bytes truncated = validFiles()[0].second;
    truncated.resize(truncated.size() / 2);
    const ImageIOError damaged = refusalOf([&] { (void)decode(truncated); });
    EXPECT_EQ(damaged.kind(), ImageErrorKind::damaged);
    EXPECT_FALSE(damaged.declaredSize().has_value());
}

std::vector<std::pair<const char*, Bytes>> validFiles() {
    const std::vector<std::uint8_t> rgba = writers::photoLike(64, 48);
    writers::PngSpec png;
    png.width = 64;
    png.height = 48;
    png.colourType = 6;
    png.samples.assign(rgba.begin(), rgba.end());
    writers::PngSpec interlaced = png;
    interlaced.interlaced = true;
    writers::JpegSpec jpeg;
    jpeg.width = 64;
    jpeg.height = 48;
    jpeg.samples = test::rgbOf(rgba);
    writers::JpegSpec progressive = jpeg;
    progressive.progressive = true;
    writers::TiffSpec tiff;
    tiff.width = 64;
    tiff.height = 48;
    tiff.compression = 5;
    for (const std::uint8_t v : test::rgbOf(rgba)) tiff.samples.push_back(v);
    writers::GifFrame frame;
    frame.width = 64;
    frame.height = 48;
    for (std::size_t i = 0; i < rgba.size(); i += 4) frame.indices.push_back(static_cast<std::uint8_t>(rgba[i] / 64));
    test::BmpSpec bmp{40, 64, 48, 24, 0, {}, {}, test::rgbOf(rgba)};
    return {{"PNG", writers::writePng(png)},
            {"interlaced PNG", writers::writePng(interlaced)},
            {"JPEG", writers::writeJpeg(jpeg)},
            {"progressive JPEG", writers::writeJpeg(progressive)},
            {"TIFF", writers::writeTiff(tiff)},
            {"WebP lossless", writers::writeWebpLossless(64, 48, rgba)},
            {"WebP lossy", writers::writeWebpLossy(64, 48, rgba)},
            {"GIF", writers::writeGif(64, 48, {{0, 0, 0}, {90, 90, 90}, {170, 170, 170}, {255, 255, 255}}, {frame})},
            {"BMP", test::bmpFile(bmp)}};
}

TEST(BadInputTest, TruncatedFilesAreRefused) {
    for (const auto& [name, file] : validFiles()) {
        SCOPED_TRACE(name);
        EXPECT_NO_THROW((void)decode(file));
        // TIFF keeps its directory at the end: cut within the pixel data too.
        for (const double kept : {0.6, 0.3}) {
            const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() * kept));
            EXPECT_THROW((void)decode(cut), ImageIOError) << "kept " << kept;
        }
    }
}

TEST(BadInputTest, TruncatedStreamsFailWhileReadingRows) {
    for (const auto& [name, file] : validFiles()) {
        if (std::string(name) != "PNG" && std::string(name) != "JPEG") continue;
        SCOPED_TRACE(name);
        const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(file.size() * 6 / 10));
        RowReader reader(cut);
        const auto readAll = [&] {
            for (int y = 0; y < reader.height(); ++y) (void)reader.nextRow();
        };
        EXPECT_THROW(readAll(), ImageIOError);
        EXPECT_THROW((void)reader.nextRow(), ImageIOError);
    }
}

TEST(BadInputTest, CorruptOrForeignBytesAreRefused) {
    Bytes png = validFiles()[0].second;
    png[png.size() / 2] ^= 0x5A;  // inside the image data: its checksum fails
    const std::vector<std::pair<const char*, Bytes>> cases = {
        {"corrupt PNG data", png},
        {"empty", {}},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'}},
        {"PNG signature only", Bytes{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}},
        {"JPEG start only", Bytes{0xFF, 0xD8, 0xFF}},
        {"TIFF strip past the end", test::tiffWithStrip(8, 8, 1000000, 64)},
        {"TIFF strip running past the end", test::tiffWithStrip(16, 16, 100, 256)},
        {"GIF header only", Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0}},
        {"WebP header only", Bytes{'R', 'I', 'F', 'F', 4, 0, 0, 0, 'W', 'E', 'B', 'P'}},
    };
    for (const auto& [name, file] : cases) {
        SCOPED_TRACE(name);
        EXPECT_THROW((void)decode(file), ImageIOError);
    }
}

TEST(BadInputTest, DecodersPrintNothing) {
    ::testing::internal::CaptureStderr();
    ::testing::internal::CaptureStdout();
    for (auto [name, file] : validFiles()) {
        file.resize(file.size() * 6 / 10);
        try {
            (void)decode(file);
        } catch (const ImageIOError&) {
        }
    }
    try {
        (void)decode(test::tiffWithStrip(8, 8, 1000000, 64));
    } catch (const ImageIOError&) {
    }
    EXPECT_EQ(::testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

TEST(BadInputTest, AnimatedWebpOfManyFramesDecodesItsFirst) {
    std::vector<std::vector<std::uint8_t>> frames;
    for (int i = 0; i < 10000; ++i) frames.push_back(test::filled(4, 4, static_cast<std::uint8_t>(i), 0, 0));
    const RgbaImage image = decode(writers::writeWebpAnimation(4, 4, frames));
    EXPECT_EQ(image.pixels, test::filled(4, 4, 0, 0, 0));
}

TEST(BadInputTest, HeadersClaimingAHugeImageOverLittleDataCostLittleMemory) {
    if (test::addressSanitized()) GTEST_SKIP() << "the sanitizer's shadow memory does not fit a capped address space";
    // 20000 × 20000 is within the caps, so the header alone cannot refuse it; its 1.6 GB of
    // pixels must not be reserved before the data runs out.
    const std::vector<std::pair<const char*, Bytes>> bombs = {
        {"PNG", pngHeaderOnly(20000, 20000)},
        {"interlaced PNG", pngHeaderOnly(20000, 20000, true)},
        {"JPEG", jpegClaiming(20000, 20000)},
        {"TIFF", test::tiffWithStrip(20000, 20000, 122, 64)},  // the strip right after the directory
        {"GIF", gifFrameClaiming(20000, 20000)},
    };
    for (const auto& [name, file] : bombs) {
        SCOPED_TRACE(name);
        EXPECT_EQ(
            test::decodeOutcomeWithin(file, std::size_t{256} << 20, {.applyOrientation = true, .maxSideHint = 8192}),
            0);
    }
}

}  // namespace
}  // namespace image_io
