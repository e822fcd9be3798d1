#include "icon_geometry/icon_drawing.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <gs_test/golden.hpp>
#include <limits>
#include <numbers>
#include <sstream>

#include "decoding.hpp"
#include "drawing/ink_region.hpp"
#include "icon_geometry/face_detail.hpp"
#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/raster.hpp"
#include "icon_geometry/svg_document.hpp"
#include "icon_geometry/svg_validator.hpp"
#include "icon_geometry/svg_writer.hpp"
using namespace icon_geometry;

namespace {

using std::numbers::pi;

const std::string header =
    "<svg width=\"960\" height=\"960\" viewBox=\"0 0 960 960\" xmlns=\"http://www.w3.org/2000/svg\">\n"
    "<g fill=\"#000000\" fill-rule=\"evenodd\">\n";
const std::string footer = "</g>\n</svg>\n";

BezierPath square(double x0, double y0, double x1, double y1) {
    return FaceShape::roundedRectanglePath(x1 - x0, y1 - y0, 0).translated((x0 + x1) * 0.5, (y0 + y1) * 0.5);
}

BezierPath line(Vector2 from, Vector2 to) {
    return Pictogram::linePath(from, to);
}

BezierPath joined(BezierPath a, const BezierPath& b) {
    a.subpaths.insert(a.subpaths.end(), b.subpaths.begin(), b.subpaths.end());
    return a;
}

// The canvas pixels inked by the outlines, each filled on its own by the
// even-odd rule as the icon document fills its path elements.
struct Ink {
    std::vector<std::uint8_t> pixels;
    static Ink of(const std::vector<BezierPath>& paths) { return {rasterizeEvenOdd(paths, 960)}; }
    bool at(double x, double y) const {
        return pixels.at(static_cast<std::size_t>(y) * 960 + static_cast<std::size_t>(x)) != 0;
    }
    std::size_t count() const { return static_cast<std::size_t>(std::count(pixels.begin(), pixels.end(), 255)); }
};

void expectGolden(const std::string& name, const std::string& actual) {
    gs_test::expectMatchesGolden(std::filesystem::path(GS_GOLDEN_DIR) / "drawings" / name, actual);
}

// A face's details drawn on the canvas: face millimetres scaled about the canvas centre.
std::vector<IconElement> onCanvas(const std::vector<FaceDetail>& details, double scale) {
    const AffineTransform toCanvas = AffineTransform::translation(480, 480).scaledBy(scale, scale);
    std::vector<IconElement> result;
    for (const FaceDetail& d : details)
        for (const IconElement& e : d.geometry(scale)) result.push_back(e.applying(toCanvas));
    return result;
}

IconDrawing panelDrawing() {
    const double scale = 6;
    std::vector<IconElement> elements{IconElement::stroke(
        FaceShape::roundedRectangle(840, 840, 120).outline().translated(480, 480), StrokeWeight::outer())};
    const auto details = onCanvas(
        {
            FaceDetail::screen({0, -35}, 90, 40, 6),
            FaceDetail::button(FaceShape::capsule(22, 12), {-35, 10}, DetailStyle::automatic),
            FaceDetail::button(FaceShape::capsule(22, 12), {0, 10}, DetailStyle::automatic),
            FaceDetail::button(FaceShape::ellipse(6, 6), {35, 10}, DetailStyle::automatic),
            FaceDetail::indicator({45, -58}, 2, DetailStyle::fill),
            FaceDetail::dotGrid({-38, 42}, 5, 5, 3.5, 1.6, true, DetailStyle::fill),
            FaceDetail::slot({10, 40}, {50, 40}, 5),
            FaceDetail::socketHoles({30, 55}, 16, 4, true),
            FaceDetail::separator({-55, 27}, {55, 27}),
            FaceDetail::pictogram(Pictogram::power, {-35, 10}, 8),
            // A notch cut into the outline drawn before it.
            FaceDetail::imported(FaceShape::ellipsePath(5, 5).translated(0, -70), DetailStyle::hole),
        },
        scale);
    elements.insert(elements.end(), details.begin(), details.end());
    return IconDrawing{{IconBody{elements, std::nullopt}}};
}

IconDrawing occlusionDrawing() {
    const BezierPath box = square(80, 200, 620, 880);
    const BezierPath disc = FaceShape::ellipsePath(420, 420).translated(620, 420);
    const BezierPath knob = FaceShape::roundedRectanglePath(160, 160, 40).translated(760, 160);
    return IconDrawing{{
        IconBody{{IconElement::stroke(box, StrokeWeight::outer()),
                  IconElement::stroke(line({80, 540}, {620, 540}), StrokeWeight::inner())},
                 box},
        IconBody{{IconElement::stroke(disc, StrokeWeight::outer()),
                  IconElement::fill(FaceShape::ellipsePath(120, 120).translated(620, 420))},
                 disc},
        IconBody{{IconElement::fill(knob), IconElement::hole(FaceShape::ellipsePath(60, 60).translated(760, 160))},
                 knob},
    }};
}

IconDrawing pictogramDrawing() {
    IconDrawing drawing;
    for (std::size_t i = 0; i < Pictogram::allCases.size(); ++i) {
        const Vector2 c{120 + 240 * static_cast<double>(i % 4), 120 + 240 * static_cast<double>(i / 4)};
        drawing.bodies.push_back(IconBody{Pictogram(Pictogram::allCases[i]).elements(c, 160, 1), std::nullopt});
    }
    return drawing;
}

// What a golden document must mean, whatever its bytes: the validator accepts it,
// and reading it back gives one path per visible body inking the same pixels.
void expectSound(const IconDrawing& drawing, const std::string& svg) {
    const std::vector<BezierPath> outlines = drawing.path();
    EXPECT_TRUE(svg.starts_with(header));
    EXPECT_TRUE(svg.ends_with(footer));
    EXPECT_TRUE(SVGValidator::validateText(svg).errors().empty());
    const std::vector<BezierPath> readBack = SVGDocument::parse(svg).drawablePaths();
    ASSERT_EQ(readBack.size(), outlines.size());
    const Ink written = Ink::of(readBack);
    const Ink drawn = Ink::of(outlines);
    std::size_t differing = 0;
    for (std::size_t i = 0; i < written.pixels.size(); ++i) differing += written.pixels[i] != drawn.pixels[i];
    EXPECT_LT(differing, drawn.count() / 100) << "tenths rounding moves edges by at most 0.05 units";
}

}  // namespace

