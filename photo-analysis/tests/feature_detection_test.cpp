#include "photo_analysis/feature_detection.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <limits>
#include <random>

#include "detection/detail_detection.hpp"
#include "drawn_face.hpp"

namespace photo_analysis {
namespace {

using icon_geometry::FaceDetail;
using icon_geometry::FaceShape;
using icon_geometry::Vector2;
using testing::DrawnFace;

constexpr int W = 1080;
constexpr int H = 720;
constexpr double nan = std::numeric_limits<double>::quiet_NaN();

FeatureDetection::Options withoutText() {
    FeatureDetection::Options options;
    options.excludesText = false;
    return options;
}

std::vector<DetectedFeature> detectOn(const DrawnFace& face, const FeatureDetection::Options& options = withoutText(),
                                      TextRecognizer* recognizer = nullptr) {
    return FeatureDetection::detect(face.view(), std::nullopt, options, recognizer).features;
}

// Face units of the 1080 × 720 face to its pixels.
Vector2 pixels(Vector2 units) {
    return {(units.x + 0.75) * H, (units.y + 0.5) * H};
}

class CountingRecognizer final : public TextRecognizer {
public:
    int calls = 0;
    bool available = true;
    std::vector<Line> lines;
    std::vector<Line> recognizeLines(const RgbaView&) override {
        ++calls;
        return lines;
    }
    bool isAvailable() const override { return available; }
};

TEST(DetailDetection, WithoutAShapeTheFaceIsTheImageLessTheMarginBand) {
    const DrawnFace face = testing::drawFace(W, H, [](cairo_t*) {});
    const auto working = detail_detection::workingFace(face.view(), std::nullopt, withoutText());
    ASSERT_TRUE(working);
    ASSERT_EQ(working->width, W);
    const auto inner = [&](int x, int y) { return bool(working->inner[static_cast<std::size_t>(y) * W + x]); };
    // 43.2 pixels: distance x + 1 must exceed it.
    for (const auto& [x, y, expected] : std::vector<std::tuple<int, int, bool>>{{42, 360, false},
                                                                                {43, 360, true},
                                                                                {1036, 360, true},
                                                                                {1037, 360, false},
                                                                                {540, 42, false},
                                                                                {540, 43, true},
                                                                                {540, 676, true},
                                                                                {540, 677, false}}) {
        EXPECT_EQ(inner(x, y), expected) << x << "," << y;
    }
}

TEST(DetailDetection, MarksNeedTheSmallestSizeAndHalfItsSquareInPixels) {
    // The defaults at H = 720: m = 12.96 pixels, so 13 pixels long and
    // ⌊12.96² / 2⌋ = 83 pixels at least.
    const double m = FeatureDetection::Options{}.minimumMarkSize * H;
    struct Case {
        int w, h, extra;  // a w × h block and `extra` pixels of the next row
        bool kept;
    };
    for (const Case c : {Case{13, 6, 5, true}, Case{13, 6, 4, false}, Case{12, 8, 0, false}, Case{7, 13, 0, true}}) {
        std::vector<bool> mask(100 * 100, false);
        for (int y = 10; y < 10 + c.h; ++y)
            for (int x = 10; x < 10 + c.w; ++x) mask[static_cast<std::size_t>(y) * 100 + x] = true;
        for (int x = 10; x < 10 + c.extra; ++x) mask[static_cast<std::size_t>(10 + c.h) * 100 + x] = true;
        EXPECT_EQ(detail_detection::marks(mask, 100, 100, m)->size(), c.kept ? 1u : 0u)
            << c.w << " x " << c.h << " + " << c.extra;
    }
}

TEST(DetailDetection, AUniformNoisyFaceGivesNothing) {
    DrawnFace face = testing::drawFace(W, H, [](cairo_t*) {});
    std::mt19937 random(7);
    std::normal_distribution<double> noise(0, 2);
    for (std::size_t i = 0; i < face.rgba.size(); ++i) {
        if (i % 4 == 3) continue;
        face.rgba[i] = static_cast<std::uint8_t>(std::clamp(std::lround(face.rgba[i] + noise(random)), 0L, 255L));
    }
    EXPECT_TRUE(detectOn(face).empty());
}

TEST(DetailDetection, SolidRoundMarksAreDotsUpToSevenHundredthsOfTheHeight) {
    for (const auto& [diameter, kind] :
         std::vector<std::pair<double, DetectedFeature::Kind>>{{30, DetectedFeature::Kind::dot},
                                                               {48, DetectedFeature::Kind::dot},
                                                               {56, DetectedFeature::Kind::outline}}) {
        const DrawnFace face = testing::drawFace(W, H, [d = diameter](cairo_t* cr) {
            cairo_set_source_rgb(cr, 0.2, 0.6, 0.3);
            cairo_arc(cr, 400, 300, d / 2, 0, 2 * M_PI);
            cairo_fill(cr);
        });
        const auto found = detectOn(face);
        ASSERT_EQ(found.size(), 1u) << diameter;
        EXPECT_EQ(found[0].kind(), kind) << diameter;
        if (const auto* dot = std::get_if<DetectedFeature::Dot>(&found[0].value)) {
            EXPECT_NEAR(pixels(dot->center).x, 400, 0.5);
            EXPECT_NEAR(pixels(dot->center).y, 300, 0.5);
            EXPECT_NEAR(dot->diameter * H, diameter, 0.06 * diameter);
        }
        if (const auto* outline = std::get_if<DetectedFeature::Outline>(&found[0].value)) {
            EXPECT_FALSE(outline->shape);
        }
    }
}

TEST(DetailDetection, ARoundRingGetsItsShapeOnTheMiddleOfItsLine) {
    const DrawnFace face = testing::drawFace(W, H, [](cairo_t* cr) {
        cairo_set_source_rgb(cr, 0.25, 0.25, 0.27);
        cairo_set_line_width(cr, 6);
        cairo_arc(cr, 500, 380, 70, 0, 2 * M_PI);
        cairo_stroke(cr);
    });
    const auto found = detectOn(face);
    ASSERT_EQ(found.size(), 1u);
    const auto* outline = std::get_if<DetectedFeature::Outline>(&found[0].value);
    ASSERT_TRUE(outline);
    ASSERT_TRUE(outline->shape);
    const auto box = outline->shape->outline().bounds();
    EXPECT_NEAR(box.width * H, 140, 2);
    EXPECT_NEAR(box.height * H, 140, 2);
    EXPECT_NEAR(pixels(outline->center).x, 500, 1);
    EXPECT_NEAR(pixels(outline->center).y, 380, 1);
}

TEST(DetailDetection, ATurnedSquareRingTracedOnItsOuterEdgeHasNoShape) {
    const DrawnFace face = testing::drawFace(W, H, [](cairo_t* cr) {
        cairo_set_source_rgb(cr, 0.25, 0.25, 0.27);
        cairo_translate(cr, 500, 380);
        cairo_rotate(cr, 15 * M_PI / 180);
        cairo_set_line_width(cr, 8);
        cairo_rectangle(cr, -50, -50, 100, 100);
        cairo_stroke(cr);
    });
    const auto found = detectOn(face);
    ASSERT_EQ(found.size(), 1u);
    const auto* outline = std::get_if<DetectedFeature::Outline>(&found[0].value);
    ASSERT_TRUE(outline);
    EXPECT_FALSE(outline->shape);
    EXPECT_NEAR(pixels(outline->center).x, 500, 1);
}

TEST(DetailDetection, TwoFacingBarsAreOneButtonAndNotClassifiedAgain) {
    const DrawnFace face = testing::drawFace(W, H, [](cairo_t* cr) {
        cairo_set_source_rgb(cr, 0.3, 0.3, 0.32);
        cairo_rectangle(cr, 400, 300, 60, 6);
        cairo_rectangle(cr, 400, 340, 60, 6);
        cairo_fill(cr);
    });
    const auto found = detectOn(face);
    ASSERT_EQ(found.size(), 1u);
    const auto* outline = std::get_if<DetectedFeature::Outline>(&found[0].value);
    ASSERT_TRUE(outline);
    ASSERT_TRUE(outline->shape);
    EXPECT_TRUE(std::holds_alternative<FaceShape::RoundedRectangle>(outline->shape->value));
    EXPECT_NEAR(pixels(outline->center).x, 430, 0.5);
    EXPECT_NEAR(pixels(outline->center).y, 323, 0.5);
}

TEST(DetailDetection, APictogramsMarksAreNotClassifiedAgain) {
    const DrawnFace face = testing::drawFace(W, H, [](cairo_t* cr) {
        cairo_set_source_rgb(cr, 0.3, 0.3, 0.32);
        cairo_set_line_width(cr, 6);
        cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        for (const auto& path : icon_geometry::Pictogram(icon_geometry::Pictogram::sun).contours({500, 350}, 60)) {
            for (const auto& sub : path.subpaths) {
                cairo_move_to(cr, sub.start.x, sub.start.y);
                for (const auto& s : sub.segments) {
                    if (const auto* c = s.asCubic()) {
                        cairo_curve_to(cr, c->control1.x, c->control1.y, c->control2.x, c->control2.y, c->to.x,
                                       c->to.y);
                    } else {
                        cairo_line_to(cr, s.end().x, s.end().y);
                    }
                }
                if (sub.isClosed) cairo_close_path(cr);
            }
        }
        cairo_stroke(cr);
    });
    const auto found = detectOn(face);
    ASSERT_EQ(found.size(), 1u);
    const auto* mark = std::get_if<DetectedFeature::Pictogram>(&found[0].value);
    ASSERT_TRUE(mark) << static_cast<int>(found[0].kind());
    EXPECT_EQ(mark->pictogram, icon_geometry::Pictogram::sun);
    EXPECT_NEAR(pixels(mark->center).x, 500, 2);
}

DrawnFace wordFace() {
    return testing::drawFace(W, H, [](cairo_t* cr) {
        cairo_set_source_rgb(cr, 0.12, 0.12, 0.14);
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 36);
        cairo_move_to(cr, 400, 300);
        cairo_show_text(cr, "MODE");
    });
}

TEST(DetailDetection, WithoutTextExclusionNoRecognitionRunsYetRowsOfLettersGo) {
    CountingRecognizer recognizer;
    EXPECT_TRUE(detectOn(wordFace(), withoutText(), &recognizer).empty());
    EXPECT_EQ(recognizer.calls, 0);
    FeatureDetection::Options options;
    EXPECT_TRUE(detectOn(wordFace(), options, &recognizer).empty());
    EXPECT_EQ(recognizer.calls, 1);
}

TEST(DetailDetection, MarksUnderRecognisedTextAreDropped) {
    const DrawnFace face = testing::drawFace(W, H, [](cairo_t* cr) {
        cairo_set_source_rgb(cr, 0.12, 0.12, 0.14);
        cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_BOLD);
        cairo_set_font_size(cr, 40);
        cairo_move_to(cr, 400, 300);
        cairo_show_text(cr, "ON");
    });
    CountingRecognizer recognizer;
    FeatureDetection::Options options;
    EXPECT_FALSE(detectOn(face, options, &recognizer).empty());
    // The two letters, read: a box about them in fractions of the image.
    recognizer.lines = {{400.0 / W, 268.0 / H, 62.0 / W, 32.0 / H, 0.9f, "ON"}};
    EXPECT_TRUE(detectOn(face, options, &recognizer).empty());
}

