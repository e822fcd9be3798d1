#include "projection/icon_projector.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <optional>
#include <variant>

#include "icon_geometry/icon_svg.hpp"
#include "icon_geometry/svg_writer.hpp"
#include "platform/platform_path.hpp"
#include "projection/silhouette.hpp"
#include "projection/working_frame.hpp"

namespace icon_geometry {
namespace {

constexpr double fittedSize = Canvas::fittedSize;
constexpr double canvasCentre = Canvas::centre;
// Rings and knurl lines closer together than this on the canvas are thinned: a
// quarter of the inner stroke, so that neighbours still overlap deeply and the
// round ends of a band of them leave scallops about a third of a unit deep.
constexpr double lineSpacingOnCanvas = 5;

Rect pointRect(Vector3 p) {
    return {p.x, p.y, 0, 0};
}

// A face that draws nothing has no place in the scene.
bool hasOutline(const Rect& bounds) {
    return !bounds.isNull() && std::isfinite(bounds.width) && std::isfinite(bounds.height);
}

// The extent of all posed parts seen straight on.
Rect modelExtent(const std::vector<BodyPart>& parts, Orientation orientation) {
    const Rotation3& base = orientation.baseRotation();
    Rect extent = Rect::null();
    for (const BodyPart& part : parts) {
        const Pose pose{part.rotation(orientation), base.apply(part.offset)};
        if (const RevolvedBody* revolved = part.solid.revolvedBody()) {
            const Silhouette::PlacedRevolvedBody placed{*revolved, pose, PerspectiveProjection(Camera{}, 1), 1.0};
            for (const Vector3& corner : Silhouette::boundingCorners(placed)) extent = extent.united(pointRect(corner));
            continue;
        }
        const ExtrudedBody& body = *part.solid.extrudedBody();
        const Rect bounds = body.face.outline().bounds();
        if (!hasOutline(bounds)) continue;
        if (orientation == Orientation::wall && part.turn == 0) {
            extent = extent.united(bounds.offsetBy(part.offset.x, part.offset.y));
            continue;
        }
        for (const double x : {bounds.minX(), bounds.maxX()})
            for (const double y : {bounds.minY(), bounds.maxY()})
                for (const double z : {0.0, body.depth}) extent = extent.united(pointRect(pose.apply({x, y, z})));
    }
    return extent;
}

// Every corner of the posed parts' boxes, in three dimensions.
std::vector<Vector3> posedCorners(const std::vector<BodyPart>& parts, Orientation orientation) {
    const Rotation3& base = orientation.baseRotation();
    std::vector<Vector3> corners;
    for (const BodyPart& part : parts) {
        const Pose pose{part.rotation(orientation), base.apply(part.offset)};
        if (const RevolvedBody* revolved = part.solid.revolvedBody()) {
            const Silhouette::PlacedRevolvedBody placed{*revolved, pose, PerspectiveProjection(Camera{}, 1), 1.0};
            for (const Vector3& corner : Silhouette::boundingCorners(placed)) corners.push_back(corner);
            continue;
        }
        const ExtrudedBody& body = *part.solid.extrudedBody();
        const Rect bounds = body.face.outline().bounds();
        if (!hasOutline(bounds)) continue;
        for (const double x : {bounds.minX(), bounds.maxX()})
            for (const double y : {bounds.minY(), bounds.maxY()})
                for (const double z : {0.0, body.depth}) corners.push_back(pose.apply({x, y, z}));
    }
    return corners;
}

}  // namespace

// The camera stands a number of diagonals of the model's front extent away,
// which says nothing of how far the model reaches toward it: a long, thin body
// along the depth axis can reach the eye, and a perspective through it flips.
// The camera then backs off until every corner lies at least half its distance
// in front of the eye. Models that stay clear of that, as every ordinary one
// does, are seen exactly as before.
PerspectiveProjection IconProjector::projectionFor(const std::vector<BodyPart>& parts, Orientation orientation,
                                                   const Camera& view, double diagonal, Vector3 centre) {
    const PerspectiveProjection projection(view, diagonal);
    double needed = 0;
    for (const Vector3& c : posedCorners(parts, orientation)) {
        const Vector3 p = c - centre;
        const double towardEye = -(p.z * projection.cosYaw + p.x * projection.sinYaw);
        if (std::isfinite(towardEye)) needed = std::fmax(needed, 2 * towardEye);
    }
    if (!(needed > projection.distance)) return projection;
    return PerspectiveProjection(view, diagonal * (needed / projection.distance));
}

namespace {

// A face detail draws only on its face: what of it reaches past the face is cut
// away before projecting, so that a separator placed far off the body neither
// draws in the air nor floods the canvas. The face is grown by a hair first, so
// that details ending on its edge are kept as they are.
class FaceClip {
public:
    explicit FaceClip(const BezierPath& outline) {
        const std::optional<WorkingFrame> frame = workingFrame(outline.bounds());
        if (!frame) return;
        in_ = frame->in;
        out_ = frame->out;
        face_ = Region::filled(outline.applying(in_), FillRule::evenOdd).offsetBy(edgeAllowance);
        if (face_.failed() || face_.isEmpty()) return;
        // A convex face holds every box whose corners it holds: most details
        // are known to lie on it from the corners of their bounds alone.
        const std::vector<Region::Polygon>& rings = face_.polygons();
        convex_ = rings.size() == 1 && isConvex(rings.front());
        usable_ = true;
    }