TEST(DrawingJSON, FormsAndRoundTrips) {
    EXPECT_EQ(json::encode(StrokeWeight::custom(12)), json::parse(R"({"custom":{"_0":12}})"));
    EXPECT_EQ(json::encode(StrokeWeight::outer()), json::parse(R"({"outer":{}})"));
    EXPECT_EQ(json::decode<StrokeWeight>(R"({"inner":{}})"), StrokeWeight::inner());

    const BezierPath path = square(0, 0, 10, 10);
    const IconDrawing drawing{{
        IconBody{
            {IconElement::stroke(path, StrokeWeight::custom(7.5)), IconElement::fill(path), IconElement::hole(path)},
            std::nullopt},
        IconBody{{}, path},
    }};
    const std::string text = json::write(json::encode(drawing));
    EXPECT_EQ(json::decode<IconDrawing>(text), drawing);
    EXPECT_EQ(text.find("occluder"), text.rfind("occluder")) << "an absent occluder is left out";
    EXPECT_EQ(json::decode<IconBody>(R"({"elements":[],"occluder":null})"), IconBody{});
    EXPECT_EQ(decodingFailure<StrokeWeight>(R"({"outer":{},"inner":{}})").debugDescription, json::invalidNumberOfKeys);
}

TEST(BodyInk, ElementsCombineInOrder) {
    const BezierPath outer = square(100, 100, 500, 500);
    const BezierPath middle = square(200, 200, 400, 400);
    const BezierPath dot = square(280, 280, 320, 320);
    struct Case {
        const char* name;
        std::vector<IconElement> elements;
        std::vector<Vector2> inked;
        std::vector<Vector2> clear;
    };
    for (const Case& c : std::vector<Case>{
             {"a hole cuts the fill before it",
              {IconElement::fill(outer), IconElement::hole(middle)},
              {{150, 150}},
              {{300, 300}}},
             {"a hole before any ink does nothing",
              {IconElement::hole(middle), IconElement::fill(outer)},
              {{150, 150}, {300, 300}},
              {}},
             {"a fill after a hole fills it back",
              {IconElement::fill(outer), IconElement::hole(middle), IconElement::fill(dot)},
              {{150, 150}, {300, 300}},
              {{250, 250}}},
             {"nested subpaths fill only the band between them",
              {IconElement::fill(joined(outer, middle))},
              {{150, 150}},
              {{300, 300}, {50, 50}}},
             {"a later stroke is drawn over a hole",
              {IconElement::fill(outer), IconElement::hole(middle),
               IconElement::stroke(line({300, 150}, {300, 450}), StrokeWeight::inner())},
              {{300, 300}, {309, 250}},
              {{250, 300}, {311, 250}}},
         }) {
        const Region ink = inkRegion(IconBody{c.elements, std::nullopt});
        for (const Vector2 p : c.inked) EXPECT_TRUE(ink.contains(p)) << c.name << " at " << p.x << ", " << p.y;
        for (const Vector2 p : c.clear) EXPECT_FALSE(ink.contains(p)) << c.name << " at " << p.x << ", " << p.y;
    }
}

