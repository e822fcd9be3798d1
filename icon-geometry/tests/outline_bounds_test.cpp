// Outlines, lines and details stay on their bodies at every allowed camera, and
// refitted regions stay on the polygons they replace.

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <unordered_map>
#include <vector>

#include "body_bounds.hpp"
#include "icon_geometry/cubic.hpp"
#include "icon_geometry/face_detail.hpp"
#include "icon_geometry/face_shape.hpp"
#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/icon_svg.hpp"
#include "icon_geometry/model_input.hpp"
#include "icon_geometry/model_template.hpp"
#include "icon_geometry/svg_validator.hpp"
#include "platform/platform_path.hpp"

using namespace icon_geometry;

namespace {

// The tolerance the refit promises, with room for the spacing of the points it
// checks along a curve (an eighth of it) and for the sampling here.
constexpr double refitTolerance = 0.5 + 0.1;

bool conforms(const std::string& svg) {
    return SVGValidator::validateText(svg).passes();
}

IconModel modelFromJSON(const std::string& text) {
    return ModelInput::decode<IconModel>(text);
}

// Segments bucketed on a grid, to ask quickly whether a point lies within the
// tolerance of any of them.
class NearSegments {
public:
    void add(Vector2 a, Vector2 b) {
        const std::size_t index = segments_.size();
        segments_.push_back({a, b});
        const double length = a.distance(b);
        const int steps = static_cast<int>(std::ceil(length / (cell / 2))) + 1;
        for (int k = 0; k <= steps; ++k) {
            const Vector2 p = a.lerp(b, static_cast<double>(k) / steps);
            for (int dx = -1; dx <= 1; ++dx)
                for (int dy = -1; dy <= 1; ++dy) {
                    auto& bucket = cells_[key(p, dx, dy)];
                    if (bucket.empty() || bucket.back() != index) bucket.push_back(index);
                }
        }
    }

