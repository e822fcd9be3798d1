#include "photo_analysis/tesseract_recognizer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "thermostat_face.hpp"

using namespace photo_analysis;
using TextLines::Rectangle;

namespace {

using photo_analysis::testing::faceHeight;
using photo_analysis::testing::faceWidth;
using photo_analysis::testing::RenderedFace;
using photo_analysis::testing::renderFace;

Rectangle grown(const Rectangle& r) {
    return {r.x - 0.15 * r.height, r.y - 0.25 * r.height, r.width + 0.3 * r.height, 1.5 * r.height};
}

double overlapArea(const Rectangle& a, const Rectangle& b) {
    const double w = std::min(a.x + a.width, b.x + b.width) - std::max(a.x, b.x);
    const double h = std::min(a.y + a.height, b.y + b.height) - std::max(a.y, b.y);
    return w > 0 && h > 0 ? w * h : 0;
}

double intersectionOverUnion(const Rectangle& a, const Rectangle& b) {
    const double common = overlapArea(a, b);
    return common / (a.width * a.height + b.width * b.height - common);
}

class TesseractRecognizerTest : public ::testing::Test {
protected:
    // Loading the languages is the slow part: one recogniser for the suite.
    static void SetUpTestSuite() { recognizer_ = makeTesseractRecognizer().release(); }
    static void TearDownTestSuite() {
        delete recognizer_;
        recognizer_ = nullptr;
    }
    static TextRecognizer* recognizer_;
};

TextRecognizer* TesseractRecognizerTest::recognizer_ = nullptr;

}  // namespace

TEST_F(TesseractRecognizerTest, FindsTheLabelsOfAFaceAndNothingOverItsDetails) {
    const RenderedFace face = renderFace(true);
    const std::vector<Rectangle> found = TextLines::recognize(*recognizer_, face.view(), faceWidth, faceHeight);
    for (const Rectangle& label : face.labels) {
        double best = 0;
        for (const Rectangle& r : found) best = std::max(best, intersectionOverUnion(grown(label), r));
        EXPECT_GE(best, 0.8) << "label at " << label.x << "," << label.y;
    }
    for (const Rectangle& r : found) {
        for (const Rectangle& detail : face.details) {
            EXPECT_EQ(overlapArea(r, detail), 0)
                << "text at " << r.x << "," << r.y << " over a detail at " << detail.x << "," << detail.y;
        }
    }
}

TEST_F(TesseractRecognizerTest, RectanglesFollowTheWorkingSizeNotTheImageSize) {
    const RenderedFace face = renderFace(true);
    const std::vector<Rectangle> full = TextLines::recognize(*recognizer_, face.view(), faceWidth, faceHeight);
    const std::vector<Rectangle> half = TextLines::recognize(*recognizer_, face.view(), faceWidth / 2, faceHeight / 2);
    ASSERT_EQ(full.size(), half.size());
    for (std::size_t i = 0; i < full.size(); ++i) {
        EXPECT_NEAR(half[i].x * 2, full[i].x, 1e-9);
        EXPECT_NEAR(half[i].height * 2, full[i].height, 1e-9);
    }
}

TEST_F(TesseractRecognizerTest, FaceWithoutTextReadsNothing) {
    EXPECT_TRUE(TextLines::recognize(*recognizer_, renderFace(false).view(), faceWidth, faceHeight).empty());
}

TEST_F(TesseractRecognizerTest, ImagesWithoutPixelsReadNothing) {
    EXPECT_TRUE(recognizer_->recognizeLines({}).empty());
    const std::vector<std::uint8_t> short_(16, 255);
    EXPECT_TRUE(recognizer_->recognizeLines({10, 10, short_}).empty());
}

TEST(TesseractRecognizer, WithoutLanguageDataReadsNothing) {
    const std::filesystem::path empty = std::filesystem::temp_directory_path() / "glyphsmith-no-tessdata";
    std::filesystem::create_directories(empty);
    const auto recognizer = makeTesseractRecognizer(empty);
    const RenderedFace face = renderFace(true);
    EXPECT_TRUE(recognizer->recognizeLines(face.view()).empty());
    std::filesystem::remove(empty);
}
