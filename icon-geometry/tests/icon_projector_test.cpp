#include "projection/icon_projector.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <gs_test/golden.hpp>
#include <numbers>

#include "icon_geometry/icon_svg.hpp"
#include "icon_geometry/model_template.hpp"
#include "icon_geometry/svg_document.hpp"
#include "icon_geometry/svg_validator.hpp"
#include "icon_geometry/svg_writer.hpp"
#include "platform/platform_path.hpp"

using namespace icon_geometry;

namespace {

using std::numbers::pi;

IconModel box(double width, double height, double depth, std::optional<double> bevel = std::nullopt) {
    ExtrudedBody body;
    body.face = FaceShape::roundedRectangle(width, height, 0);
    body.depth = depth;
    body.bevel = bevel;
    return IconModel::withSingleBody(body);
}

std::size_t countOf(const std::vector<IconElement>& elements, std::size_t caseIndex) {
    return static_cast<std::size_t>(std::count_if(elements.begin(), elements.end(),
                                                  [&](const IconElement& e) { return e.caseIndex() == caseIndex; }));
}

Rect inkBounds(const std::string& svg) {
    Rect bounds = Rect::null();
    for (const BezierPath& path : SVGDocument::parse(svg).drawablePaths()) bounds = bounds.united(path.bounds());
    return bounds;
}

// What every icon document must mean: the platform's canvas, one colour, only
// M, L, C and Z, and ink reaching two opposite edges of the fitted square.
void expectConformingIcon(const std::string& svg) {
    const ValidationReport report = SVGValidator::validateText(svg);
    EXPECT_TRUE(report.issues.empty()) << svg.substr(0, 300);
    for (const char c : svg.substr(svg.find("<path"))) {
        if (std::isalpha(static_cast<unsigned char>(c)) &&
            std::string_view("MLCZpathdg/svg").find(c) == std::string_view::npos)
            ADD_FAILURE() << "unexpected letter " << c;
    }
    // Read back, the document draws the same paths, to the writer's tenths.
    const std::vector<BezierPath> read = SVGDocument::parse(svg).drawablePaths();
    EXPECT_FALSE(read.empty());
    EXPECT_EQ(SVGWriter::document(read), svg);
    const Rect ink = inkBounds(svg);
    ASSERT_FALSE(ink.isNull());
    const bool acrossX = ink.minX() <= 10.5 && ink.maxX() >= 949.5;
    const bool acrossY = ink.minY() <= 10.5 && ink.maxY() >= 949.5;
    EXPECT_TRUE(acrossX || acrossY) << ink.minX() << " " << ink.minY() << " " << ink.maxX() << " " << ink.maxY();
    EXPECT_GE(ink.minX(), 0);
    EXPECT_GE(ink.minY(), 0);
    EXPECT_LE(ink.maxX(), 960);
    EXPECT_LE(ink.maxY(), 960);
}

}  // namespace

TEST(IconProjector, AModelWithoutPartsDrawsNothing) {
    const IconModel empty;
    EXPECT_TRUE(iconDrawing(empty, Camera{}).bodies.empty());
    EXPECT_EQ(iconSvg(empty, Camera{}), SVGWriter::document({}));
}

TEST(IconProjector, AModelThatMeasuresNothingDrawsNothing) {
    // A face of zero size and a face without any outline: no infinity reaches the document.
    ExtrudedBody flat;
    flat.face = FaceShape::ellipse(0, 0);
    EXPECT_TRUE(iconDrawing(IconModel::withSingleBody(flat), Camera{}).bodies.empty());
    ExtrudedBody noOutline;
    noOutline.face = FaceShape::roundedPolygon({}, 2);
    IconModel model = IconModel::withSingleBody(noOutline);
    EXPECT_TRUE(iconDrawing(model, Camera{}).bodies.empty());
    // Next to a real body, the empty face is skipped.
    model.parts.push_back(box(40, 40, 10).parts.front());
    EXPECT_EQ(iconDrawing(model, Camera{}).bodies.size(), 1u);
    const RevolvedBody point = RevolvedBody::cylinder(0, 0, 0, RevolvedAxis::vertical, {});
    EXPECT_TRUE(iconDrawing(IconModel({BodyPart{Solid::revolved(point), {}, 0}}), Camera{}).bodies.empty());
}