TEST(BodyInk, StrokesAreRoundPensOfTheirWeight) {
    const BezierPath segment = line({100, 100}, {300, 100});
    const Region outer = inkRegion(IconBody{{IconElement::stroke(segment, StrokeWeight::outer())}, std::nullopt});
    EXPECT_NEAR(outer.area(), 200 * 40 + pi * 20 * 20, (200 * 40 + pi * 20 * 20) * 0.01);
    EXPECT_TRUE(outer.contains({200, 119}));
    EXPECT_FALSE(outer.contains({200, 121}));
    EXPECT_TRUE(outer.contains({81, 100}));   // round cap
    EXPECT_FALSE(outer.contains({82, 118}));  // beyond the cap's arc
    const Region inner = inkRegion(IconBody{{IconElement::stroke(segment, StrokeWeight::inner())}, std::nullopt});
    EXPECT_TRUE(inner.contains({200, 109}));
    EXPECT_FALSE(inner.contains({200, 111}));

    // A corner is rounded too: the pen reaches 20 units from the vertex, not further.
    const BezierPath corner = Pictogram::polylinePath({{0, 0}, {1, 0}, {1, 1}}, {100, 100}, 200);
    const Region turned = inkRegion(IconBody{{IconElement::stroke(corner, StrokeWeight::outer())}, std::nullopt});
    EXPECT_TRUE(turned.contains({310, 90}));
    EXPECT_FALSE(turned.contains({317, 83}));
}

TEST(BodyInk, CustomWidthsThatAreNotPositiveAndFiniteGiveNoInk) {
    const BezierPath segment = line({100, 100}, {300, 100});
    const double inf = std::numeric_limits<double>::infinity();
    for (const double width : {0.0, -5.0, std::nan(""), inf, -inf}) {
        const IconBody body{{IconElement::stroke(segment, StrokeWeight::custom(width))}, std::nullopt};
        EXPECT_TRUE(inkRegion(body).isEmpty()) << width;
        EXPECT_TRUE(IconDrawing{{body}}.path().empty()) << width;
    }
    const IconBody thin{{IconElement::stroke(segment, StrokeWeight::custom(6))}, std::nullopt};
    EXPECT_TRUE(inkRegion(thin).contains({200, 102.9}));
    EXPECT_FALSE(inkRegion(thin).contains({200, 103.1}));
}

TEST(BodyInk, BodiesWithoutInkContributeNoPath) {
    const BezierPath hole = square(0, 0, 100, 100);
    for (const IconBody& body : {IconBody{}, IconBody{{IconElement::hole(hole), IconElement::hole(hole)}, std::nullopt},
                                 IconBody{{IconElement::fill({})}, std::nullopt}}) {
        EXPECT_TRUE(inkRegion(body).isEmpty());
        EXPECT_TRUE(inkRegion(body).outline().isEmpty());
        EXPECT_TRUE(IconDrawing{{body}}.path().empty());
    }
}

TEST(DrawingOcclusion, NearerBodiesCutWhatTheyHide) {
    const BezierPath back = square(100, 100, 500, 500);
    const BezierPath front = square(300, 300, 700, 700);
    const IconDrawing drawing{{IconBody{{IconElement::fill(back)}, back}, IconBody{{IconElement::fill(front)}, front}}};
    const auto outlines = drawing.path();
    ASSERT_EQ(outlines.size(), 2u);
    const Ink hidden = Ink::of({outlines[0]});
    EXPECT_TRUE(hidden.at(200, 200));
    EXPECT_FALSE(hidden.at(400, 400));
    const Ink shown = Ink::of({outlines[1]});
    EXPECT_TRUE(shown.at(400, 400));
    EXPECT_TRUE(shown.at(600, 600));

    // The last body's occluder, and a body's own occluder, cut nothing.
    const IconDrawing alone{{IconBody{{IconElement::fill(back)}, back}}};
    const IconDrawing plain{{IconBody{{IconElement::fill(back)}, std::nullopt}}};
    EXPECT_EQ(alone.path(), plain.path());
    // An occluder hides only bodies before it, never those after it.
    const IconDrawing reversed{
        {IconBody{{IconElement::fill(front)}, std::nullopt}, IconBody{{IconElement::fill(back)}, std::nullopt}}};
    EXPECT_TRUE(Ink::of({reversed.path()[0]}).at(400, 400));
}