    bool isNear(Vector2 p, double tolerance) const {
        const auto it = cells_.find(key(p, 0, 0));
        if (it == cells_.end()) return false;
        for (const std::size_t i : it->second) {
            const auto& [a, b] = segments_[i];
            const Vector2 ab = b - a;
            const double squared = ab.dot(ab);
            const double t = squared > 0 ? std::clamp((p - a).dot(ab) / squared, 0.0, 1.0) : 0.0;
            if (p.distance(a + ab * t) <= tolerance) return true;
        }
        return false;
    }

private:
    static constexpr double cell = 2;
    static long long key(Vector2 p, int dx, int dy) {
        const auto x = static_cast<long long>(std::floor(p.x / cell)) + dx;
        const auto y = static_cast<long long>(std::floor(p.y / cell)) + dy;
        return x * 1000003 + y;
    }
    std::vector<std::pair<Vector2, Vector2>> segments_;
    std::unordered_map<long long, std::vector<std::size_t>> cells_;
};

// Checks both ways that the region's outline stays within the refit tolerance
// of the region's polygons: points along the outline to the polygons, and the
// polygons' vertices to the outline. Returns how many points strayed.
int strayingPoints(const Region& region) {
    NearSegments polygonEdges;
    std::vector<Vector2> vertices;
    const auto point = [](Region::Point p) {
        return Vector2{static_cast<double>(p.x) / Region::pointsPerUnit,
                       static_cast<double>(p.y) / Region::pointsPerUnit};
    };
    for (const Region::Polygon& polygon : region.polygons()) {
        const std::size_t n = polygon.size();
        for (std::size_t i = 0; i < n; ++i) {
            const Vector2 a = point(polygon[i]);
            polygonEdges.add(a, point(polygon[(i + 1) % n]));
            // The tip of a spike of no width (a vertex whose triangle with its
            // neighbours is flat) bounds nothing: the outline may leave it out.
            const Vector2 before = point(polygon[(i + n - 1) % n]) - a;
            const Vector2 after = point(polygon[(i + 1) % n]) - a;
            const double height = std::abs(before.cross(after)) / std::fmax(before.length(), after.length());
            if (!(height <= 0.004)) vertices.push_back(a);
        }
    }
    NearSegments outlineEdges;
    std::vector<Vector2> along;
    for (const Subpath& subpath : region.outline().subpaths) {
        Vector2 current = subpath.start;
        const auto walk = [&](const PathSegment& segment) {
            const Vector2 end = segment.end();
            const auto* c = segment.asCubic();
            const int pieces = c ? 64 : static_cast<int>(std::ceil(current.distance(end) / 0.1)) + 1;
            Vector2 previous = current;
            for (int k = 1; k <= pieces; ++k) {
                const double t = static_cast<double>(k) / pieces;
                const Vector2 p = c ? Cubic::point(current, c->control1, c->control2, end, t) : current.lerp(end, t);
                outlineEdges.add(previous, p);
                along.push_back(p);
                previous = p;
            }
            current = end;
        };
        for (const PathSegment& segment : subpath.segments) walk(segment);
        if (subpath.isClosed && current != subpath.start) walk(PathSegment::line(subpath.start));
    }
    int straying = 0;
    for (const Vector2& p : along)
        if (!polygonEdges.isNear(p, refitTolerance)) ++straying;
    for (const Vector2& p : vertices)
        if (!outlineEdges.isNear(p, refitTolerance)) ++straying;
    return straying;
}

// The united pieces of a revolved outline, at the working scale of the outline.
Region revolvedPiecesUnited(const Silhouette::PlacedRevolvedBody& placed) {
    const double azimuth = Silhouette::eyeAzimuth(placed);
    std::vector<BezierPath> pieces;
    for (const Silhouette::Piece& piece : Silhouette::profilePieces(placed.body.profile)) {
        if (const auto* c = piece.segment.asCubic()) {
            for (BezierPath& path : Silhouette::trace(piece.start, c->control1, c->control2, c->to, azimuth, placed))
                pieces.push_back(std::move(path));
        }
    }
    Rect extent = Rect::null();
    for (const BezierPath& piece : pieces) extent = extent.united(piece.bounds());
    if (extent.isNull()) return {};
    const double k = 960 / std::fmax(extent.width, extent.height);
    const AffineTransform in = AffineTransform::scale(k, k).translatedBy(-extent.midX(), -extent.midY());
    std::vector<Region> regions;
    for (const BezierPath& piece : pieces) regions.push_back(Region::filled(piece.applying(in), FillRule::winding));
    return Region::unionOf(regions);
}

const char* const domeOnStem =
    R"({"version":2,"orientation":"wall","parts":[{"offset":{"x":0,"y":0,"z":0},"turn":-9.6,"solid":{"revolved":{"_0":{"axis":"depth","details":[],"profile":{"subpaths":[{"isClosed":false,"segments":[{"line":{"to":{"x":9.24,"y":18.15}}},{"cubic":{"control1":{"x":49.88,"y":24.2},"control2":{"x":49.88,"y":60.49},"to":{"x":0.5,"y":60.49}}}],"start":{"x":9.24,"y":0}}]}}}}}]})";
const char* const knurlAcrossACorner =
    R"({"version":2,"orientation":"ceiling","parts":[{"offset":{"x":0,"y":0,"z":0},"turn":-4.4,"solid":{"revolved":{"_0":{"axis":"depth","details":[{"knurl":{"count":23,"from":4.6,"to":51.6}}],"profile":{"subpaths":[{"isClosed":false,"start":{"x":21.8,"y":0},"segments":[{"line":{"to":{"x":21.8,"y":43.0}}},{"line":{"to":{"x":25.7,"y":86.0}}}]}]}}}}}]})";
const char* const radiatorWidenedAtTheRim =
    R"({"orientation":"wall","parts":[{"offset":{"x":0,"y":0,"z":0},"solid":{"revolved":{"_0":{"axis":"depth","details":[{"knurl":{"count":36,"from":6,"to":24}},{"ring":{"at":6}},{"ring":{"at":24}}],"profile":{"subpaths":[{"isClosed":false,"segments":[{"cubic":{"control1":{"x":23.5,"y":0},"control2":{"x":26,"y":1.5},"to":{"x":25,"y":4}}},{"line":{"to":{"x":26,"y":60}}},{"line":{"to":{"x":17,"y":66}}},{"line":{"to":{"x":34,"y":80}}}],"start":{"x":21,"y":0}}]}}}}}],"version":2})";
const char* const dotGridTowardsTheEye =
    R"({"version":2,"orientation":"floor","parts":[{"offset":{"x":0,"y":0,"z":0},"solid":{"extruded":{"_0":{"face":{"roundedPolygon":{"vertices":[{"x":6.37,"y":2.17},{"x":0.13,"y":7.2},{"x":-6.97,"y":2.36},{"x":-4.34,"y":-6.68},{"x":3.9,"y":-5.95}],"cornerRadius":2.94}},"depth":5.15,"details":[{"dotGrid":{"center":{"x":-20.25,"y":-1.21},"rows":7,"columns":8,"pitch":5.76,"dotDiameter":1.63,"circular":true,"style":"fill"}}]}}}}]})";

const char* const separatorsCrossingFarPastTheFace =
    R"({"version":2,"orientation":"wall","parts":[{"offset":{"x":0,"y":0,"z":0},"solid":{"extruded":{"_0":{"face":{"roundedRectangle":{"width":86,"height":86,"cornerRadius":6}},"depth":12,"details":[{"separator":{"from":{"x":-900,"y":-700},"to":{"x":800,"y":900}}},{"separator":{"from":{"x":-900,"y":800},"to":{"x":900,"y":-850}}}]}}}}]})";

}  // namespace