TEST(IconProjector, ABoxSeenFromTheDefaultCamera) {
    // A 100 × 60 face, 20 deep: the silhouette is the hull of the eight projected
    // corners, fitted so that its larger side spans 30 to 930.
    const IconModel model = box(100, 60, 20);
    const auto bodies = iconDrawing(model, Camera{}).bodies;
    ASSERT_EQ(bodies.size(), 1u);
    const double diagonal = std::hypot(100.0, 60.0);
    const PerspectiveProjection projection(Camera{}, diagonal);
    Rect projected = Rect::null();
    for (const double x : {-50.0, 50.0})
        for (const double y : {-30.0, 30.0})
            for (const double z : {0.0, 20.0}) {
                const Vector2 p = projection.projectPoint({x, y, z});
                projected = projected.united({p.x, p.y, 0, 0});
            }
    const double scale = 900 / std::max(projected.width, projected.height);
    const Rect occluder = bodies[0].occluder->bounds();
    EXPECT_NEAR(occluder.minX(), 30, 1e-9);
    EXPECT_NEAR(occluder.maxX(), 930, 1e-9);
    EXPECT_NEAR(occluder.height, projected.height * scale, 1e-9);
    EXPECT_NEAR(occluder.midY(), 480, 1e-9);
    // The projected top-left front corner lands where the fit puts it.
    const Vector2 corner = projection.projectPoint({-50, -30, 0});
    const Vector2 expected{480 + scale * (corner.x - projected.midX()), 480 + scale * (corner.y - projected.midY())};
    bool found = false;
    const Subpath& outline = bodies[0].occluder->subpaths[0];
    for (const PathSegment& s : outline.segments) found = found || s.end().distance(expected) < 1e-9;
    found = found || outline.start.distance(expected) < 1e-9;
    EXPECT_TRUE(found);
    // Silhouette (outer) and front face (inner), nothing else.
    ASSERT_EQ(bodies[0].elements.size(), 2u);
    EXPECT_EQ(bodies[0].elements[0].asStroke()->weight, StrokeWeight::outer());
    EXPECT_EQ(bodies[0].elements[1].asStroke()->weight, StrokeWeight::inner());
}

TEST(IconProjector, TheModelsOwnCameraWinsAndMountsFixTheElevation) {
    IconModel model = box(80, 80, 20);
    const Camera steep{40, 5, 2.2};
    EXPECT_NE(iconSvg(model, steep), iconSvg(model, Camera{}));
    model.camera = Camera{};
    EXPECT_EQ(iconSvg(model, steep), iconSvg(model, Camera{}));

    model.camera.reset();
    model.orientation = Orientation::ceiling;
    EXPECT_EQ(iconSvg(model, Camera{29.5, 0, 2.5}), iconSvg(model, Camera{29.5, 5, 2.5}));
    model.orientation = Orientation::wall;
    EXPECT_NE(iconSvg(model, Camera{29.5, 0, 2.5}), iconSvg(model, Camera{29.5, 5, 2.5}));
}

TEST(IconProjector, ABodySeenFromBehindShowsNoBevelAndNoDetails) {
    IconModel model = box(80, 80, 20, 50.0);
    model.parts[0].solid.extrudedBody()->details.push_back(FaceDetail::indicator({0, 0}, 10, DetailStyle::fill));
    const auto front = iconDrawing(model, Camera{}).bodies;
    ASSERT_EQ(front.size(), 1u);
    EXPECT_EQ(front[0].elements.size(), 4u);  // silhouette, face, bevel, indicator

    for (const double turn : {180.0, 90.0}) {  // from behind, and exactly edge-on... or nearly
        model.parts[0].turn = turn;
        const auto behind = iconDrawing(model, Camera{0, 0, 2.5}).bodies;
        ASSERT_EQ(behind.size(), 1u);
        EXPECT_EQ(behind[0].elements.size(), 2u) << turn;
    }
}

TEST(IconProjector, GroovesAreCutAwayInsideTheVisibleFace) {
    IconModel model = box(80, 80, 20);
    model.parts[0].solid.extrudedBody()->grooves = {0.5, 0.8};
    const auto bodies = iconDrawing(model, Camera{}).bodies;
    ASSERT_EQ(bodies.size(), 1u);
    const auto& elements = bodies[0].elements;
    ASSERT_EQ(elements.size(), 5u);
    EXPECT_TRUE(elements[0].asStroke() && elements[1].asStroke());
    EXPECT_TRUE(elements[2].asHole());
    EXPECT_EQ(countOf(iconDrawing(box(80, 80, 20), Camera{}).bodies[0].elements, 2), 0u);
}

TEST(IconProjector, ACableBeyondTheFaceEnlargesTheFit) {
    IconModel model = box(60, 60, 10);
    const Rect plain = iconDrawing(model, Camera{}).bodies[0].occluder->bounds();
    model.parts[0].solid.extrudedBody()->details.push_back(
        FaceDetail::cable({{0, 20}, {0, 120}}, StrokeWeight::inner()));
    const Rect withCable = iconDrawing(model, Camera{}).bodies[0].occluder->bounds();
    EXPECT_LT(withCable.height, plain.height * 0.8);
    model.parts[0].solid.extrudedBody()->details.back() = FaceDetail::indicator({0, 0}, 20, DetailStyle::fill);
    EXPECT_EQ(iconDrawing(model, Camera{}).bodies[0].occluder->bounds(), plain);
}