TEST(DetailDetection, ARecogniserWithoutLanguagesIsAFaultOfTheInstallationNotAFaceWithoutDetails) {
    const DrawnFace face = testing::drawFace(W, H, [](cairo_t* cr) {
        cairo_set_source_rgb(cr, 0.12, 0.12, 0.14);
        cairo_arc(cr, 540, 360, 20, 0, 2 * M_PI);
        cairo_fill(cr);
    });
    CountingRecognizer recognizer;
    recognizer.available = false;
    const FeatureDetection::Detection detection =
        FeatureDetection::detect(face.view(), std::nullopt, FeatureDetection::Options{}, &recognizer);
    EXPECT_EQ(detection.status, FeatureDetection::Status::textRecognitionUnavailable);
    EXPECT_TRUE(detection.features.empty());
    EXPECT_EQ(recognizer.calls, 0);
    // Without text exclusion the recogniser is not needed, and the dot is found.
    const FeatureDetection::Detection without =
        FeatureDetection::detect(face.view(), std::nullopt, withoutText(), &recognizer);
    EXPECT_EQ(without.status, FeatureDetection::Status::complete);
    EXPECT_EQ(without.features.size(), 1u);
}

TEST(DetailDetection, AnImageThatCannotBeConvertedSaysSo) {
    const std::vector<std::uint8_t> shortBuffer(16, 255);
    for (const RgbaView& view : {RgbaView{}, RgbaView{W, H, shortBuffer}, RgbaView{20000, 20000, shortBuffer}}) {
        const FeatureDetection::Detection detection =
            FeatureDetection::detect(view, std::nullopt, withoutText(), nullptr);
        EXPECT_EQ(detection.status, FeatureDetection::Status::unreadableImage) << view.width;
        EXPECT_TRUE(detection.features.empty());
    }
    const DrawnFace plain = testing::drawFace(W, H, [](cairo_t*) {});
    EXPECT_EQ(FeatureDetection::detect(plain.view(), std::nullopt, withoutText(), nullptr).status,
              FeatureDetection::Status::complete);
}

