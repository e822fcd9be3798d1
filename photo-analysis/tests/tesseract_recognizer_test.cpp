#include "photo_analysis/tesseract_recognizer.hpp"

#include <cairo.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <memory>

using namespace photo_analysis;
using TextLines::Rectangle;

namespace {

constexpr int faceWidth = 1080;
constexpr int faceHeight = 720;

struct Label {
    const char* text;
    double size;
    double x;
    double baseline;
};

// A thermostat face: labels, two round buttons, an indicator light and a band
// of ribs, drawn with cairo; the labels' ink boxes are the ground truth.
struct RenderedFace {
    std::vector<std::uint8_t> rgba;
    std::vector<Rectangle> labels;
    std::vector<Rectangle> details;

    RgbaView view() const { return {faceWidth, faceHeight, rgba, true}; }
};

RenderedFace renderFace(bool withText) {
    RenderedFace face;
    std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)> surface(
        cairo_image_surface_create(CAIRO_FORMAT_ARGB32, faceWidth, faceHeight), cairo_surface_destroy);
    std::unique_ptr<cairo_t, decltype(&cairo_destroy)> context(cairo_create(surface.get()), cairo_destroy);
    cairo_t* cr = context.get();
    cairo_set_source_rgb(cr, 0.93, 0.93, 0.92);
    cairo_paint(cr);

    cairo_set_source_rgb(cr, 0.25, 0.25, 0.27);
    cairo_set_line_width(cr, 6);
    for (const double x : {300.0, 780.0}) {
        cairo_new_path(cr);
        cairo_arc(cr, x, 470, 70, 0, 2 * M_PI);
        cairo_stroke(cr);
        face.details.push_back({x - 73, 397, 146, 146});
    }
    cairo_set_source_rgb(cr, 0.1, 0.75, 0.2);
    cairo_new_path(cr);
    cairo_arc(cr, 540, 470, 14, 0, 2 * M_PI);
    cairo_fill(cr);
    face.details.push_back({526, 456, 28, 28});
    cairo_set_source_rgb(cr, 0.55, 0.55, 0.56);
    for (int i = 0; i < 6; ++i) {
        cairo_rectangle(cr, 200, 600 + i * 16, 680, 7);
    }
    cairo_fill(cr);
    face.details.push_back({200, 600, 680, 87});

    if (withText) {
        cairo_set_source_rgb(cr, 0.12, 0.12, 0.14);
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        for (const Label& label :
             {Label{"THERMOSTAT", 44, 360, 130}, Label{"Salon 21", 36, 450, 230}, Label{"MODE", 30, 740, 360}}) {
            cairo_set_font_size(cr, label.size);
            cairo_text_extents_t extents;
            cairo_text_extents(cr, label.text, &extents);
            cairo_move_to(cr, label.x, label.baseline);
            cairo_show_text(cr, label.text);
            face.labels.push_back(
                {label.x + extents.x_bearing, label.baseline + extents.y_bearing, extents.width, extents.height});
        }
    }
    cairo_surface_flush(surface.get());

    // cairo keeps premultiplied 0xAARRGGBB words; the view wants R, G, B, A bytes.
    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int y = 0; y < faceHeight; ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(data + static_cast<std::ptrdiff_t>(y) * stride);
        for (int x = 0; x < faceWidth; ++x) {
            const std::uint32_t p = row[x];
            face.rgba.insert(face.rgba.end(), {static_cast<std::uint8_t>(p >> 16), static_cast<std::uint8_t>(p >> 8),
                                               static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(p >> 24)});
        }
    }
    return face;
}

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
