#include "photo_analysis/driver_image_renderer.hpp"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <limits>

#include "failure_kind.hpp"
#include "homey_project/driver_image_check.hpp"
#include "image_io/image.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/subject_extraction.hpp"
#include "test_photo/scene.hpp"

namespace photo_analysis {
namespace {

// A photo of one colour with a mask whose subject is the given box.
struct Subject {
    Photo photo;
    SubjectMask mask;
};

Subject boxSubject(int width, int height, int bx, int by, int bw, int bh, std::uint8_t grey = 40) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4, 255);
    SubjectMask mask{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, 0)};
    for (int y = by; y < by + bh; ++y) {
        for (int x = bx; x < bx + bw; ++x) {
            const std::size_t i = static_cast<std::size_t>(y) * width + x;
            std::memset(&pixels[i * 4], grey, 3);
            mask.coverage[i] = 255;
        }
    }
    return {Photo(width, height, std::move(pixels)), std::move(mask)};
}

// The smallest box of pixels darker than the limit (by default: not pure white).
icon_geometry::Rect inkBox(const RgbImage& image, int limit = 255) {
    int minX = image.width, minY = image.height, maxX = -1, maxY = -1;
    for (int y = 0; y < image.height; ++y) {
        for (int x = 0; x < image.width; ++x) {
            const std::uint8_t* p = &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
            if (p[0] >= limit && p[1] >= limit && p[2] >= limit) continue;
            minX = std::min(minX, x), minY = std::min(minY, y), maxX = std::max(maxX, x), maxY = std::max(maxY, y);
        }
    }
    return {double(minX), double(minY), double(maxX - minX + 1), double(maxY - minY + 1)};
}

const std::uint8_t* pixelAt(const RgbImage& image, int x, int y) {
    return &image.rgb[(static_cast<std::size_t>(y) * image.width + x) * 3];
}

TEST(DriverImageRenderer, SubjectFillsTheSquareLessTheMarginCentred) {
    const Subject s = boxSubject(4000, 3000, 700, 1100, 2000, 1000);
    const DriverImageRenderer::Rendering r = DriverImageRenderer{}.render(s.photo, s.mask, 1000);
    EXPECT_DOUBLE_EQ(r.upscale, 0.42);
    ASSERT_EQ(r.image.width, 1000);
    const icon_geometry::Rect box = inkBox(r.image);
    EXPECT_NEAR(box.x, 80, 1);
    EXPECT_NEAR(box.y, 290, 1);
    EXPECT_NEAR(box.width, 840, 1);
    EXPECT_NEAR(box.height, 420, 1);
    EXPECT_EQ(pixelAt(r.image, 500, 500)[0], 40);  // the subject's own colour in the middle
    EXPECT_EQ(pixelAt(r.image, 5, 5)[1], 255);
}

TEST(DriverImageRenderer, UpscaleIsTheScaleAndWarnsAboveTwo) {
    struct Case {
        int side;
        int boxWidth;
        double upscale;
        bool upscaled;
    };
    for (const Case c : {Case{1000, 100, 8.4, true}, {75, 100, 0.63, false}, {1000, 420, 2.0, false}}) {
        const Subject s = boxSubject(600, 300, 10, 20, c.boxWidth, 50);
        const DriverImageRenderer::Rendering r = DriverImageRenderer{}.render(s.photo, s.mask, c.side);
        EXPECT_NEAR(r.upscale, c.upscale, 1e-12) << c.side << " " << c.boxWidth;
        EXPECT_EQ(DriverImageRenderer::isUpscaled(r.upscale), c.upscaled) << c.side << " " << c.boxWidth;
        // The subject's edge is where it is half covered: the box's dark grey (40)
        // halfway to white.
        const icon_geometry::Rect box = inkBox(r.image, 147);
        EXPECT_NEAR(box.width, 0.84 * c.side, 1.5) << c.side << " " << c.boxWidth;
    }
    EXPECT_TRUE(DriverImageRenderer::isUpscaled(std::nextafter(2.0, 3.0)));
}