TEST(DetailDetection, MoreMarksThanAFaceHoldsAreDroppedAndSaidToBeTooMany) {
    // 20,001 single-pixel marks on a grid of every other pixel.
    const int side = 300;
    std::vector<bool> mask(static_cast<std::size_t>(side) * side, false);
    int placed = 0;
    for (int y = 0; y < side && placed <= 20000; y += 2) {
        for (int x = 0; x < side && placed <= 20000; x += 2, ++placed)
            mask[static_cast<std::size_t>(y) * side + x] = true;
    }
    ASSERT_EQ(placed, 20001);
    EXPECT_FALSE(detail_detection::marks(mask, side, side, 1).has_value());
    mask[0] = false;
    ASSERT_TRUE(detail_detection::marks(mask, side, side, 1).has_value());
    EXPECT_EQ(detail_detection::marks(mask, side, side, 1)->size(), 20000u);
}

TEST(DetailDetection, BadInputGivesAnEmptyOrBoundedResult) {
    const DrawnFace small = testing::drawFace(64, 48, [](cairo_t* cr) {
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        cairo_arc(cr, 32, 24, 6, 0, 2 * M_PI);
        cairo_fill(cr);
    });
    const std::vector<std::uint8_t> onePixel{10, 20, 30, 255};
    const std::vector<std::uint8_t> transparent(static_cast<std::size_t>(W) * H * 4, 0);
    const auto run = [](const RgbaView& view, const std::optional<FaceShape>& shape,
                        const FeatureDetection::Options& options) {
        return FeatureDetection::detect(view, shape, options, nullptr).features;
    };
    EXPECT_TRUE(run({1, 1, onePixel}, std::nullopt, withoutText()).empty());
    EXPECT_TRUE(run({W, H, transparent}, std::nullopt, withoutText()).empty());
    EXPECT_TRUE(run({W, H, {}}, std::nullopt, withoutText()).empty());
    EXPECT_TRUE(run(small.view(), FaceShape::roundedRectangle(0, 0, 0), withoutText()).empty());
    EXPECT_TRUE(run(small.view(), FaceShape::roundedRectangle(nan, 1, 0), withoutText()).empty());
    EXPECT_TRUE(run(small.view(), FaceShape::ellipse(INFINITY, INFINITY), withoutText()).size() <= 1);

    struct Case {
        const char* what;
        void (*change)(FeatureDetection::Options&);
    };
    for (const Case c : std::vector<Case>{
             {"working height past the cap", [](auto& o) { o.workingHeight = INT_MAX; }},
             {"negative working height", [](auto& o) { o.workingHeight = -5; }},
             {"margin NaN", [](auto& o) { o.margin = nan; }},
             {"negative margin", [](auto& o) { o.margin = -1; }},
             {"huge margin", [](auto& o) { o.margin = 1e300; }},
             {"background radius NaN", [](auto& o) { o.backgroundRadius = nan; }},
             {"huge background radius", [](auto& o) { o.backgroundRadius = 1e300; }},
             {"contrast NaN", [](auto& o) { o.minimumContrast = nan; }},
             {"negative contrast", [](auto& o) { o.minimumContrast = -1e9; }},
             {"region contrast NaN", [](auto& o) { o.regionContrast = nan; }},
             {"negative region contrast", [](auto& o) { o.regionContrast = -1; }},
             {"region share NaN", [](auto& o) { o.minimumRegionShare = nan; }},
             {"mark size NaN", [](auto& o) { o.minimumMarkSize = nan; }},
             {"negative mark size", [](auto& o) { o.minimumMarkSize = -1; }},
             {"huge mark size", [](auto& o) { o.minimumMarkSize = 1e300; }},
             {"dot size NaN", [](auto& o) { o.dotMaximumSize = nan; }},
         }) {
        FeatureDetection::Options options = withoutText();
        options.workingHeight = 48;
        c.change(options);
        const auto found = run(small.view(), std::nullopt, options);
        EXPECT_LE(found.size(), 64u) << c.what;
        for (const DetectedFeature& f : found) EXPECT_TRUE(detail_detection::isFinite(f)) << c.what;
    }
}

