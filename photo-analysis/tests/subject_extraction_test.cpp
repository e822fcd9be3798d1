#include "photo_analysis/subject_extraction.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "failure_kind.hpp"
#include "mask/clean_up.hpp"
#include "photo_analysis/photo_analysis_error.hpp"

namespace photo_analysis {
namespace {

struct Rgba {
    std::uint8_t r, g, b, a;
};

// A photo filled with one colour, with rectangles painted over it.
struct Canvas {
    int width, height;
    std::vector<std::uint8_t> pixels;
    Canvas(int w, int h, Rgba fill) : width(w), height(h), pixels(static_cast<std::size_t>(w) * h * 4) {
        paint(0, 0, w, h, fill);
    }
    Canvas& paint(int x0, int y0, int w, int h, Rgba c) {
        for (int y = y0; y < y0 + h; ++y)
            for (int x = x0; x < x0 + w; ++x)
                std::memcpy(&pixels[(static_cast<std::size_t>(y) * width + x) * 4], &c, 4);
        return *this;
    }
    Photo photo() const { return Photo(width, height, pixels); }
};

constexpr Rgba white{255, 255, 255, 255};
constexpr Rgba black{0, 0, 0, 255};

TEST(BackgroundPath, UniformOrTransparentPhotoHasNoSubject) {
    for (Rgba fill : {white, Rgba{40, 90, 200, 255}, Rgba{0, 0, 0, 0}}) {
        const Photo photo = Canvas(30, 20, fill).photo();
        EXPECT_EQ(failureOf([&] { (void)SubjectExtraction::extractByBackground(photo, 12.0); }),
                  PhotoAnalysisError::Kind::noSubjectFound);
    }
}

TEST(BackgroundPath, EnclosedHoleStaysSubject) {
    const Photo photo = Canvas(20, 20, white).paint(4, 4, 12, 12, black).paint(8, 8, 4, 4, white).photo();
    const SubjectMask mask = SubjectExtraction::extractByBackground(photo, 12.0);
    EXPECT_EQ(mask.coverageAt(9, 9), 255);
    EXPECT_EQ(mask.coverageAt(2, 2), 0);
    EXPECT_EQ(mask.boundingBox(), (icon_geometry::Rect{4, 4, 12, 12}));
}

TEST(BackgroundPath, KeepsTheLargerOfTwoObjects) {
    // 500 and 400 pixels.
    const Photo photo = Canvas(80, 40, white).paint(2, 2, 25, 20, black).paint(40, 2, 20, 20, black).photo();
    const SubjectMask mask = SubjectExtraction::extractByBackground(photo, 12.0);
    EXPECT_EQ(mask.boundingBox(), (icon_geometry::Rect{2, 2, 25, 20}));
}

TEST(BackgroundPath, DistanceOfExactlyTheToleranceIsBackground) {
    // (3, 4, 0) from the white background is exactly 5 away.
    const Photo photo =
        Canvas(9, 9, white).paint(2, 2, 2, 2, Rgba{252, 251, 255, 255}).paint(6, 6, 1, 1, black).photo();
    const SubjectMask atTolerance = SubjectExtraction::extractByBackground(photo, 5.0);
    EXPECT_EQ(atTolerance.coverageAt(2, 2), 0);
    EXPECT_EQ(atTolerance.coverageAt(6, 6), 255);
    const SubjectMask below = SubjectExtraction::extractByBackground(photo, 4.999);
    EXPECT_EQ(below.boundingBox(), (icon_geometry::Rect{2, 2, 2, 2}));
}

TEST(BackgroundPath, BackgroundColourIsTheUpperMedianOfTheBorder) {
    // A 1 × 2 photo samples (top, bottom) for x, then (left, right) for each y: four
    // samples of black and four of white; the upper median picks white, so the
    // black pixel differs and is the subject.
    const Photo photo = Canvas(1, 2, white).paint(0, 0, 1, 1, black).photo();
    const SubjectMask mask = SubjectExtraction::extractByBackground(photo, 12.0);
    EXPECT_EQ(mask.coverage, (std::vector<std::uint8_t>{255, 0}));
}

TEST(BackgroundPath, TransparentPixelsReadAsWhite) {
    const Photo photo = Canvas(10, 10, Rgba{0, 0, 0, 0}).paint(3, 3, 3, 3, Rgba{0, 0, 128, 128}).photo();
    const SubjectMask mask = SubjectExtraction::extractByBackground(photo, 12.0);
    EXPECT_EQ(mask.boundingBox(), (icon_geometry::Rect{3, 3, 3, 3}));
}

TEST(CleanUp, KeepsTheLargestComponentAndTiesGoToTheFirst) {
    struct Case {
        const char* name;
        SubjectMask in;
        std::vector<std::uint8_t> out;
    };
    const std::vector<Case> cases = {
        {"larger wins", {5, 1, {255, 0, 200, 200, 0}}, {0, 0, 200, 200, 0}},
        {"tie goes to the first", {5, 1, {200, 200, 0, 255, 255}}, {200, 200, 0, 0, 0}},
        {"diagonal is not connected", {2, 2, {255, 0, 0, 255}}, {255, 0, 0, 0}},
        {"soft beside kept stays", {3, 1, {255, 100, 0}}, {255, 100, 0}},
        {"soft beside soft only goes", {4, 1, {255, 100, 50, 0}}, {255, 100, 0, 0}},
        {"soft beside a dropped component goes", {5, 1, {255, 255, 0, 60, 128}}, {255, 255, 0, 0, 0}},
        {"no inside pixel clears soft ones", {2, 1, {100, 20}}, {0, 0}},
    };
    for (const Case& c : cases) EXPECT_EQ(cleanedUp(c.in).coverage, c.out) << c.name;
}

TEST(CleanUp, LargeSnakeNeedsNoRecursion) {
    // A one-pixel serpentine path through a 600 × 600 mask: a deep fill.
    const int side = 600;
    SubjectMask mask{side, side, std::vector<std::uint8_t>(side * side, 0)};
    for (int y = 0; y < side; y += 2) {
        for (int x = 0; x < side; ++x) mask.coverage[y * side + x] = 255;
        if (y + 1 < side) mask.coverage[(y + 1) * side + ((y / 2) % 2 == 0 ? side - 1 : 0)] = 255;
    }
    mask.coverage[1 * side + 300] = 255;  // joins the path: still one component
    EXPECT_EQ(cleanedUp(mask), mask);
}

// The clean-up as plainly as it can be written: one label a pixel, each
// component grown depth first from its first pixel.
SubjectMask labelledByFill(SubjectMask mask) {
    constexpr std::uint32_t outside = 0xFFFFFFFFu;
    const std::size_t width = static_cast<std::size_t>(mask.width);
    const std::size_t height = static_cast<std::size_t>(mask.height);
    const std::size_t stride = width + 2;
    std::vector<std::uint8_t>& coverage = mask.coverage;

    // One 32-bit label per pixel.
    std::vector<std::uint32_t> labels(stride * (height + 2), outside);
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* row = coverage.data() + y * width;
        std::uint32_t* cells = labels.data() + (y + 1) * stride + 1;
        for (std::size_t x = 0; x < width; ++x)
            if (row[x] >= SubjectMask::insideThreshold) cells[x] = 0;
    }

