#include "glyphsmith_state/driver_editor.hpp"
#include "model_edits.hpp"

namespace glyphsmith_state {

using icon_geometry::BodyPart;
using icon_geometry::ExtrudedBody;
using icon_geometry::FaceShape;
using icon_geometry::IconModel;
using icon_geometry::RevolvedBody;
using icon_geometry::RevolvedDetail;
using icon_geometry::Solid;
using icon_geometry::Vector3;

namespace {

// The smallest dimension a part may be given, excluded, and the largest, included.
constexpr double smallestDimension = 0.1;
constexpr double largestDimension = 10000;
constexpr double largestOffset = 10000;
constexpr double largestTurn = 60;

struct FrontSize {
    double width;
    double height;
};

// The main body's front size, after which new parts are sized.
FrontSize mainBodySize(const IconModel& model) {
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

BodyPart partFromTemplate(PartTemplate partTemplate, FrontSize size) {
    const double w = size.width;
    const double h = size.height;
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

}  // namespace

bool DriverEditor::isPartIndex(int index) const {
    return index >= 0 && static_cast<std::size_t>(index) < model_.parts.size();
}

void DriverEditor::applyTemplate(icon_geometry::ModelTemplate modelTemplate) {
    const bool applied = changeModel([&](IconModel& model) {
        const std::optional<icon_geometry::Camera> camera = model.camera;
        model = modelTemplate.model();
        model.camera = camera;
    });
    if (!applied) return;
    setSelectedDetail(std::nullopt);
    setSelectedPart(std::nullopt);
}

void DriverEditor::addPart(PartTemplate partTemplate) {
    const bool added = changeModel(
        [&](IconModel& model) { model.parts.push_back(partFromTemplate(partTemplate, mainBodySize(model))); });
    if (added) setSelectedPart(static_cast<int>(model_.parts.size() - 1));
}

void DriverEditor::removePart(int index) {
    if (index < 1 || !isPartIndex(index)) return;
    const bool removed = changeModel(
        [&](IconModel& model) { model.parts.erase(model.parts.begin() + static_cast<std::ptrdiff_t>(index)); });
    if (removed) setSelectedPart(std::nullopt);
}

Vector3 DriverEditor::partOffset(int index) const {
    return isPartIndex(index) ? model_.parts[static_cast<std::size_t>(index)].offset : Vector3{0, 0, 0};
}

void DriverEditor::setPartOffset(int index, double x, double y, double z) {
    // One component out of range leaves the whole offset as it was.
    const auto allowed = [](double v) { return std::abs(v) <= largestOffset; };
    if (!(allowed(x) && allowed(y) && allowed(z))) return;
    changePart(index, [&](BodyPart& part) { part.offset = {x, y, z}; });
}

double DriverEditor::partTurn(int index) const {
    return isPartIndex(index) ? model_.parts[static_cast<std::size_t>(index)].turn : 0;
}

void DriverEditor::setPartTurn(int index, double degrees) {
    if (!std::isfinite(degrees)) return;
    changePart(index, [&](BodyPart& part) { part.turn = std::min(std::max(degrees, -largestTurn), largestTurn); });
}

std::vector<double> DriverEditor::partDimensions(int index) const {
    if (!isPartIndex(index)) return {};
    const Solid& solid = model_.parts[static_cast<std::size_t>(index)].solid;
    if (const ExtrudedBody* body = solid.extrudedBody()) {
        const icon_geometry::Rect box = outlineBox(body->face);
        return {box.width, box.height, body->depth};
    }
    const RevolvedBody& body = *solid.revolvedBody();
    return {body.diameter(), body.height()};
}

void DriverEditor::setPartDimension(int which, int index, double value) {
    // NaN fails both comparisons.
    if (!(value > smallestDimension && value <= largestDimension)) return;
    changePart(index, [&](BodyPart& part) {
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
    });
}

}  // namespace glyphsmith_state