TEST(DetailDetection, AWorkingHeightBelowSixteenCountsAsSixteen) {
    const DrawnFace face = testing::drawFace(48, 32, [](cairo_t* cr) {
        cairo_set_source_rgb(cr, 0.2, 0.2, 0.2);
        cairo_arc(cr, 24, 16, 3, 0, 2 * M_PI);
        cairo_fill(cr);
    });
    FeatureDetection::Options options = withoutText();
    options.margin = 0.1;
    options.minimumMarkSize = 0.15;
    options.workingHeight = 16;
    const auto atSixteen = detectOn(face, options);
    ASSERT_EQ(atSixteen.size(), 1u);
    for (const int height : {15, 1, 0, -20}) {
        options.workingHeight = height;
        EXPECT_EQ(detectOn(face, options), atSixteen) << height;
    }
}

TEST(DetailDetection, FeaturesCarryingNumbersThatAreNotFiniteAreDropped) {
    const auto path = FaceShape::ellipsePath(0.1, 0.1);
    const auto broken = path.mapPoints([](Vector2 p) { return Vector2{p.x, p.y > 0 ? nan : p.y}; });
    struct Case {
        const char* what;
        DetectedFeature feature;
        bool finite;
    };
    for (const Case& c : std::vector<Case>{
             {"dot", {DetectedFeature::Dot{{0.1, 0.2}, 0.05}}, true},
             {"dot with a NaN centre", {DetectedFeature::Dot{{nan, 0.2}, 0.05}}, false},
             {"dot with an infinite diameter", {DetectedFeature::Dot{{0, 0}, INFINITY}}, false},
             {"stroke", {DetectedFeature::Stroke{path}}, true},
             {"stroke through NaN", {DetectedFeature::Stroke{broken}}, false},
             {"boundary through NaN", {DetectedFeature::Boundary{broken}}, false},
             {"outline with a NaN centre", {DetectedFeature::Outline{path, std::nullopt, {0, nan}}}, false},
             {"outline with an infinite shape",
              {DetectedFeature::Outline{path, FaceShape::ellipse(INFINITY, 1), {0, 0}}},
              false},
             {"pictogram of NaN size", {DetectedFeature::Pictogram{icon_geometry::Pictogram::sun, {0, 0}, nan}}, false},
         }) {
        EXPECT_EQ(detail_detection::isFinite(c.feature), c.finite) << c.what;
    }
}