TEST(OutlinesOnTheirBodies, TemplatePosesThatDrewStrayStrokesStayOnTheBody) {
    struct Pose {
        ModelTemplate::Case model;
        Camera camera;
    };
    for (const Pose& p : std::vector<Pose>{
             {ModelTemplate::bulb, {28.25, 0, 5.5}},
             {ModelTemplate::filamentBulb, {28.25, 0, 5.5}},
             {ModelTemplate::bulb, {37.75, 0, 3.5}},
             {ModelTemplate::filamentBulb, {37.75, 0, 3.5}},
             {ModelTemplate::ceilingDetector, {36.25, 0, 3.5}},
             {ModelTemplate::ceilingDetector, {36.25, 2.5, 3.5}},
             {ModelTemplate::ceilingDetector, {36.25, 5, 3.5}},
             {ModelTemplate::bulb, {25, 0, 5.5}},
         }) {
        const IconModel model = ModelTemplate(p.model).model();
        SCOPED_TRACE(std::string(ModelTemplate(p.model).rawValue()) + " yaw " + std::to_string(p.camera.yawDegrees));
        EXPECT_EQ(body_bounds::strayInk(model, p.camera), "");
        EXPECT_TRUE(conforms(iconSvg(model, p.camera)));
    }
}

TEST(OutlinesOnTheirBodies, ModelsThatDrewSpikesOrFloodedTheCanvasDrawTheirDevice) {
    struct Case {
        const char* name;
        const char* model;
        Camera camera;
    };
    for (const Case& c : std::vector<Case>{
             {"dome on its stem", domeOnStem, {35.78, 1.31, 3.0}},
             {"dome on its stem", domeOnStem, {35.93, 1.31, 3.0}},
             {"dome on its stem", domeOnStem, {36.08, 1.31, 3.0}},
             {"knurl across a cylinder-to-cone corner", knurlAcrossACorner, {}},
             {"knurl across a cylinder-to-cone corner", knurlAcrossACorner, {40, 5, 2.2}},
             {"radiator head widened at the rim", radiatorWidenedAtTheRim, {}},
             {"dot grid reaching towards a close eye", dotGridTowardsTheEye, {37.4, 3.6, 2.3}},
             {"dot grid reaching towards a close eye", dotGridTowardsTheEye, {37.2, 3.6, 2.3}},
             {"separators crossing far past the face", separatorsCrossingFarPastTheFace, {}},
             {"separators crossing far past the face", separatorsCrossingFarPastTheFace, {30, 2.5, 2.2}},
         }) {
        SCOPED_TRACE(c.name);
        const IconModel model = modelFromJSON(c.model);
        EXPECT_EQ(body_bounds::strayInk(model, c.camera), "");
        EXPECT_EQ(body_bounds::strayDetails(model, c.camera), "");
        EXPECT_TRUE(conforms(iconSvg(model, c.camera)));
    }
}