    // Components grown depth first from an explicit stack, neighbours pushed
    // right, left, down, up.
    std::vector<std::uint32_t> stack;
    std::uint32_t next = 0, kept = 0;
    std::size_t keptSize = 0;
    const std::ptrdiff_t steps[4] = {1, -1, static_cast<std::ptrdiff_t>(stride), -static_cast<std::ptrdiff_t>(stride)};
    for (std::size_t y = 1; y <= height; ++y) {
        for (std::size_t start = y * stride + 1, end = y * stride + width + 1; start < end; ++start) {
            if (labels[start] != 0) continue;
            const std::uint32_t label = ++next;
            std::size_t size = 0;
            labels[start] = label;
            stack.push_back(static_cast<std::uint32_t>(start));
            while (!stack.empty()) {
                const std::size_t i = stack.back();
                stack.pop_back();
                ++size;
                for (const std::ptrdiff_t step : steps) {
                    const std::size_t j = i + static_cast<std::size_t>(step);
                    if (labels[j] == 0) {
                        labels[j] = label;
                        stack.push_back(static_cast<std::uint32_t>(j));
                    }
                }
            }
            if (size > keptSize) {
                keptSize = size;
                kept = label;
            }
        }
    }

    for (std::size_t y = 0; y < height; ++y) {
        std::uint8_t* row = coverage.data() + y * width;
        const std::uint32_t* cells = labels.data() + (y + 1) * stride + 1;
        for (std::size_t x = 0; x < width; ++x) {
            if (cells[x] != outside) {
                if (cells[x] != kept) row[x] = 0;
                continue;
            }
            if (row[x] == 0) continue;
            // A soft pixel stays only beside the kept component (the frame never is).
            const std::uint32_t* here = cells + x;
            const std::ptrdiff_t down = static_cast<std::ptrdiff_t>(stride);
            const bool besideKept =
                kept != 0 && (here[1] == kept || here[-1] == kept || here[down] == kept || here[-down] == kept);
            if (!besideKept) row[x] = 0;
        }
    }
    return mask;
}

TEST(CleanUp, MatchesAFillOneLabelAPixel) {
    std::mt19937 random(7);
    for (int round = 0; round < 300; ++round) {
        const int width = 1 + static_cast<int>(random() % 40), height = 1 + static_cast<int>(random() % 40);
        // Blobs of inside, soft and empty pixels at a few densities.
        const unsigned density = 20 + random() % 60;
        SubjectMask mask{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height)};
        for (std::uint8_t& c : mask.coverage) {
            const unsigned roll = random() % 100;
            c = roll < density ? 255 : roll < density + 10 ? static_cast<std::uint8_t>(1 + random() % 127) : 0;
        }
        EXPECT_EQ(cleanedUp(mask), labelledByFill(mask)) << width << " × " << height << ", round " << round;
    }
}