    IconElement clipped(const IconElement& element) const {
        if (!usable_) return element;
        const BezierPath path = element.path().applying(in_);
        if (convex_ && holdsBox(path.bounds())) return element;
        if (element.asStroke()) {
            const std::optional<BezierPath> inside = face_.linesInside(path);
            return inside ? element.withPath(inside->applying(out_)) : element;
        }
        const Region ink = Region::filled(path, FillRule::evenOdd);
        const Region outside = ink.subtracting(face_);
        if (ink.failed() || outside.failed() || outside.isEmpty()) return element;
        const Region kept = ink.intersecting(face_);
        return kept.failed() ? element : element.withPath(kept.outline().applying(out_));
    }

private:
    // The face is grown by a twentieth of a unit of the working frame.
    static constexpr double edgeAllowance = 0.05;

    static bool isConvex(const Region::Polygon& ring) {
        const std::size_t n = ring.size();
        bool left = false, right = false;
        for (std::size_t i = 0; i < n; ++i) {
            const Region::Point& a = ring[i];
            const Region::Point& b = ring[(i + 1) % n];
            const Region::Point& c = ring[(i + 2) % n];
            const double cross = static_cast<double>(b.x - a.x) * static_cast<double>(c.y - b.y) -
                                 static_cast<double>(b.y - a.y) * static_cast<double>(c.x - b.x);
            left = left || cross > 0;
            right = right || cross < 0;
        }
        return !(left && right);
    }

    bool holdsBox(const Rect& box) const {
        if (box.isNull()) return true;
        return face_.contains({box.minX(), box.minY()}) && face_.contains({box.maxX(), box.minY()}) &&
               face_.contains({box.minX(), box.maxY()}) && face_.contains({box.maxX(), box.maxY()});
    }