TEST(OutlinesOnTheirBodies, ALongThinBodyTowardTheEyeIsSeenFromOutsideIt) {
    // Bodies a few units wide reaching 24–26 units toward the camera: a camera
    // placed by the front extent alone stands inside them.
    const char* const coneStandingOnTheFloor =
        R"({"version":2,"orientation":"floor","parts":[{"offset":{"x":0,"y":0,"z":0},"turn":-174.375,"solid":{"revolved":{"_0":{"axis":"vertical","details":[{"knurl":{"count":226,"from":8.55,"to":84.9}}],"profile":{"subpaths":[{"isClosed":false,"start":{"x":2.04,"y":0.0},"segments":[{"line":{"to":{"x":0,"y":26.0}}}]}]}}}}}]})";
    const char* const spindleTowardTheEye =
        R"({"version":2,"orientation":"wall","parts":[{"offset":{"x":0,"y":0,"z":0},"turn":-0.7,"solid":{"revolved":{"_0":{"axis":"depth","details":[{"rings":{"count":7,"from":44.78,"to":-10}}],"profile":{"subpaths":[{"isClosed":false,"start":{"x":4.39,"y":0.0},"segments":[{"line":{"to":{"x":0,"y":-8.0}}},{"line":{"to":{"x":29.65,"y":-16.0}}},{"line":{"to":{"x":0,"y":-24.0}}}]}]}}}}}]})";
    // Every corner of the body's box stands at least half the camera's distance
    // in front of the eye.
    const auto seenFromOutside = [](const IconModel& model, const Camera& camera) {
        for (const Silhouette::PlacedRevolvedBody& placed : body_bounds::placedRevolvedParts(model, camera)) {
            const PerspectiveProjection& view = placed.projection;
            for (const Vector3& p : Silhouette::boundingCorners(placed))
                if (view.distance + p.z * view.cosYaw + p.x * view.sinYaw < 0.5 * view.distance * (1 - 1e-9))
                    return false;
        }
        return true;
    };
    for (const char* json : {coneStandingOnTheFloor, spindleTowardTheEye}) {
        const IconModel model = modelFromJSON(json);
        const Camera found{27.353, json == spindleTowardTheEye ? 1.333 : 1.961, 2.976};
        EXPECT_EQ(body_bounds::strayInk(model, found), "") << json;
        EXPECT_TRUE(conforms(iconSvg(model, found))) << json;
        for (const double yaw : {Camera::yawRange.lowerBound, Camera::yawRange.upperBound})
            for (const double distance : {Camera::distanceRange.lowerBound, Camera::distanceRange.upperBound}) {
                const Camera camera{yaw, 2.5, distance};
                EXPECT_TRUE(seenFromOutside(model, camera)) << json << " " << yaw << " " << distance;
                EXPECT_EQ(body_bounds::strayInk(model, camera), "") << json << " " << yaw << " " << distance;
                EXPECT_TRUE(conforms(iconSvg(model, camera))) << json << " " << yaw << " " << distance;
            }
    }
}

TEST(OutlinesOnTheirBodies, DetailsNearTheEyesPlaneAreCutAwayBeforeProjecting) {
    // The far dots of the grid lie on the face's plane reaching towards the eye:
    // the drawing stays on the canvas instead of diverging off it.
    const IconModel model = modelFromJSON(dotGridTowardsTheEye);
    for (const double distance : {2.2, 2.3, 2.6}) {
        const Camera camera{37.4, 3.6, distance};
        EXPECT_TRUE(conforms(iconSvg(model, camera))) << distance;
        for (const BezierPath& path : iconDrawing(model, camera).path()) {
            const Rect bounds = path.bounds();
            EXPECT_TRUE(std::isfinite(bounds.width) && std::isfinite(bounds.height)) << distance;
        }
    }
    // A path wholly in front of the near plane is projected unchanged.
    const PerspectiveProjection projection(Camera{}, 100);
    const BezierPath square = FaceShape::roundedRectanglePath(20, 20, 4);
    EXPECT_EQ(projection.projectPlanarPath(square, 0, 25).subpaths.size(), 1u);
    // One reaching behind the eye keeps only what lies beyond the plane, closed.
    const BezierPath long_ = FaceShape::roundedRectanglePath(20, 2000, 4);
    const PerspectiveProjection tilted(Camera{30, 0, 2.2}, 100);
    const BezierPath flat = tilted.projectPath(long_, 25, [](Vector2 p) { return Vector3{0, 0, p.y}; });
    for (const Subpath& s : flat.subpaths) {
        EXPECT_TRUE(s.isClosed);
        for (const PathSegment& segment : s.segments) EXPECT_TRUE(std::isfinite(segment.end().x));
    }
}

TEST(OutlinesOnTheirBodies, EveryTemplateStaysInsideItsBoxAcrossTheCameraRange) {
    int poses = 0;
    for (const ModelTemplate::Case t : ModelTemplate::allCases) {
        const IconModel model = ModelTemplate(t).model();
        for (int yaw = 25; yaw <= 40; ++yaw) {
            for (const double elevation : {0.0, 2.5, 5.0}) {
                for (const double distance : {2.2, 3.5, 5.5}) {
                    const Camera camera{static_cast<double>(yaw), elevation, distance};
                    for (const Silhouette::PlacedRevolvedBody& placed :
                         body_bounds::placedRevolvedParts(model, camera)) {
                        ++poses;
                        EXPECT_EQ(body_bounds::strayInk(placed), "")
                            << ModelTemplate(t).rawValue() << " yaw " << yaw << " elevation " << elevation
                            << " distance " << distance;
                        EXPECT_EQ(strayingPoints(revolvedPiecesUnited(placed)), 0)
                            << ModelTemplate(t).rawValue() << " yaw " << yaw << " elevation " << elevation
                            << " distance " << distance;
                    }
                }
            }
        }
    }
    EXPECT_EQ(poses, 144 * 5);  // five templates have one revolved part each
}