TEST(FaceDetails, EachCaseInMillimetres) {
    // A 120 × 80 mm face of aspect 1.5: sx = sy = s = 80.
    const auto path = icon_geometry::Pictogram::linePath({0, 0}, {0.1, 0.05});
    const auto shape = FaceShape::ellipse(0.2, 0.1);
    const std::vector<DetectedFeature> features{
        {DetectedFeature::Dot{{0.1, -0.2}, 0.05}},
        {DetectedFeature::Outline{path, shape, {0.2, 0.1}}},
        {DetectedFeature::Outline{path, std::nullopt, {0.2, 0.1}}},
        {DetectedFeature::Stroke{path}},
        {DetectedFeature::Boundary{path}},
        {DetectedFeature::Pictogram{icon_geometry::Pictogram::wifi, {-0.3, 0.25}, 0.1}},
    };
    const auto inMm = path.mapPoints([](Vector2 p) { return p * 80.0; });
    const std::vector<FaceDetail> expected{
        FaceDetail::indicator({8, -16}, 4, icon_geometry::DetailStyle::fill),
        FaceDetail::button(shape.scaled(80, 80), {16, 8}, icon_geometry::DetailStyle::stroke),
        FaceDetail::imported(inMm, icon_geometry::DetailStyle::stroke),
        FaceDetail::imported(inMm, icon_geometry::DetailStyle::stroke),
        FaceDetail::imported(inMm, icon_geometry::DetailStyle::stroke),
        FaceDetail::pictogram(icon_geometry::Pictogram::wifi, {-24, 20}, 8),
    };
    EXPECT_EQ(FeatureDetection::faceDetails(features, 120, 80, 1.5), expected);
    EXPECT_TRUE(FeatureDetection::faceDetails({}, 120, 80, 1.5).empty());
}

