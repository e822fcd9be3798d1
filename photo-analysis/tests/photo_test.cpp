#include "photo_analysis/photo.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "failure_kind.hpp"
#include "image_io/image.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "test_photo/image_files.hpp"

namespace photo_analysis {
namespace {

namespace fs = std::filesystem;

struct TempFolder {
    fs::path path;
    TempFolder() {
        std::string pattern = (fs::temp_directory_path() / "photo-test-XXXXXX").string();
        path = mkdtemp(pattern.data());
    }
    ~TempFolder() { fs::remove_all(path); }
};

// A 60 × 40 grey image with a red 12 × 8 marker in the top-left corner.
image_io::RgbaImage markedImage() {
    const int w = 60, h = 40;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(w) * h * 4, 128);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * w + x) * 4];
            p[3] = 255;
            if (x < 12 && y < 8) p[0] = 255, p[1] = 0, p[2] = 0;
        }
    }
    return test_photo::rgbaImage(w, h, std::move(pixels));
}

bool markerTopLeft(const Photo& photo) {
    if (photo.width() != 60 || photo.height() != 40) return false;
    const auto px = [&](int x, int y) { return photo.pixels().subspan((static_cast<std::size_t>(y) * 60 + x) * 4, 4); };
    const bool red = px(3, 3)[0] > 200 && px(3, 3)[1] < 60;
    const bool others = px(56, 3)[0] < 170 && px(3, 36)[0] < 170 && px(56, 36)[0] < 170;
    return red && others;
}

TEST(PhotoLoading, EveryOrientationLoadsUpright) {
    const image_io::RgbaImage upright = markedImage();
    TempFolder folder;
    for (int orientation = 1; orientation <= 8; ++orientation) {
        const image_io::RgbaImage stored = test_photo::storedForOrientation(upright, orientation);
        const fs::path jpeg = folder.path / ("o" + std::to_string(orientation) + ".jpg");
        test_photo::writeFile(jpeg, test_photo::encodeJpeg(stored, 95, orientation));
        EXPECT_TRUE(markerTopLeft(Photo::load(jpeg))) << "JPEG orientation " << orientation;
        const Photo png = Photo::decode(test_photo::encodePng(stored, orientation));
        EXPECT_TRUE(markerTopLeft(png)) << "PNG orientation " << orientation;
    }
}

TEST(PhotoLoading, HeicLoadsUprightWhenItCanBeWritten) {
    const std::optional<std::vector<std::uint8_t>> heic = test_photo::encodeHeic(markedImage());
    if (!heic) GTEST_SKIP() << "libheif has no encoder here";
    EXPECT_TRUE(markerTopLeft(Photo::decode(*heic)));
}

TEST(PhotoLoading, LongerSideShrinksToTheLimitShorterSideRounds) {
    struct Case {
        int width, height, fittedWidth, fittedHeight;
    };
    for (const Case c : {Case{12000, 6000, 8192, 4096},
                         {6000, 12000, 4096, 8192},
                         {100, 100, 100, 100},
                         {8192, 8192, 8192, 8192},
                         {8193, 3, 8192, 3},
                         {20000, 1, 8192, 1},
                         {16384, 3, 8192, 2}}) {
        const auto [w, h] = image_io::fittedSize(c.width, c.height, Photo::maxSide);
        EXPECT_EQ(w, c.fittedWidth) << c.width << " x " << c.height;
        EXPECT_EQ(h, c.fittedHeight) << c.width << " x " << c.height;
    }
}

TEST(PhotoLoading, WidePhotoIsShrunkByAreaSmallOneStays) {
    // 9000 × 200: black up to column 4501, white after; shrunk to 8192 × 182.
    std::vector<std::uint8_t> pixels(std::size_t{9000} * 200 * 4, 255);
    for (int y = 0; y < 200; ++y)
        for (int x = 0; x < 4501; ++x) std::fill_n(&pixels[(static_cast<std::size_t>(y) * 9000 + x) * 4], 3, 0);
    const Photo photo = Photo::decode(test_photo::encodePng(test_photo::rgbaImage(9000, 200, std::move(pixels))));
    ASSERT_EQ(photo.width(), 8192);
    ASSERT_EQ(photo.height(), 182);
    const auto red = [&](int x) { return photo.pixels()[(static_cast<std::size_t>(90) * 8192 + x) * 4]; };
    EXPECT_EQ(red(100), 0);
    EXPECT_EQ(red(8000), 255);
    EXPECT_GT(red(4096), 0);  // the boundary pixel averages both halves
    EXPECT_LT(red(4096), 255);

    const image_io::RgbaImage small =
        test_photo::rgbaImage(100, 100, std::vector<std::uint8_t>(std::size_t{100} * 100 * 4, 255));
    const Photo same = Photo::decode(test_photo::encodePng(small));
    EXPECT_EQ(same.width(), 100);
    EXPECT_EQ(same.height(), 100);
}

TEST(PhotoLoading, ImpossibleHeaderFailsAtOnce) {
    // A PNG that claims 100000 × 100000 pixels.
    std::vector<std::uint8_t> png = test_photo::encodePng(markedImage());
    for (int at : {16, 20}) {
        png[static_cast<std::size_t>(at)] = 0x00;
        png[static_cast<std::size_t>(at) + 1] = 0x01;
        png[static_cast<std::size_t>(at) + 2] = 0x86;
        png[static_cast<std::size_t>(at) + 3] = 0xA0;
    }
    EXPECT_EQ(failureOf([&] { (void)Photo::decode(png); }), PhotoAnalysisError::Kind::unreadableImage);
}

TEST(PhotoLoading, BadFilesAreUnreadable) {
    TempFolder folder;
    const fs::path fifo = folder.path / "fifo.jpg";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const fs::path dir = folder.path / "folder.jpg";
    fs::create_directory(dir);
    const fs::path zero = folder.path / "zero.jpg";
    fs::create_symlink("/dev/zero", zero);
    const fs::path truncated = folder.path / "truncated.jpg";
    std::vector<std::uint8_t> jpeg = test_photo::encodeJpeg(markedImage());
    jpeg.resize(jpeg.size() / 2);
    test_photo::writeFile(truncated, jpeg);
    const fs::path text = folder.path / "text.jpg";
    const std::string words = "not a photo at all";
    test_photo::writeFile(text, {reinterpret_cast<const std::uint8_t*>(words.data()), words.size()});
    const fs::path empty = folder.path / "empty.png";
    test_photo::writeFile(empty, {});

    for (const fs::path& path : {fifo, dir, zero, truncated, text, empty, folder.path / "missing.png"})
        EXPECT_EQ(failureOf([&] { (void)Photo::load(path); }), PhotoAnalysisError::Kind::unreadableImage) << path;
}

TEST(PhotoLoading, PixelsAreSharedByCopies) {
    const Photo photo = Photo::decode(test_photo::encodePng(markedImage()));
    const Photo copy = photo;
    EXPECT_EQ(copy.pixels().data(), photo.pixels().data());
    EXPECT_EQ(copy, photo);
    EXPECT_EQ(failureOf([] { Photo(2, 2, std::vector<std::uint8_t>(15)); }), PhotoAnalysisError::Kind::unreadableImage);
}

}  // namespace
}  // namespace photo_analysis