namespace {

// A random profile of one of four kinds: smooth, stepped, narrowing then
// widening, or a dome on a stem.
BezierPath randomProfile(std::mt19937& random, int kind = -1) {
    std::uniform_real_distribution<double> radius(4, 40);
    std::uniform_real_distribution<double> height(5, 40);
    PathBuilder b;
    double y = 0;
    const double r0 = radius(random);
    b.moveTo({r0, 0});
    const auto chosen = random() % 4;
    switch (kind < 0 ? chosen : static_cast<unsigned>(kind)) {
        case 0:  // smooth
            for (int i = 0; i < 2; ++i) {
                const double y1 = y + height(random);
                b.curveTo({radius(random), y1}, {radius(random), y + (y1 - y) / 3},
                          {radius(random), y + 2 * (y1 - y) / 3});
                y = y1;
            }
            break;
        case 1:  // stepped
            for (int i = 0; i < 3; ++i) {
                y += height(random);
                const double r = radius(random);
                b.lineTo({r, y - height(random) / 4});
                b.lineTo({r, y});
            }
            break;
        case 2: {  // narrowing then widening
            y += height(random);
            b.lineTo({r0 * 1.05, y});
            b.lineTo({r0 * 0.6, y + 6});
            b.lineTo({r0 * 1.3, y + 20});
            break;
        }
        default: {  // a dome on a stem
            const double stem = height(random);
            const double dome = radius(random) + r0;
            b.lineTo({r0, stem});
            b.curveTo({0.5, stem + dome}, {dome * 1.2, stem + dome * 0.15}, {dome * 1.2, stem + dome});
            break;
        }
    }
    return b.finish();
}

std::vector<RevolvedDetail> randomLines(std::mt19937& random, double top) {
    std::uniform_real_distribution<double> at(0, top);
    std::vector<RevolvedDetail> details;
    const double a = at(random), b = at(random);
    details.push_back(RevolvedDetail::knurl(std::min(a, b), std::max(a, b), 5 + static_cast<int>(random() % 60)));
    details.push_back(RevolvedDetail::rings(at(random), at(random), static_cast<int>(random() % 6)));
    details.push_back(RevolvedDetail::ring(at(random)));
    return details;
}

Camera randomCamera(std::mt19937& random) {
    std::uniform_real_distribution<double> unit(0, 1);
    return {25 + 15 * unit(random), 5 * unit(random), 2.2 + 3.3 * unit(random)};
}

}  // namespace

TEST(OutlinesOnTheirBodies, RandomRevolvedBodiesStayInsideTheirBoxes) {
    std::mt19937 random(24);
    for (int i = 0; i < 160; ++i) {
        const BezierPath profile = randomProfile(random);
        const double top = profile.bounds().maxY();
        const RevolvedAxis axis =
            std::array{RevolvedAxis::vertical, RevolvedAxis::depth, RevolvedAxis::horizontal}[random() % 3];
        std::vector<BodyPart> parts{{Solid::revolved(RevolvedBody{profile, axis, randomLines(random, top)}),
                                     Vector3::zero(), std::uniform_real_distribution<double>(-180, 180)(random)}};
        if (random() % 4 == 0) parts.push_back({Solid::extruded(ExtrudedBody{}), {60, 0, 0}, 0});
        const IconModel model(parts, Orientation::allCases[random() % 3]);
        const Camera camera = randomCamera(random);
        SCOPED_TRACE("body " + std::to_string(i) + ": " + json::write(json::encode(model)));
        EXPECT_EQ(body_bounds::strayInk(model, camera), "");
        EXPECT_TRUE(conforms(iconSvg(model, camera)));
    }
}

