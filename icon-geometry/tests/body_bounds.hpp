#pragma once

// Where a drawn body may put ink: each revolved part placed as the icon
// projector places it, and the image of the square prism around its profile.
// Shared by the tests and the drawing fuzz target.

#include <algorithm>
#include <cmath>
#include <string>
#include <variant>
#include <vector>

#include "icon_geometry/icon_model.hpp"
#include "projection/silhouette.hpp"

namespace body_bounds {

using namespace icon_geometry;

inline Rect pointRect(Vector2 p) {
    return {p.x, p.y, 0, 0};
}

// The revolved parts of the model as the projector places them for the camera.
inline std::vector<Silhouette::PlacedRevolvedBody> placedRevolvedParts(const IconModel& model, const Camera& camera) {
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
    if (extent.isNull()) return {};
    const double diagonal = std::hypot(extent.width, extent.height);
    if (!(diagonal > 0) || !std::isfinite(diagonal)) return {};
    const auto centred = [diagonal](double v) { return std::abs(v) < diagonal * 1e-9 ? 0.0 : v; };
    Camera view = camera;
    if (model.orientation != Orientation::wall) view.elevationDegrees = Orientation::fixedElevation;
    const PerspectiveProjection projection(view, diagonal);
    std::vector<Silhouette::PlacedRevolvedBody> placed;
    for (const BodyPart& part : model.parts) {
        const Pose pose{part.rotation(model.orientation),
                        base.apply(part.offset) - Vector3{centred(extent.midX()), centred(extent.midY()), 0}};
        if (const RevolvedBody* revolved = part.solid.revolvedBody())
            placed.push_back({*revolved, pose, projection, 0.25 * diagonal});
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

}  // namespace body_bounds
