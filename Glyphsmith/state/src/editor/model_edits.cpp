#include "model_edits.hpp"

#include <algorithm>

#include "face_shapes.hpp"

namespace glyphsmith_state {

using icon_geometry::BodyPart;
using icon_geometry::ExtrudedBody;
using icon_geometry::FaceDetail;
using icon_geometry::FaceShape;
using icon_geometry::IconModel;
using icon_geometry::RevolvedBody;
using icon_geometry::RevolvedDetail;
using icon_geometry::Solid;
using icon_geometry::Vector2;

namespace {

// The main body's front size, after which new parts are sized.
FaceSize mainBodySize(const IconModel& model) {
    if (model.parts.empty()) return {86, 86};
    const Solid& solid = model.parts.front().solid;
    if (const ExtrudedBody* body = solid.extrudedBody()) {
        const icon_geometry::Rect box = outlineBox(body->face);
        return {box.width, box.height};
    }
    const RevolvedBody& body = *solid.revolvedBody();
    const double diameter = body.diameter();
    return {diameter, body.axis == RevolvedBody::Axis::vertical ? body.height() : diameter};
}

}  // namespace

void useBrandCamera(IconModel& model, bool uses) {
    if (uses) {
        model.camera.reset();
    } else {
        model.camera = model.camera.value_or(icon_geometry::Camera::defaultCamera());
    }
}

void setBevel(ExtrudedBody& body, bool bevel) {
    if (bevel) {
        body.bevel = body.bevel.value_or(ExtrudedBody::defaultBevel);
    } else {
        body.bevel.reset();
    }
}

std::optional<std::size_t> detailIndex(const ExtrudedBody& body, std::optional<int> index) {
    if (!index || *index < 0 || static_cast<std::size_t>(*index) >= body.details.size()) return std::nullopt;
    return static_cast<std::size_t>(*index);
}

std::size_t addDetail(ExtrudedBody& body, DetailTemplate detailTemplate, Vector2 point) {
    const icon_geometry::Rect box = outlineBox(body.face);
    body.details.push_back(detailTemplate.makeDetail(point, box.width, box.height));
    return body.details.size() - 1;
}

void moveDetailCenter(ExtrudedBody& body, std::size_t index, double x, double y) {
    FaceDetail& detail = body.details[index];
    const Vector2 c = detail.center();
    detail = detail.translated(x - c.x, y - c.y);
}

IconModel modelFromTemplate(icon_geometry::ModelTemplate modelTemplate,
                            const std::optional<icon_geometry::Camera>& camera) {
    IconModel model = modelTemplate.model();
    model.camera = camera;
    return model;
}

BodyPart partFromTemplate(PartTemplate partTemplate, const IconModel& model) {
    const auto [w, h] = mainBodySize(model);
    const double m = std::min(w, h);
    switch (partTemplate.value) {
        case PartTemplate::box: {
            ExtrudedBody body;
            body.face = FaceShape::roundedRectangle(0.5 * w, 0.4 * h, 0.06 * m);
            body.depth = 0.12 * m;
            return {Solid::extruded(std::move(body)), {0.75 * w + 0.05 * m, 0, 0}, 0};
        }
        case PartTemplate::knob: {
            const double r = 0.3 * m;
            return {Solid::revolved(RevolvedBody::cylinder(r, -0.6 * r, 0, RevolvedBody::Axis::depth,
                                                           {RevolvedDetail::knurl(-0.5 * r, -0.05 * r, 60)})),
                    {0, 0, 0},
                    0};
        }
        case PartTemplate::cylinder: {
            const double r = 0.2 * m;
            return {Solid::revolved(RevolvedBody::cylinder(r, -1.5 * r, 0, RevolvedBody::Axis::vertical, {})),
                    {0, -0.5 * h, 0},
                    0};
        }
    }
    return {};
}

std::vector<double> partDimensions(const BodyPart& part) {
    if (const ExtrudedBody* body = part.solid.extrudedBody()) {
        const icon_geometry::Rect box = outlineBox(body->face);
        return {box.width, box.height, body->depth};
    }
    const RevolvedBody& body = *part.solid.revolvedBody();
    return {body.diameter(), body.height()};
}

void setPartDimension(BodyPart& part, int which, double value) {
    if (RevolvedBody* body = part.solid.revolvedBody()) {
        *body = which == 0 ? body->scaled(value / std::max(body->diameter(), 1e-9), 1)
                           : body->scaled(1, value / std::max(body->height(), 1e-9));
        return;
    }
    ExtrudedBody& body = *part.solid.extrudedBody();
    const icon_geometry::Rect box = outlineBox(body.face);
    if (which == 0) {
        body.face = body.face.scaled(value / std::max(box.width, 1e-9), 1);
    } else if (which == 1) {
        body.face = body.face.scaled(1, value / std::max(box.height, 1e-9));
    } else {
        body.depth = value;
    }
}

}  // namespace glyphsmith_state