namespace {

// A detail of every kind, each placed around `at` with sizes of the face's
// scale `s`; `at` may lie anywhere, far off the face included.
std::vector<FaceDetail> detailsOfEveryKind(std::mt19937& random, Vector2 at, double s) {
    std::uniform_real_distribution<double> unit(-1, 1);
    const auto near = [&] { return at + Vector2{unit(random) * s, unit(random) * s}; };
    const DetailStyle style =
        std::array{DetailStyle::automatic, DetailStyle::stroke, DetailStyle::fill, DetailStyle::hole}[random() % 4];
    return {
        FaceDetail::button(FaceShape::capsule(s / 4, s / 8), near(), style),
        FaceDetail::indicator(near(), s / 20, style),
        FaceDetail::dotGrid(near(), 1 + random() % 8, 1 + random() % 8, s / 8, s / 24, random() % 2 == 0, style),
        FaceDetail::screen(near(), s / 2, s / 3, s / 20),
        FaceDetail::slot(near(), near(), s / (random() % 2 == 0 ? 20 : 4)),
        FaceDetail::socketHoles(near(), s / 4, s / 10, random() % 2 == 0),
        FaceDetail::separator(near(), near()),
        FaceDetail::cable({near(), near(), near()}, StrokeWeight::inner()),
        FaceDetail::pictogram(Pictogram::allCases[random() % Pictogram::allCases.size()], near(), s / 5),
        FaceDetail::imported(FaceShape::ellipsePath(s / 3, s / 5).translated(near().x, near().y), style),
        FaceDetail::elements(
            {IconElement::stroke(Pictogram::linePath(near(), near()), StrokeWeight::inner()),
             IconElement::fill(FaceShape::roundedRectanglePath(s / 4, s / 4, s / 16).translated(near().x, near().y))}),
    };
}

}  // namespace

namespace {

// Notches and slivers of the region narrower than the width: the pieces that
// growing and shrinking back by half of it adds, or shrinking and growing back
// takes away, thicker on average than a fiftieth of a unit and larger than a
// twentieth of a square unit (a hairline a unit long). Crumbs smaller than
// that are left to the document's tenth of a unit.
int seamsIn(const Region& region, double width) {
    const Region closed = region.offsetBy(width / 2).offsetBy(-width / 2);
    const Region opened = region.offsetBy(-width / 2).offsetBy(width / 2);
    int seams = 0;
    for (const Region& difference : {closed.subtracting(region), region.subtracting(opened)})
        for (const Region::Piece& piece : difference.pieces()) seams += piece.thickness > 0.02 && piece.area > 0.05;
    return seams;
}

}  // namespace

TEST(OutlinesOnTheirBodies, RevolvedOutlinesKeepNoSeamsBetweenTheirPieces) {
    // Pieces flattened apart (bands, caps, frustums) leave hairline notches and
    // slivers in their union; the region the outline is refitted from has none
    // narrower than a unit, at the working scale where the outline is 960 across.
    for (int kind = 0; kind < 4; ++kind) {
        std::mt19937 random(1000 + kind);
        for (int i = 0; i < 60; ++i) {
            const BezierPath profile = randomProfile(random, kind);
            const RevolvedAxis axis =
                std::array{RevolvedAxis::vertical, RevolvedAxis::depth, RevolvedAxis::horizontal}[random() % 3];
            const std::vector<BodyPart> parts{{Solid::revolved(RevolvedBody{profile, axis, {}}), Vector3::zero(),
                                               std::uniform_real_distribution<double>(-180, 180)(random)}};
            const IconModel model(parts, Orientation::allCases[random() % 3]);
            const Camera camera = randomCamera(random);
            for (const Silhouette::PlacedRevolvedBody& placed : body_bounds::placedRevolvedParts(model, camera)) {
                EXPECT_EQ(seamsIn(Silhouette::revolvedOutlineRegion(placed), 1), 0)
                    << "kind " << kind << " body " << i << ": " << json::write(json::encode(model));
            }
        }
    }
}

