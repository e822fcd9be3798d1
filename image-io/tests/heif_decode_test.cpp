#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string_view>

#include "image_io/image.hpp"
#include "test_images.hpp"

namespace image_io {
namespace {

using test::Bytes;

// Where the payload of the n-th box of `type` starts (the files written here hold the name
// nowhere else).
std::size_t payloadOf(const Bytes& file, std::string_view type, int nth = 0) {
    for (std::size_t at = 4; at + 4 <= file.size(); ++at) {
        if (std::memcmp(file.data() + at, type.data(), 4) == 0 && nth-- == 0) return at + 4;
    }
    ADD_FAILURE() << "no box " << type;
    return 0;
}

void putBig(Bytes& file, std::size_t at, std::uint32_t value, int octets) {
    for (int i = 0; i < octets; ++i) file[at + i] = static_cast<std::uint8_t>(value >> (8 * (octets - 1 - i)));
}

// Rewrites the n-th image size property.
void declareSize(Bytes& file, int nth, std::uint32_t width, std::uint32_t height) {
    const std::size_t at = payloadOf(file, "ispe", nth) + 4;
    putBig(file, at, width, 4);
    putBig(file, at + 4, height, 4);
}

std::optional<Bytes> heic(int width, int height, int orientation = 1, int bitDepth = 8) {
    return writers::writeHeic(width, height, test::rgbOf(writers::photoLike(width, height)), orientation, bitDepth);
}

TEST(HeifDecodeTest, PrimaryImageDecodes) {
    const std::vector<std::uint8_t> rgba = test::filled(64, 48, 200, 120, 40);
    const std::optional<Bytes> file = writers::writeHeic(64, 48, test::rgbOf(rgba));
    if (!file) GTEST_SKIP() << "libheif has no HEVC encoder here";
    EXPECT_EQ(readHeader(*file), (ImageHeader{64, 48, ImageFormat::heif}));
    EXPECT_TRUE(test::pixelsNear(decode(*file).pixels, rgba, 6));
}

TEST(HeifDecodeTest, LargerFileDecodes) {
    const std::optional<Bytes> file = heic(512, 384);
    if (!file) GTEST_SKIP() << "libheif has no HEVC encoder here";
    ASSERT_GT(file->size(), 16384u);  // the coded data well past the first boxes
    EXPECT_EQ(readHeader(*file), (ImageHeader{512, 384, ImageFormat::heif}));
    const RgbaImage image = decode(*file);
    EXPECT_EQ(image.width, 512);
    EXPECT_EQ(image.height, 384);
}

TEST(HeifDecodeTest, GridOfAnotherSizeThanTheImageIsRefusedBeforeDecoding) {
    std::optional<Bytes> file = heic(48, 32);  // written as a grid of one 64 × 64 tile
    if (!file) GTEST_SKIP() << "libheif has no HEVC encoder here";
    ASSERT_EQ(decode(*file).width, 48);
    const std::size_t grid = payloadOf(*file, "idat") + 4;
    putBig(*file, grid, 30000, 2);
    putBig(*file, grid + 2, 17000, 2);
    EXPECT_EQ(test::refusalOf([&] { (void)readHeader(*file); }), ImageErrorKind::damaged);
    EXPECT_EQ(test::refusalOf([&] { (void)decode(*file); }), ImageErrorKind::damaged);
}

TEST(HeifDecodeTest, SmallFileClaimsFewerPixelsThanOtherFormats) {
    std::optional<Bytes> file = heic(48, 32);
    if (!file) GTEST_SKIP() << "libheif has no HEVC encoder here";
    // 3 Mpx from 2 KB: within what a PNG or JPEG of that size may claim, not a HEVC image.
    declareSize(*file, 1, 2000, 1500);
    const std::size_t grid = payloadOf(*file, "idat") + 4;
    putBig(*file, grid, 2000, 2);
    putBig(*file, grid + 2, 1500, 2);
    const std::optional<ImageIOError> error = test::errorOf([&] { (void)readHeader(*file); });
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->kind(), ImageErrorKind::tooLarge);
    EXPECT_EQ(error->declaredSize(), (ImageSize{2000, 1500}));
}

TEST(HeifDecodeTest, CodedPictureLargerThanItsImageIsRefusedBeforeDecoding) {
    std::optional<Bytes> file = heic(256, 192);
    if (!file) GTEST_SKIP() << "libheif has no HEVC encoder here";
    declareSize(*file, 0, 128, 96);
    EXPECT_EQ(test::refusalOf([&] { (void)readHeader(*file); }), ImageErrorKind::damaged);
    EXPECT_EQ(test::refusalOf([&] { (void)decode(*file); }), ImageErrorKind::damaged);
    // A grid's tile: its own stream against its own size.
    std::optional<Bytes> grid = heic(48, 32);
    declareSize(*grid, 0, 32, 32);
    EXPECT_TRUE(test::refusalOf([&] { (void)decode(*grid); }).has_value());
}

TEST(HeifDecodeTest, ImageDecodedAtAnotherSizeThanDeclaredIsRefused) {
    std::optional<Bytes> file = heic(64, 64);
    if (!file) GTEST_SKIP() << "libheif has no HEVC encoder here";
    declareSize(*file, 0, 40, 40);
    EXPECT_EQ(test::refusalOf([&] { (void)decode(*file); }), ImageErrorKind::damaged);
    EXPECT_EQ(test::refusalOf([&] { RowReader reader(*file); }), ImageErrorKind::damaged);
}

TEST(HeifDecodeTest, DamagedPictureDataIsRefusedAndNeverDecodedDifferently) {
    const std::optional<Bytes> single = heic(32, 24);
    if (!single) GTEST_SKIP() << "libheif has no HEVC encoder here";
    const std::optional<Bytes> grid = heic(24, 20, 1);  // one 64 × 64 tile
    const std::optional<Bytes> other = writers::writeHeic(32, 24, test::rgbOf(test::filled(32, 24, 250, 30, 200)));
    int refused = 0;
    for (const Bytes& good : {*single, *grid}) {
        const std::size_t data = payloadOf(good, "mdat");
        for (std::size_t at = data + 40; at + 4 < good.size(); at += 23) {
            Bytes file = good;
            for (int i = 0; i < 4; ++i) file[at + i] ^= 0xA5;
            SCOPED_TRACE(at);
            // In a process of its own, on memory fresh from the system (the sanitizer's shadow
            // memory does not fit a capped address space)...
            const int fresh = test::addressSanitized() ? -1 : test::decodeOutcomeWithin(file, std::size_t{1} << 30, {});
            std::optional<RgbaImage> first;
            std::optional<RgbaImage> second;
            try {
                first = decode(file);
            } catch (const ImageIOError&) {
            }
            // ...and here, on memory another image has just been decoded into.
            (void)decode(*other);
            try {
                second = decode(file);
            } catch (const ImageIOError&) {
            }
            EXPECT_EQ(first, second);
            if (fresh >= 0) EXPECT_EQ(fresh, first ? 1 : 0);
            refused += first ? 0 : 1;
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(HeifDecodeTest, AvifIsRefusedByItsBrand) {
    std::optional<Bytes> file = heic(32, 24);
    if (!file) GTEST_SKIP() << "libheif has no HEVC encoder here";
    std::memcpy(file->data() + 8, "avif", 4);
    EXPECT_EQ(sniffFormat(*file), ImageFormat::heif);
    EXPECT_EQ(test::refusalOf([&] { (void)decode(*file); }), ImageErrorKind::unsupported);
}

TEST(HeifDecodeTest, TenBitImageIsMirroredAndTurned) {
    for (const int orientation : {2, 4, 5, 7}) {
        SCOPED_TRACE(orientation);
        const std::optional<Bytes> deep = heic(64, 48, orientation, 10);
        const std::optional<Bytes> shallow = heic(64, 48, orientation, 8);
        if (!deep || !shallow) GTEST_SKIP() << "libheif has no 10-bit HEVC encoder here";
        const RgbaImage turned = decode(*deep, {.applyOrientation = true});
        const RgbaImage expected = decode(*shallow, {.applyOrientation = true});
        EXPECT_EQ(turned.width, expected.width);
        EXPECT_TRUE(test::pixelsNear(turned.pixels, expected.pixels, 40));
    }
}

}  // namespace
}  // namespace image_io