ProbabilityMap floatMap(int width, int height, std::size_t bytesPerRow, const std::vector<float>& values) {
    ProbabilityMap map{width, height, bytesPerRow, ProbabilityMap::Format::float32,
                       std::vector<std::uint8_t>(bytesPerRow * height, 0xEE)};
    for (int y = 0; y < height; ++y)
        std::memcpy(&map.bytes[y * bytesPerRow], &values[static_cast<std::size_t>(y) * width], width * 4);
    return map;
}

TEST(ForegroundBuffer, ValuesBecomeCoverage) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    struct Case {
        float value;
        std::uint8_t coverage;
    };
    // The first pixel carries the value; the rest of the 3 × 1 map is a solid subject
    // next to it, so soft values survive the clean-up.
    for (const Case c : {Case{0.5f, 127}, {1.0f, 255}, {1.7f, 255}, {nan, 255}, {-0.3f, 0}, {0.0f, 0}}) {
        const SubjectMask mask = SubjectExtraction::maskFromProbability(floatMap(3, 1, 16, {c.value, 1, 1}), 3, 1);
        EXPECT_EQ(mask.coverage[0], c.coverage) << c.value;
    }
}

TEST(ForegroundBuffer, BytesAndStridesAreRead) {
    ProbabilityMap map{3,
                       2,
                       5,
                       ProbabilityMap::Format::byte,
                       {0, 255, 128, 9, 9,  //
                        0, 255, 64, 9}};
    const SubjectMask mask = SubjectExtraction::maskFromProbability(map, 3, 2);
    EXPECT_EQ(mask.coverage, (std::vector<std::uint8_t>{0, 255, 128, 0, 255, 64}));
    const SubjectMask wide = SubjectExtraction::maskFromProbability(floatMap(2, 2, 12, {0, 1, 0.25f, 1}), 2, 2);
    EXPECT_EQ(wide.coverage, (std::vector<std::uint8_t>{0, 255, 63, 255}));
}

TEST(ForegroundBuffer, WrongSizeShortBufferOrEmptyMaskFindNoSubject) {
    const auto fails = [](const ProbabilityMap& map, int w, int h) {
        return failureOf([&] { (void)SubjectExtraction::maskFromProbability(map, w, h); });
    };
    const auto noSubject = PhotoAnalysisError::Kind::noSubjectFound;
    EXPECT_EQ(fails(floatMap(2, 2, 8, {1, 1, 1, 1}), 3, 2), noSubject);
    EXPECT_EQ(fails(ProbabilityMap{2, 2, 2, ProbabilityMap::Format::byte, {255, 255, 255}}, 2, 2), noSubject);
    EXPECT_EQ(fails(ProbabilityMap{2, 1, 1, ProbabilityMap::Format::byte, {255, 255}}, 2, 1), noSubject);
    EXPECT_EQ(fails(floatMap(2, 1, 8, {0.4f, 0.2f}), 2, 1), noSubject);
}

TEST(ForegroundPath, NoSegmenterAlwaysFails) {
    const Photo photo = Canvas(10, 10, white).paint(2, 2, 4, 4, black).photo();
    EXPECT_EQ(failureOf([&] { (void)SubjectExtraction::extractForeground(photo, NoSegmenter{}); }),
              PhotoAnalysisError::Kind::noSubjectFound);
}

}  // namespace
}  // namespace photo_analysis