TEST(OutlinesOnTheirBodies, RandomExtrudedBodiesKeepTheirDetailsOnTheFace) {
    std::mt19937 random(21);
    std::uniform_real_distribution<double> size(8, 90);
    std::uniform_real_distribution<double> unit(-1, 1);
    int withCable = 0;
    for (int i = 0; i < 240; ++i) {
        const double w = size(random), h = size(random);
        const double s = std::min(w, h);
        const std::array shapes{
            FaceShape::roundedRectangle(w, h, w / 8), FaceShape::superellipse(w, h, 4), FaceShape::ellipse(w, h),
            FaceShape::capsule(w, h),
            FaceShape::roundedPolygon({{w / 2, 0}, {0, h / 2}, {-w / 2, h / 4}, {-w / 3, -h / 2}, {w / 3, -h / 2}},
                                      w / 10)};
        // On the face, just past its edge, a face's size past it, or far off.
        const double reach = std::array{0.3, 0.6, 1.5, 12.0}[i % 4] * std::max(w, h);
        const Vector2 at{unit(random) * reach, unit(random) * reach};
        const std::vector<FaceDetail> kinds = detailsOfEveryKind(random, at, s);
        ExtrudedBody body{shapes[random() % shapes.size()], 2 + size(random) / 6, std::nullopt, {}, {}};
        for (int k = 0; k < 3; ++k) body.details.push_back(kinds[random() % kinds.size()]);
        // Every kind, in turn, as the first detail.
        body.details.front() = kinds[static_cast<std::size_t>(i) % kinds.size()];
        withCable += std::holds_alternative<FaceDetail::Cable>(body.details.front().value);
        std::vector<BodyPart> parts{BodyPart{Solid::extruded(body), Vector3::zero(), unit(random) * 180}};
        if (random() % 4 == 0) parts.push_back({Solid::extruded(ExtrudedBody{}), {90, 0, 0}, 0});
        const IconModel model(parts, Orientation::allCases[random() % 3]);
        // Close cameras, where the plane of the face reaches nearest the eye.
        const Camera camera{25 + 15 * (random() % 16) / 15.0, 5 * (random() % 3) / 2.0, 2.2 + 0.1 * (random() % 8)};
        SCOPED_TRACE("body " + std::to_string(i) + ": " + json::write(json::encode(model)));
        EXPECT_EQ(body_bounds::strayDetails(model, camera), "");
        EXPECT_TRUE(conforms(iconSvg(model, camera)));
    }
    EXPECT_GT(withCable, 0);
}

TEST(OutlinesOnTheirBodies, DetailsOnTheirFaceAreDrawnAsTheModelPlacesThem) {
    // Clipping keeps a detail that lies on its face, edge included, exactly.
    const FaceShape face = FaceShape::roundedRectangle(80, 60, 10);
    const std::vector<FaceDetail> details{
        FaceDetail::separator({-40, 0}, {40, 0}),
        FaceDetail::button(FaceShape::capsule(20, 10), {-20, 10}, DetailStyle::fill),
        FaceDetail::screen({0, -10}, 40, 20, 4),
    };
    const ExtrudedBody body{face, 10, std::nullopt, details, {}};
    const Pose pose{Rotation3::identity(), Vector3::zero()};
    const PerspectiveProjection projection(Camera{}, 100);
    const IconProjector::Projected projected = IconProjector::projectExtruded(body, 100.0 / 12, pose, projection);
    const std::vector<IconElement> drawn = projected.finish(4);
    std::vector<IconElement> expected;
    for (const FaceDetail& d : details)
        for (const IconElement& e : d.geometry(4 / projection.distance))
            expected.push_back(e.withPath(projection.projectPosedPath(e.path(), pose, 0, 100.0 / 12)));
    EXPECT_EQ(drawn, expected);

    // The same separator running far past the face ends at its edge.
    const ExtrudedBody long_{face, 10, std::nullopt, {FaceDetail::separator({-400, 0}, {400, 0})}, {}};
    const std::vector<IconElement> cut = IconProjector::projectExtruded(long_, 100.0 / 12, pose, projection).finish(4);
    ASSERT_EQ(cut.size(), 1u);
    const Rect faceImage = projection.projectPosedPath(face.outline(), pose, 0, 100.0 / 12).bounds();
    const Rect line = cut.front().path().bounds();
    EXPECT_NEAR(line.minX(), faceImage.minX(), 0.01 * faceImage.width);
    EXPECT_NEAR(line.maxX(), faceImage.maxX(), 0.01 * faceImage.width);

    // A detail wholly off the face draws nothing; a cable hangs free.
    const ExtrudedBody off{face,
                           10,
                           std::nullopt,
                           {FaceDetail::button(FaceShape::capsule(20, 10), {300, 0}, DetailStyle::fill),
                            FaceDetail::cable({{0, 0}, {300, 0}}, StrokeWeight::inner())},
                           {}};
    const std::vector<IconElement> offDrawn =
        IconProjector::projectExtruded(off, 100.0 / 12, pose, projection).finish(4);
    ASSERT_EQ(offDrawn.size(), 2u);
    EXPECT_TRUE(offDrawn[0].path().isEmpty());
    EXPECT_GT(offDrawn[1].path().bounds().maxX(), faceImage.maxX() * 2);
}