TEST(DrawingOcclusion, CoveredBodiesAndCrumbsDisappear) {
    const BezierPath small = square(400, 400, 450, 450);
    const BezierPath big = square(100, 100, 800, 800);
    const IconDrawing covered{{IconBody{{IconElement::fill(small)}, small},
                               IconBody{{IconElement::stroke(line({0, 0}, {10, 10}), StrokeWeight::inner())}, big}}};
    const auto outlines = covered.path();
    ASSERT_EQ(outlines.size(), 1u);
    EXPECT_TRUE(covered.visibleOutline(0).isEmpty());
    EXPECT_EQ(outlines[0], covered.visibleOutline(1));

    // Pieces under 3 units in both directions are dropped; a thin long one stays.
    const IconDrawing crumbs{{IconBody{
        {IconElement::fill(square(10, 10, 12, 12)), IconElement::fill(square(100, 100, 200, 101))}, std::nullopt}}};
    const auto kept = crumbs.path();
    ASSERT_EQ(kept.size(), 1u);
    ASSERT_EQ(kept[0].subpaths.size(), 1u);
    EXPECT_GE(kept[0].bounds().minX(), 99);
    const IconDrawing crumb{{IconBody{{IconElement::fill(square(10, 10, 12, 12))}, std::nullopt}}};
    EXPECT_TRUE(crumb.path().empty());
}

TEST(DrawingOcclusion, EachBodysOutlineMatchesTheWholeDrawing) {
    const IconDrawing drawing = occlusionDrawing();
    const auto outlines = drawing.path();
    ASSERT_EQ(outlines.size(), drawing.bodies.size());
    for (std::size_t i = 0; i < outlines.size(); ++i) EXPECT_EQ(drawing.visibleOutline(i), outlines[i]) << i;
    EXPECT_TRUE(drawing.visibleOutline(drawing.bodies.size()).subpaths.empty());
}

TEST(DrawingDocument, PanelGolden) {
    const IconDrawing drawing = panelDrawing();
    const std::string svg = SVGWriter::drawingDocument(drawing);
    expectGolden("panel.svg", svg);
    expectSound(drawing, svg);
    const Ink ink = Ink::of(drawing.path());
    EXPECT_TRUE(ink.at(380, 60 - 15));  // the outer outline, 40 wide about y = 60
    EXPECT_FALSE(ink.at(480, 120));     // inside the face
    EXPECT_FALSE(ink.at(480, 60));      // the notch in the outline
    EXPECT_TRUE(ink.at(480 + 40, 60));
    EXPECT_TRUE(ink.at(480 + 45 * 6, 480 - 58 * 6));  // the indicator, enlarged and filled
}

TEST(DrawingDocument, OcclusionGolden) {
    const IconDrawing drawing = occlusionDrawing();
    const std::string svg = SVGWriter::drawingDocument(drawing);
    expectGolden("occlusion.svg", svg);
    expectSound(drawing, svg);
    const Ink ink = Ink::of(drawing.path());
    EXPECT_TRUE(ink.at(300, 540));   // the back box's inner line where nothing hides it
    EXPECT_FALSE(ink.at(500, 540));  // the same line behind the disc
    EXPECT_TRUE(ink.at(620, 420));   // the disc's filled centre
    EXPECT_FALSE(ink.at(760, 160));  // the knob's hole
    EXPECT_TRUE(ink.at(620, 700));   // the back box's right edge below the disc
    EXPECT_FALSE(ink.at(620, 300));  // the same edge behind the disc
}

TEST(DrawingDocument, PictogramsGolden) {
    const IconDrawing drawing = pictogramDrawing();
    const std::string svg = SVGWriter::drawingDocument(drawing);
    expectGolden("pictograms.svg", svg);
    expectSound(drawing, svg);
    EXPECT_EQ(drawing.path().size(), Pictogram::allCases.size());
}
