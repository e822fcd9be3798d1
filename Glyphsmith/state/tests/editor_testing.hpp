#pragma once

// Models the editor tests start from.

#include "icon_geometry/icon_model.hpp"
#include "icon_geometry/model_template.hpp"

namespace editor_testing {

// One extruded body with the given face, 20 mm deep.
inline icon_geometry::IconModel modelWithFace(icon_geometry::FaceShape face) {
    icon_geometry::ExtrudedBody body;
    body.face = std::move(face);
    body.depth = 20;
    return icon_geometry::IconModel::withSingleBody(std::move(body));
}

inline icon_geometry::IconModel roundedRectangleModel(double width, double height, double radius = 4) {
    return modelWithFace(icon_geometry::FaceShape::roundedRectangle(width, height, radius));
}

// A bulb: its main body is revolved.
inline icon_geometry::IconModel revolvedModel() {
    return icon_geometry::ModelTemplate(icon_geometry::ModelTemplate::bulb).model();
}

}  // namespace editor_testing
