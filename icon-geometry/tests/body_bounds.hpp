#pragma once

// Where a drawn body may put ink: each revolved part placed as the icon
// projector places it, and the image of the square prism around its profile.
// Shared by the tests and the drawing fuzz target.

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "icon_geometry/icon_model.hpp"
#include "icon_geometry/icon_svg.hpp"
#include "projection/icon_projector.hpp"
#include "projection/silhouette.hpp"

namespace body_bounds {

using namespace icon_geometry;

inline Rect pointRect(Vector2 p) {
    return {p.x, p.y, 0, 0};
}

// The scene as the projector sets it up for the camera: its projection and
// diagonal, and the pose of every part, in part order.
struct Scene {
    PerspectiveProjection projection;
    double diagonal;
    std::vector<Pose> poses;
};

inline std::optional<Scene> sceneOf(const IconModel& model, const Camera& camera) {
    const Rotation3& base = model.orientation.baseRotation();
    Rect extent = Rect::null();
    for (const BodyPart& part : model.parts) {
        const Pose pose{part.rotation(model.orientation), base.apply(part.offset)};
        if (const RevolvedBody* revolved = part.solid.revolvedBody()) {
            const Silhouette::PlacedRevolvedBody placed{*revolved, pose, PerspectiveProjection(Camera{}, 1), 1.0};
            for (const Vector3& c : Silhouette::boundingCorners(placed)) extent = extent.united(pointRect({c.x, c.y}));
            continue;
        }
        const ExtrudedBody& body = *part.solid.extrudedBody();
        const Rect b = body.face.outline().bounds();
        if (b.isNull() || !std::isfinite(b.width) || !std::isfinite(b.height)) continue;
        for (const double x : {b.minX(), b.maxX()})
            for (const double y : {b.minY(), b.maxY()})
                for (const double z : {0.0, body.depth}) {
                    const Vector3 p = pose.apply({x, y, z});
                    extent = extent.united(pointRect({p.x, p.y}));
                }
    }
    if (extent.isNull()) return std::nullopt;
    const double diagonal = std::hypot(extent.width, extent.height);
    if (!(diagonal > 0) || !std::isfinite(diagonal)) return std::nullopt;
    const auto centred = [diagonal](double v) { return std::abs(v) < diagonal * 1e-9 ? 0.0 : v; };
    Camera view = camera;
    if (model.orientation != Orientation::wall) view.elevationDegrees = Orientation::fixedElevation;
    const Vector3 centre{centred(extent.midX()), centred(extent.midY()), 0};
    Scene scene{IconProjector::projectionFor(model.parts, model.orientation, view, diagonal, centre), diagonal, {}};
    for (const BodyPart& part : model.parts) {
        scene.poses.push_back({part.rotation(model.orientation),
                               base.apply(part.offset) - Vector3{centred(extent.midX()), centred(extent.midY()), 0}});
    }
    return scene;
}

// The revolved parts of the model as the projector places them for the camera.
inline std::vector<Silhouette::PlacedRevolvedBody> placedRevolvedParts(const IconModel& model, const Camera& camera) {
    const std::optional<Scene> scene = sceneOf(model, camera);
    if (!scene) return {};
    std::vector<Silhouette::PlacedRevolvedBody> placed;
    for (std::size_t i = 0; i < model.parts.size(); ++i) {
        if (const RevolvedBody* revolved = model.parts[i].solid.revolvedBody())
            placed.push_back({*revolved, scene->poses[i], scene->projection, 0.25 * scene->diagonal});
    }
    return placed;
}

// The image of the prism around the profile's control polygon.
inline Rect prismImage(const Silhouette::PlacedRevolvedBody& placed) {
    Rect r = Rect::null();
    for (const Vector3& corner : Silhouette::boundingCorners(placed))
        r = r.united(pointRect(placed.projection.projectPoint(corner)));
    return r;
}

// What of the body's outline and lines leaves the image of its prism by more
// than a twentieth of the prism's image (far less than a stroke on any canvas
// the body fills); empty when nothing does. Meridians are the model's own
// drawing and need not follow the profile, so they are left out.
inline std::string strayInk(const Silhouette::PlacedRevolvedBody& placed) {
    const Rect box = prismImage(placed);
    if (box.isNull()) return {};
    const double margin = 0.05 * std::max(box.width, box.height);
    const Rect allowed{box.minX() - margin, box.minY() - margin, box.width + 2 * margin, box.height + 2 * margin};
    const auto outside = [&](const Rect& r) {
        return !r.isNull() && !(r.minX() >= allowed.minX() && r.maxX() <= allowed.maxX() &&
                                r.minY() >= allowed.minY() && r.maxY() <= allowed.maxY());
    };
    if (outside(Silhouette::revolvedOutline(placed).bounds())) return "outline";
    Silhouette::PlacedRevolvedBody withoutMeridians = placed;
    auto& details = withoutMeridians.body.details;
    details.erase(std::remove_if(details.begin(), details.end(),
                                 [](const RevolvedDetail& d) {
                                     return std::holds_alternative<RevolvedDetail::Meridian>(d.value);
                                 }),
                  details.end());
    for (const BezierPath& line : Silhouette::revolvedLines(withoutMeridians))
        if (outside(line.bounds())) return "line";
    return {};
}

inline std::string strayInk(const IconModel& model, const Camera& camera) {
    for (const Silhouette::PlacedRevolvedBody& placed : placedRevolvedParts(model, camera)) {
        std::string found = strayInk(placed);
        if (!found.empty()) return found;
    }
    return {};
}

// The image of the box around an extruded part: its face's bounds from the
// front face to the back.
inline Rect boxImage(const ExtrudedBody& body, const Pose& pose, const PerspectiveProjection& projection) {
    const Rect b = body.face.outline().bounds();
    Rect r = Rect::null();
    if (b.isNull()) return r;
    for (const double x : {b.minX(), b.maxX()})
        for (const double y : {b.minY(), b.maxY()})
            for (const double z : {0.0, body.depth})
                r = r.united(pointRect(projection.projectPoint(pose.apply({x, y, z}))));
    return r;
}

inline Rect mapped(const Rect& r, const AffineTransform& fit) {
    if (r.isNull()) return r;
    return pointRect(fit.apply({r.minX(), r.minY()})).united(pointRect(fit.apply({r.maxX(), r.maxY()})));
}

inline bool holds(const Rect& outer, const Rect& inner, double margin) {
    return inner.isNull() || (inner.minX() >= outer.minX() - margin && inner.maxX() <= outer.maxX() + margin &&
                              inner.minY() >= outer.minY() - margin && inner.maxY() <= outer.maxY() + margin);
}

// What of the extruded bodies' drawing leaves the images of their boxes: an
// outline, a face line or a detail (cables, which may hang off the face, left
// out) whose centre line or edge lies more than half a canvas unit outside, or
// ink of the icon outside every box by more than half an outer stroke. Empty
// when nothing does; models whose parts measure nothing draw nothing.
inline std::string strayDetails(const IconModel& model, const Camera& camera) {
    const std::optional<Scene> scene = sceneOf(model, camera);
    if (!scene) return {};
    std::vector<std::optional<IconProjector::Projected>> projected;
    Rect fitted = Rect::null();
    for (std::size_t i = 0; i < model.parts.size(); ++i) {
        if (const RevolvedBody* revolved = model.parts[i].solid.revolvedBody()) {
            const Silhouette::PlacedRevolvedBody placed{*revolved, scene->poses[i], scene->projection,
                                                        0.25 * scene->diagonal};
            fitted = fitted.united(Silhouette::revolvedOutline(placed).bounds());
            projected.emplace_back();
            continue;
        }
        const ExtrudedBody& body = *model.parts[i].solid.extrudedBody();
        const Rect b = body.face.outline().bounds();
        if (b.isNull() || !std::isfinite(b.width) || !std::isfinite(b.height)) {
            projected.emplace_back();
            continue;
        }
        projected.push_back(
            IconProjector::projectExtruded(body, scene->diagonal / 12, scene->poses[i], scene->projection));
        fitted = fitted.united(projected.back()->silhouette.bounds()).united(projected.back()->extraBounds);
    }
    if (fitted.isNull()) return {};
    const double side = std::fmax(fitted.width, fitted.height);
    if (!(side > 0) || !std::isfinite(side)) return {};
    const double scale = Canvas::fittedSize / side;
    const AffineTransform fit = AffineTransform::translation(Canvas::centre, Canvas::centre)
                                    .scaledBy(scale, scale)
                                    .translatedBy(-fitted.midX(), -fitted.midY());

    Rect boxes = Rect::null();
    bool hangsFree = false;
    for (std::size_t i = 0; i < model.parts.size(); ++i) {
        if (const RevolvedBody* revolved = model.parts[i].solid.revolvedBody()) {
            const Silhouette::PlacedRevolvedBody placed{*revolved, scene->poses[i], scene->projection,
                                                        0.25 * scene->diagonal};
            boxes = boxes.united(mapped(prismImage(placed), fit));
            continue;
        }
        if (!projected[i]) continue;
        const ExtrudedBody& body = *model.parts[i].solid.extrudedBody();
        const Rect box = boxImage(body, scene->poses[i], scene->projection);
        boxes = boxes.united(mapped(box, fit));
        const double margin = 0.5 / scale;
        if (!holds(box, projected[i]->silhouette.bounds(), margin)) return "outline";
        for (const IconElement& element : projected[i]->elements)
            if (!holds(box, element.path().bounds(), margin)) return "face line";
        // The finished elements: the bevel, then each detail's elements in order.
        const std::vector<IconElement> finished = projected[i]->finish(scale);
        std::size_t next = finished.size();
        for (auto d = body.details.rbegin(); d != body.details.rend(); ++d) {
            const std::size_t count = d->geometry(scale / scene->projection.distance).size();
            if (count > next) break;
            next -= count;
            const bool cable = std::holds_alternative<FaceDetail::Cable>(d->value);
            hangsFree = hangsFree || cable;
            for (std::size_t k = next; k < next + count && !cable; ++k)
                if (!holds(box, finished[k].path().bounds(), margin)) return "detail";
        }
    }
    if (hangsFree || boxes.isNull()) return {};
    const IconDrawing drawing = iconDrawing(model, camera);
    for (const BezierPath& ink : drawing.path())
        if (!holds(boxes, ink.bounds(), StrokeWeight::outerWidth / 2 + 0.5)) return "ink";
    return {};
}

}  // namespace body_bounds