TEST(FaceDetails, AnAspectOfZeroCountsAsOneBillionth) {
    const std::vector<DetectedFeature> dot{{DetectedFeature::Dot{{0.1, -0.2}, 0.05}}};
    for (const double aspect : {0.0, -3.0, 1e-12}) {
        const auto details = FeatureDetection::faceDetails(dot, 120, 80, aspect);
        ASSERT_EQ(details.size(), 1u);
        const auto& indicator = std::get<FaceDetail::Indicator>(details[0].value);
        EXPECT_DOUBLE_EQ(indicator.center.x, 0.1 * 120 / 1e-9) << aspect;
        EXPECT_DOUBLE_EQ(indicator.center.y, -16) << aspect;
    }
}

TEST(DetectedFeaturePaths, ADotIsItsCircleAndAPictogramItsContours) {
    const DetectedFeature dot{DetectedFeature::Dot{{0.1, -0.2}, 0.04}};
    const auto paths = dot.paths();
    ASSERT_EQ(paths.size(), 1u);
    const auto box = paths[0].bounds();
    EXPECT_NEAR(box.minX(), 0.08, 1e-12);
    EXPECT_NEAR(box.maxX(), 0.12, 1e-12);
    EXPECT_NEAR(box.minY(), -0.22, 1e-12);
    EXPECT_NEAR(box.maxY(), -0.18, 1e-12);
    const icon_geometry::Pictogram sun(icon_geometry::Pictogram::sun);
    EXPECT_EQ((DetectedFeature{DetectedFeature::Pictogram{sun, {0.1, 0.1}, 0.2}}.paths()),
              sun.contours({0.1, 0.1}, 0.2));
    const auto line = icon_geometry::Pictogram::linePath({0, 0}, {0.1, 0});
    EXPECT_EQ(DetectedFeature{DetectedFeature::Stroke{line}}.paths(), std::vector{line});
}

}  // namespace
}  // namespace photo_analysis
