#pragma once

// What a driver's editor holds, as the files written into the project.

#include "glyphsmith_state/driver_editor.hpp"
#include "homey_project/driver_package_writer.hpp"
#include "icon_geometry/camera.hpp"

namespace glyphsmith_state {

// The icon drawn with the brand camera (when the model has none of its own),
// the driver images, the model, the face photo under its stored name, four
// corners when there are four, and the brand camera.
homey_project::DriverPackage driverPackageOf(const DriverEditor& editor, const icon_geometry::Camera& brandCamera);

}  // namespace glyphsmith_state
