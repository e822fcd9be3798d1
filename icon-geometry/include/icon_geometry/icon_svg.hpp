#pragma once

// The icon of a model: its parts projected through the camera, drawn, and
// written as the 960 × 960 document. Never fails.

#include <string>

#include "icon_geometry/camera.hpp"
#include "icon_geometry/icon_drawing.hpp"
#include "icon_geometry/icon_model.hpp"

namespace icon_geometry {

// The drawing, through the model's own camera when it has one, else `camera`.
[[nodiscard]] IconDrawing iconDrawing(const IconModel& model, const Camera& camera);
// The icon document of that drawing.
[[nodiscard]] std::string iconSvg(const IconModel& model, const Camera& camera);

}  // namespace icon_geometry
