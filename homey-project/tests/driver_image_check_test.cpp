#include "homey_project/driver_image_check.hpp"

#include <gtest/gtest.h>
#include <zlib.h>

#include "bytes.hpp"
#include "image_io/image.hpp"
#include "test_images.hpp"

namespace homey_project {
namespace {

using testing::pngOf;
using testing::Rgba;
using testing::uniformPng;

constexpr Rgba white{255, 255, 255, 255};

// An image of `side` with its ring white except `bad` ring pixels of `colour`.
std::string ringImage(int width, int height, int bad, Rgba colour) {
    std::vector<Rgba> pixels(static_cast<std::size_t>(width) * height, Rgba{20, 40, 60, 255});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (y == 0 || y == height - 1 || x == 0 || x == width - 1)
                pixels[static_cast<std::size_t>(y) * width + x] = white;
    for (int i = 0; i < bad; ++i) pixels[static_cast<std::size_t>(1 + i)] = colour;  // along the first row
    return pngOf(width, height, pixels);
}

std::vector<DriverImageIssue> checked(const std::string& bytes, DriverImageSize size) {
    const std::vector<DriverImageIssue> fromBytes = DriverImageCheck::checkImageData(asBytes(bytes), size);
    // The decoded image gives the same verdict as the streamed bytes.
    try {
        EXPECT_EQ(DriverImageCheck::check(image_io::decode(asBytes(bytes)), size), fromBytes);
        image_io::DecodeOptions straight;
        straight.alpha = image_io::AlphaMode::straight;
        EXPECT_EQ(DriverImageCheck::check(image_io::decode(asBytes(bytes), straight), size), fromBytes);
    } catch (const image_io::ImageIOError&) {
    }
    return fromBytes;
}

TEST(DriverImageCheck, BorderPixelsJudgedOnPremultipliedBytes) {
    struct Case {
        const char* name;
        Rgba colour;
        int count;
        std::optional<double> share;
    };
    // A 26 × 26 ring lists 100 pixels.
    const std::vector<Case> cases{
        {"near white is fine", {250, 250, 250, 255}, 40, std::nullopt},
        {"any colour fully transparent is fine", {255, 0, 0, 0}, 40, std::nullopt},
        {"one bad pixel: share exactly 0.01", {249, 255, 255, 255}, 1, std::nullopt},
        {"two bad pixels", {249, 255, 255, 255}, 2, 0.02},
        {"half-transparent white is not white", {255, 255, 255, 128}, 3, 0.03},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<DriverImageIssue> expected{DriverImageIssue::wrongSize(26, 26, 75)};
        if (c.share) expected.push_back(DriverImageIssue::backgroundNotWhite(*c.share));
        EXPECT_EQ(checked(ringImage(26, 26, c.count, c.colour), DriverImageSize::small), expected);
    }
}

TEST(DriverImageCheck, OnePixelRowsAndColumnsAreListedTwice) {
    const Rgba bad{0, 0, 0, 255};
    // 1 × 5: ring of 2 + 2 × 3 = 8 listings; an inner pixel is listed twice.
    std::vector<Rgba> column(5, white);
    column[2] = bad;
    EXPECT_EQ(checked(pngOf(1, 5, column), DriverImageSize::small),
              (std::vector{DriverImageIssue::wrongSize(1, 5, 75), DriverImageIssue::backgroundNotWhite(2.0 / 8)}));
    // 5 × 1: every pixel listed twice, 10 listings.
    std::vector<Rgba> row(5, white);
    row[0] = bad;
    EXPECT_EQ(checked(pngOf(5, 1, row), DriverImageSize::small),
              (std::vector{DriverImageIssue::wrongSize(5, 1, 75), DriverImageIssue::backgroundNotWhite(2.0 / 10)}));
}

TEST(DriverImageCheck, SizeTestKeepsTheBorderTest) {
    EXPECT_EQ(checked(uniformPng(500, 500, {0, 0, 0, 0}), DriverImageSize::large), std::vector<DriverImageIssue>{});
    EXPECT_EQ(checked(uniformPng(500, 500, {0, 0, 0, 255}), DriverImageSize::small),
              (std::vector{DriverImageIssue::wrongSize(500, 500, 75), DriverImageIssue::backgroundNotWhite(1.0)}));
    EXPECT_EQ(checked(uniformPng(75, 76, white), DriverImageSize::small),
              std::vector{DriverImageIssue::wrongSize(75, 76, 75)});
}

TEST(DriverImageCheck, ThousandPixelRingLimit) {
    // 3996 listings: 39 bad pixels stay under 0.01, 40 go over.
    EXPECT_EQ(checked(ringImage(1000, 1000, 39, {0, 0, 0, 255}), DriverImageSize::xlarge),
              std::vector<DriverImageIssue>{});
    EXPECT_EQ(checked(ringImage(1000, 1000, 40, {0, 0, 0, 255}), DriverImageSize::xlarge),
              std::vector{DriverImageIssue::backgroundNotWhite(40.0 / 3996)});
}

// A PNG signature and header chunk declaring any size, with a valid checksum.
std::string pngHeader(std::uint32_t width, std::uint32_t height) {
    std::string chunk = "IHDR";
    for (std::uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(static_cast<char>((v >> shift) & 0xFF));
    chunk += std::string("\x08\x06\x00\x00\x00", 5);
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(chunk.data()), static_cast<uInt>(chunk.size()));
    std::string png("\x89PNG\r\n\x1a\n\x00\x00\x00\x0d", 12);
    png += chunk;
    for (int shift = 24; shift >= 0; shift -= 8) png.push_back(static_cast<char>((crc >> shift) & 0xFF));
    return png;
}

TEST(DriverImageCheck, UnreadableBytes) {
    const std::string good = uniformPng(500, 500, white);
    struct Case {
        const char* name;
        std::string bytes;
        std::vector<DriverImageIssue> issues;
    };
    const std::vector<Case> cases{
        {"text", "not an image", {DriverImageIssue::unreadable()}},
        {"empty", "", {DriverImageIssue::unreadable()}},
        {"truncated pixels", good.substr(0, good.size() / 2), {DriverImageIssue::unreadable()}},
        {"bomb header",
         pngHeader(100000, 100000),
         {DriverImageIssue::wrongSize(100000, 100000, 500), DriverImageIssue::unreadable()}},
        {"header only, right size", pngHeader(500, 500), {DriverImageIssue::unreadable()}},
        // Named ".png", a JPEG is refused by the platform however white and square.
        {"a JPEG", testing::uniformJpeg(500, 500, white), {DriverImageIssue::wrongFormat()}},
        {"a JPEG of another size", testing::uniformJpeg(75, 75, white), {DriverImageIssue::wrongFormat()}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(DriverImageCheck::checkImageData(asBytes(c.bytes), DriverImageSize::large), c.issues);
    }
    image_io::RgbaImage shortPixels;
    shortPixels.width = 500;
    shortPixels.height = 500;
    shortPixels.pixels.resize(10);
    EXPECT_EQ(DriverImageCheck::check(shortPixels, DriverImageSize::small),
              (std::vector{DriverImageIssue::wrongSize(500, 500, 75), DriverImageIssue::unreadable()}));
}

}  // namespace
}  // namespace homey_project