TEST(RegionRefit, RunsOfShortEdgesWithConflictingTangentsStayOnTheirPolygon) {
    // Long edges around a rough circle, with runs of three to six short edges
    // between them that zigzag against the long edges' directions.
    std::mt19937 random(9);
    std::uniform_real_distribution<double> unit(0, 1);
    for (int i = 0; i < 100; ++i) {
        std::vector<Vector2> polygon;
        const int corners = 5 + static_cast<int>(random() % 5);
        for (int k = 0; k < corners; ++k) {
            const double angle = 2 * 3.141592653589793 * (k + 0.3 * unit(random)) / corners;
            Vector2 p{400 * std::cos(angle), 400 * std::sin(angle)};
            polygon.push_back(p);
            const int shortEdges = 3 + static_cast<int>(random() % 4);
            for (int e = 0; e < shortEdges; ++e) {
                p = p + Vector2{(unit(random) - 0.5) * 16, (unit(random) - 0.5) * 16};
                polygon.push_back(p);
            }
        }
        PlatformPath path;
        path.moveTo(polygon.front());
        for (std::size_t k = 1; k < polygon.size(); ++k) path.addLineTo(polygon[k]);
        path.closeSubpath();
        const Region region = Region::filled(path, FillRule::winding);
        EXPECT_EQ(strayingPoints(region), 0) << "polygon " << i;
    }
}

TEST(RegionRefit, UnitedStrokesStayOnTheirPolygons) {
    std::mt19937 random(5);
    std::uniform_real_distribution<double> coordinate(0, 960);
    for (int i = 0; i < 30; ++i) {
        std::vector<Region> strokes;
        for (int k = 0; k < 6; ++k) {
            PlatformPath path;
            path.moveTo({coordinate(random), coordinate(random)});
            path.addCurveTo({coordinate(random), coordinate(random)}, {coordinate(random), coordinate(random)},
                            {coordinate(random), coordinate(random)});
            strokes.push_back(Region::stroked(path, k % 2 == 0 ? 40 : 20));
        }
        EXPECT_EQ(strayingPoints(Region::unionOf(strokes)), 0) << "drawing " << i;
    }
}

TEST(FaceShapeSides, ASuperellipseWithNegativeSidesKeepsItsOutline) {
    const Rect expected = FaceShape::superellipse(40, 30, 4).outline().bounds();
    for (const auto& [w, h] : std::vector<std::pair<double, double>>{{-40, -30}, {-40, 30}, {40, -30}}) {
        const Rect bounds = FaceShape::superellipse(w, h, 4).outline().bounds();
        EXPECT_NEAR(bounds.width, expected.width, 1e-9) << w << " × " << h;
        EXPECT_NEAR(bounds.height, expected.height, 1e-9) << w << " × " << h;
    }
    EXPECT_FALSE(FaceShape::superellipse(40, 30, 4).scaled(-1, -1).outline().isEmpty());
    EXPECT_FALSE(FaceShape::superellipse(-40, -30, 2).outline().isEmpty());
    for (const auto& [w, h] :
         std::vector<std::pair<double, double>>{{0, 30}, {-40, 0}, {NAN, 30}, {40, INFINITY}, {-INFINITY, 30}}) {
        EXPECT_TRUE(FaceShape::superellipse(w, h, 4).outline().isEmpty()) << w << " × " << h;
    }
}

namespace {

IconModel dialWithLines(std::int64_t rings, std::int64_t knurl) {
    IconModel model = ModelTemplate(ModelTemplate::dialThermostat).model();
    RevolvedBody dial = *model.parts[1].solid.revolvedBody();
    dial.details = {RevolvedDetail::rings(-13, -1, rings)};
    if (knurl > 0) dial.details.push_back(RevolvedDetail::knurl(-13, -1, knurl));
    model.parts[1].solid = Solid::revolved(dial);
    return model;
}

}  // namespace

TEST(DenseLines, RingsCloserThanAStrokeCanShowDrawTheSameDocumentAtAnyCount) {
    const std::string fiveHundred = iconSvg(dialWithLines(500, 0), Camera{});
    EXPECT_EQ(iconSvg(dialWithLines(2000, 0), Camera{}), fiveHundred);
    EXPECT_EQ(iconSvg(dialWithLines(10000, 10000), Camera{}), iconSvg(dialWithLines(4000, 4000), Camera{}));
    EXPECT_TRUE(conforms(iconSvg(dialWithLines(10000, 10000), Camera{})));
    // Rings visibly apart are each drawn.
    EXPECT_NE(iconSvg(dialWithLines(3, 0), Camera{}), iconSvg(dialWithLines(4, 0), Camera{}));
}