TEST(DriverImageRenderer, RefusesBadRequestsBeforeDrawing) {
    const Subject s = boxSubject(40, 30, 5, 5, 10, 10);
    const DriverImageRenderer renderer;
    const auto fails = [&](const DriverImageRenderer& r, const Photo& photo, const SubjectMask& mask, int side) {
        return failureOf([&] { (void)r.render(photo, mask, side); });
    };
    const auto renderingFailed = PhotoAnalysisError::Kind::renderingFailed;
    for (int side : {0, -5, 16385, std::numeric_limits<int>::max()})
        EXPECT_EQ(fails(renderer, s.photo, s.mask, side), renderingFailed) << side;
    for (double margin : {0.5, 0.7, std::numeric_limits<double>::quiet_NaN(), -std::numeric_limits<double>::infinity()})
        EXPECT_EQ(fails(DriverImageRenderer{margin}, s.photo, s.mask, 100), renderingFailed) << margin;

    const Subject other = boxSubject(30, 40, 5, 5, 10, 10);
    SubjectMask shortMask = s.mask;
    shortMask.coverage.pop_back();
    SubjectMask emptyMask = s.mask;
    std::fill(emptyMask.coverage.begin(), emptyMask.coverage.end(), 127);
    for (const SubjectMask* mask : std::initializer_list<const SubjectMask*>{&other.mask, &shortMask, &emptyMask})
        EXPECT_EQ(fails(renderer, s.photo, *mask, 100), renderingFailed);
}

TEST(DriverImageRenderer, TransparentSubjectPixelsAndBordersRenderWhite) {
    // A subject whose middle is fully transparent, and a column of half coverage.
    Subject s = boxSubject(20, 20, 2, 2, 16, 16, 0);
    std::vector<std::uint8_t> pixels(s.photo.pixels().begin(), s.photo.pixels().end());
    for (int y = 8; y < 12; ++y)
        for (int x = 8; x < 12; ++x) std::memset(&pixels[(static_cast<std::size_t>(y) * 20 + x) * 4], 0, 4);
    for (int y = 2; y < 18; ++y) s.mask.coverage[static_cast<std::size_t>(y) * 20 + 17] = 128;
    s.photo = Photo(20, 20, std::move(pixels));
    const DriverImageRenderer::Rendering r = DriverImageRenderer{0.0}.render(s.photo, s.mask, 16);
    EXPECT_DOUBLE_EQ(r.upscale, 1.0);
    const std::uint8_t* hole = pixelAt(r.image, 7, 7);
    EXPECT_EQ(hole[0], 255);
    EXPECT_EQ(pixelAt(r.image, 3, 3)[0], 0);
    EXPECT_NEAR(pixelAt(r.image, 15, 8)[0], 127, 1);  // half black over white
}

TEST(DriverImageRenderer, SceneRenderingsPassTheDriverImageCheck) {
    const DriverImageRenderer renderer;
    for (const test_photo::Background backdrop :
         {test_photo::Background::uniform, test_photo::Background::textured, test_photo::Background::vignette,
          test_photo::Background::transparent}) {
        test_photo::SceneOptions options;
        options.width = 400;
        options.height = 300;
        options.backdrop = backdrop;
        options.yawDegrees = 30;
        const test_photo::Scene scene = test_photo::renderScene(options);
        const Photo photo = scene.photo();
        for (homey_project::DriverImageSize size : homey_project::allDriverImageSizes) {
            const std::vector<std::uint8_t> png =
                DriverImageRenderer::pngData(renderer.render(photo, scene.truth, size).image);
            EXPECT_TRUE(homey_project::DriverImageCheck::checkImageData(png, size).empty())
                << static_cast<int>(backdrop) << " " << rawValue(size);
            EXPECT_EQ(image_io::decode(png).width, rawValue(size));
            if (backdrop == test_photo::Background::uniform) {  // the same bytes every time
                EXPECT_EQ(png, DriverImageRenderer::pngData(renderer.render(photo, scene.truth, size).image));
            }
        }
    }
}

TEST(DriverImageRenderer, ShrinkingFarDoesNotAlias) {
    // A fine black-and-white stripe pattern shrunk about a hundredfold renders as
    // an even grey, not as stray stripes.
    const int side = 8000;
    const int height = 1600;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(side) * height * 4, 255);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < side; x += 2) std::memset(&pixels[(static_cast<std::size_t>(y) * side + x) * 4], 0, 3);
    const Photo photo(side, height, std::move(pixels));
    const SubjectMask mask{side, height, std::vector<std::uint8_t>(static_cast<std::size_t>(side) * height, 255)};
    const DriverImageRenderer::Rendering r = DriverImageRenderer{}.render(photo, mask, 75);
    for (int x = 8; x < 67; ++x) EXPECT_NEAR(pixelAt(r.image, x, 37)[0], 128, 2) << x;
}

TEST(DriverImageRenderer, PngDataRefusesMalformedImages) {
    EXPECT_EQ(failureOf([] { (void)DriverImageRenderer::pngData(RgbImage{}); }),
              PhotoAnalysisError::Kind::renderingFailed);
    EXPECT_EQ(failureOf([] {
                  (void)DriverImageRenderer::pngData(RgbImage{2, 2, std::vector<std::uint8_t>(11)});
              }),
              PhotoAnalysisError::Kind::renderingFailed);
}

}  // namespace
}  // namespace photo_analysis