TEST(IconProjector, FartherBodiesComeFirstAndEqualKeysKeepPartOrder) {
    BodyPart near = box(30, 30, 10).parts[0];
    near.offset = {-60, 0, 0};
    BodyPart far = near;
    far.offset = {60, 0, 100};
    const auto bodies = iconDrawing(IconModel({near, far}), Camera{0, 0, 2.5}).bodies;
    ASSERT_EQ(bodies.size(), 2u);
    EXPECT_GT(bodies[0].occluder->bounds().midX(), bodies[1].occluder->bounds().midX()) << "the far body first";

    BodyPart left = near;
    left.offset = {-20, 0, 0};
    BodyPart right = near;
    right.offset = {20, 0, 0};
    right.solid.extrudedBody()->depth = 10;
    // Mirror-image places at equal distance from an eye straight ahead.
    const auto even = iconDrawing(IconModel({left, right}), Camera{0, 0, 2.5}).bodies;
    ASSERT_EQ(even.size(), 2u);
    EXPECT_LT(even[0].occluder->bounds().midX(), even[1].occluder->bounds().midX());
}

TEST(IconProjector, ANearerBodyHidesTheDetailsOfAFartherOne) {
    // A large panel with a filled dot at its centre, and a small box standing in front of it.
    IconModel panel = box(100, 100, 10);
    panel.parts[0].offset = {0, 0, 50};
    panel.parts[0].solid.extrudedBody()->details.push_back(FaceDetail::indicator({0, 0}, 20, DetailStyle::fill));
    const Camera straightOn{0, 0, 2.5};
    const auto inkAtCentre = [&](const IconModel& model) {
        const IconDrawing drawing = iconDrawing(model, straightOn);
        const BezierPath farthest = drawing.visibleOutline(0);
        return Region::filled(farthest, FillRule::evenOdd).contains({480, 480});
    };
    EXPECT_TRUE(inkAtCentre(panel));
    IconModel withBoxInFront = panel;
    withBoxInFront.parts.push_back(box(60, 60, 10).parts[0]);
    EXPECT_FALSE(inkAtCentre(withBoxInFront));
}

TEST(IconProjector, ARevolvedBodyIsItsOutlineThenItsLines) {
    const RevolvedBody cylinder = RevolvedBody::cylinder(20, 0, 50, RevolvedAxis::vertical, {RevolvedDetail::ring(25)});
    const auto bodies = iconDrawing(IconModel({BodyPart{Solid::revolved(cylinder), {}, 0}}), Camera{}).bodies;
    ASSERT_EQ(bodies.size(), 1u);
    const auto& elements = bodies[0].elements;
    ASSERT_GE(elements.size(), 2u);
    EXPECT_EQ(elements[0].asStroke()->weight, StrokeWeight::outer());
    EXPECT_EQ(elements[0].path(), *bodies[0].occluder);
    for (std::size_t i = 1; i < elements.size(); ++i) EXPECT_EQ(elements[i].asStroke()->weight, StrokeWeight::inner());
}

TEST(IconProjector, StrokeWidthsDoNotDependOnTheDeviceSize) {
    const std::string small = iconSvg(box(10, 6, 2), Camera{});
    const std::string large = iconSvg(box(1000, 600, 200), Camera{});
    EXPECT_EQ(small, large);
}

TEST(IconProjector, TemplateIconsMatchTheirGoldenDocuments) {
    for (const ModelTemplate::Case c : ModelTemplate::allCases) {
        const ModelTemplate t(c);
        const std::string svg = iconSvg(t.model(), Camera{});
        SCOPED_TRACE(std::string(t.rawValue()));
        gs_test::expectMatchesGolden(
            std::filesystem::path(GS_GOLDEN_DIR) / "templates" / (std::string(t.rawValue()) + ".svg"), svg);
        expectConformingIcon(svg);
        EXPECT_EQ(iconSvg(t.model(), Camera{}), svg) << "the same model draws the same document";
    }
}

TEST(IconProjector, CameraAndMountingVariantsMatchTheirGoldenDocuments) {
    struct Variant {
        const char* name;
        ModelTemplate::Case model;
        Camera camera;
        std::optional<Orientation> orientation;
    };
    for (const Variant& v : std::vector<Variant>{
             {"panel-yaw40-elevation5-near", ModelTemplate::panel, Camera{40, 5, 2.2}, std::nullopt},
             {"bulb-yaw25-far", ModelTemplate::bulb, Camera{25, 0, 5.5}, std::nullopt},
             {"dial-thermostat-ceiling", ModelTemplate::dialThermostat, Camera{}, Orientation::ceiling},
             {"contact-sensor-floor", ModelTemplate::contactSensor, Camera{35, 2, 3}, Orientation::floor},
         }) {
        IconModel model = ModelTemplate(v.model).model();
        if (v.orientation) model.orientation = *v.orientation;
        const std::string svg = iconSvg(model, v.camera);
        SCOPED_TRACE(v.name);
        gs_test::expectMatchesGolden(std::filesystem::path(GS_GOLDEN_DIR) / "variants" / (std::string(v.name) + ".svg"),
                                     svg);
        expectConformingIcon(svg);
    }
}