    AffineTransform in_, out_;
    Region face_;
    bool convex_ = false;
    bool usable_ = false;
};

std::vector<IconElement> extrudedFinish(bool faceVisible, const ExtrudedBody& body,
                                        const PerspectiveProjection& projection, double step, const Pose& pose,
                                        double scale) {
    std::vector<IconElement> elements;
    if (!faceVisible) return elements;
    if (body.bevel) {
        const BezierPath inset = body.face.inset(*body.bevel * projection.distance / scale).outline();
        elements.push_back(
            IconElement::stroke(projection.projectPosedPath(inset, pose, 0, step), StrokeWeight::inner()));
    }
    const double millimetre = scale / projection.distance;
    std::optional<FaceClip> onTheFace;
    for (const FaceDetail& detail : body.details) {
        // A cable may hang off the face; the fit makes room for it.
        const bool hangsFree = std::holds_alternative<FaceDetail::Cable>(detail.value);
        for (IconElement element : detail.geometry(millimetre)) {
            if (!hangsFree) {
                if (!onTheFace) onTheFace.emplace(body.face.outline());
                element = onTheFace->clipped(element);
            }
            elements.push_back(element.withPath(projection.projectPosedPath(element.path(), pose, 0, step)));
        }
    }
    return elements;
}

}  // namespace

IconProjector::Projected IconProjector::projectExtruded(const ExtrudedBody& body, double curveStep, const Pose& pose,
                                                        const PerspectiveProjection& projection) {
    Projected projected;
    const BezierPath outline = body.face.outline();
    const BezierPath front = projection.projectPosedPath(outline, pose, 0, curveStep);
    const BezierPath back = projection.projectPosedPath(outline, pose, body.depth, curveStep);
    projected.silhouette = Silhouette::outlineBetween({front, back});

    const Vector3 eye = projection.eyePosition();
    const Vector3 p0 = pose.apply({0, 0, 0});
    const Vector3 p1 = pose.apply({0, 0, -1});
    const bool faceVisible = (eye - p0).dot(p1 - p0) > 0;
    const BezierPath& face = faceVisible ? front : back;

    for (const double g : body.grooves) {
        projected.elements.push_back(IconElement::stroke(
            projection.projectPosedPath(outline, pose, body.depth * g, curveStep), StrokeWeight::inner()));
    }
    if (!body.grooves.empty()) projected.elements.push_back(IconElement::hole(face));
    projected.elements.push_back(IconElement::stroke(projected.silhouette, StrokeWeight::outer()));
    projected.elements.push_back(IconElement::stroke(face, StrokeWeight::inner()));

    if (faceVisible) {
        for (const FaceDetail& detail : body.details) {
            if (!std::holds_alternative<FaceDetail::Cable>(detail.value)) continue;
            for (const IconElement& element : detail.geometry(1.0)) {
                if (!element.asStroke()) continue;
                projected.extraBounds = projected.extraBounds.united(
                    projection.projectPosedPath(element.path(), pose, 0, curveStep).bounds());
            }
        }
    }
    projected.depthKey = (eye - pose.apply({0, 0, body.depth * 0.5})).length();
    projected.finish = [faceVisible, body, projection, curveStep, pose](double scale) {
        return extrudedFinish(faceVisible, body, projection, curveStep, pose, scale);
    };
    return projected;
}

std::vector<IconBody> IconProjector::project() const {
    const Rect extent = modelExtent(parts, orientation);
    if (extent.isNull()) return {};
    const double diagonal = std::hypot(extent.width, extent.height);
    if (!(diagonal > 0) || !std::isfinite(diagonal)) return {};
    const auto centred = [diagonal](double v) { return std::abs(v) < diagonal * 1e-9 ? 0.0 : v; };
    const double cx = centred(extent.midX());
    const double cy = centred(extent.midY());

    Camera view = camera;
    if (orientation != Orientation::wall) view.elevationDegrees = Orientation::fixedElevation;
    const PerspectiveProjection projection = projectionFor(parts, orientation, view, diagonal, Vector3{cx, cy, 0});
    const Rotation3& base = orientation.baseRotation();

    std::vector<Projected> projected;
    projected.reserve(parts.size());
    for (const BodyPart& part : parts) {
        const Pose pose{part.rotation(orientation), base.apply(part.offset) - Vector3{cx, cy, 0}};
        if (const RevolvedBody* revolved = part.solid.revolvedBody()) {
            const Silhouette::PlacedRevolvedBody placed{*revolved, pose, projection, 0.25 * diagonal};
            Projected body;
            body.silhouette = Silhouette::revolvedOutline(placed);
            body.elements.push_back(IconElement::stroke(body.silhouette, StrokeWeight::outer()));
            body.depthKey = Silhouette::depthKey(placed);
            // The lines wait for the fit's scale, which tells how close together
            // they may lie before a stroke can no longer show them apart.
            body.finish = [placed](double scale) {
                Silhouette::PlacedRevolvedBody spaced = placed;
                spaced.lineSpacing = lineSpacingOnCanvas / scale;
                std::vector<IconElement> lines;
                for (BezierPath& line : Silhouette::revolvedLines(spaced))
                    lines.push_back(IconElement::stroke(std::move(line), StrokeWeight::inner()));
                return lines;
            };
            projected.push_back(std::move(body));
            continue;
        }
        const ExtrudedBody& body = *part.solid.extrudedBody();
        if (!hasOutline(body.face.outline().bounds())) continue;
        projected.push_back(projectExtruded(body, diagonal / 12, pose, projection));
    }

    Rect fitted = Rect::null();
    for (const Projected& body : projected) fitted = fitted.united(body.silhouette.bounds()).united(body.extraBounds);
    if (fitted.isNull()) return {};
    const double side = std::fmax(fitted.width, fitted.height);
    if (!(side > 0) || !std::isfinite(side)) return {};
    const double scale = fittedSize / side;
    const AffineTransform fit = AffineTransform::translation(canvasCentre, canvasCentre)
                                    .scaledBy(scale, scale)
                                    .translatedBy(-fitted.midX(), -fitted.midY());

    // Farther bodies first; equal keys keep their part order.
    const auto key = [&](std::size_t i) {
        const double k = projected[i].depthKey;
        return std::isnan(k) ? -std::numeric_limits<double>::infinity() : k;
    };
    std::vector<std::size_t> order(projected.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return key(a) > key(b); });

    std::vector<IconBody> bodies;
    bodies.reserve(order.size());
    for (const std::size_t i : order) {
        const Projected& body = projected[i];
        IconBody out;
        for (const IconElement& element : body.elements) out.elements.push_back(element.applying(fit));
        if (body.finish) {
            for (const IconElement& element : body.finish(scale)) out.elements.push_back(element.applying(fit));
        }
        out.occluder = body.silhouette.applying(fit);
        bodies.push_back(std::move(out));
    }
    return bodies;
}

IconDrawing iconDrawing(const IconModel& model, const Camera& fallback) {
    const IconProjector projector{model.parts, model.orientation, model.camera.value_or(fallback)};
    return IconDrawing{projector.project()};
}

std::string iconSvg(const IconModel& model, const Camera& fallback) {
    return SVGWriter::drawingDocument(iconDrawing(model, fallback));
}

}  // namespace icon_geometry
