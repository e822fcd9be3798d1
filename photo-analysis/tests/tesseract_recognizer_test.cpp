#include "photo_analysis/tesseract_recognizer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

#include "photo_analysis/feature_detection.hpp"
#include "photo_analysis/subject_extraction.hpp"
#include "recognizer_suite.hpp"
#include "test_photo/scene.hpp"
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

class TesseractRecognizerTest : public photo_analysis::testing::RecognizerSuite {};

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

TEST_F(TesseractRecognizerTest, WithTheLanguagesInstalledItIsAvailable) {
    EXPECT_TRUE(recognizer_->isAvailable());
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
    EXPECT_FALSE(recognizer->isAvailable());
    std::filesystem::remove(empty);
}

// The flat face of the library's test device, with a word among its LED,
// button ring, separator, ribs and pictograms.
TEST_F(TesseractRecognizerTest, ReadsTheWordOnTheTestDevicesFace) {
    test_photo::SceneOptions options;
    options.text = "MODE";
    const test_photo::Scene scene = test_photo::renderScene(options);
    const int w = scene.textureWidth;
    const int h = scene.textureHeight;
    const double aspect = options.faceWidthMm / options.faceHeightMm;
    // Face units (height 1, origin at the centre) to texture pixels.
    const auto toPixels = [&](icon_geometry::Vector2 centre, icon_geometry::Vector2 size) {
        return Rectangle{(centre.x - size.x / 2 + aspect / 2) * h, (centre.y - size.y / 2 + 0.5) * h, size.x * h,
                         size.y * h};
    };
    const std::vector<Rectangle> found =
        TextLines::recognize(*recognizer_, RgbaView{w, h, scene.faceTexture, true}, w, h);
    ASSERT_EQ(scene.textBoxesUnits.size(), 1u);
    const auto& box = scene.textBoxesUnits[0];
    const Rectangle word = toPixels({box.x + box.width / 2, box.y + box.height / 2}, {box.width, box.height});
    double best = 0;
    for (const Rectangle& r : found) best = std::max(best, intersectionOverUnion(grown(word), r));
    EXPECT_GE(best, 0.8);
    for (const test_photo::DetailTruth& detail : scene.details) {
        if (detail.kind == test_photo::DetailKind::text) continue;
        const Rectangle area = toPixels(detail.centreUnits, detail.sizeUnits);
        for (const Rectangle& r : found) {
            EXPECT_EQ(overlapArea(r, area), 0) << "text over detail " << static_cast<int>(detail.kind);
        }
    }
}

// A round indicator is one solid blob, which Tesseract can take for a letter
// (an "e", on this face as the background colour cuts it out): it stays a dot
// when the detection reads the face's text.
TEST_F(TesseractRecognizerTest, AnIndicatorLedIsNoLetter) {
    test_photo::SceneOptions options;
    options.faceWidthMm = 86;
    options.faceHeightMm = 86;
    options.depthMm = 30;
    options.details = {test_photo::DetailKind::led, test_photo::DetailKind::separator};
    const test_photo::Scene scene = test_photo::renderScene(options);
    const Photo photo = scene.photo();
    const SubjectMask mask = SubjectExtraction::extract(photo, NoSegmenter{});
    const std::optional<FeatureDetection::Face> face = FeatureDetection::face(photo, mask, std::nullopt, 1.0);
    ASSERT_TRUE(face);
    const FeatureDetection::Detection detection =
        FeatureDetection::detect(RgbaView::of(face->image), face->shape, {}, recognizer_.get());
    EXPECT_TRUE(std::any_of(detection.features.begin(), detection.features.end(),
                            [](const DetectedFeature& f) { return f.kind() == DetectedFeature::Kind::dot; }));
}
