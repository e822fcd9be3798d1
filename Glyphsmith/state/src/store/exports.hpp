#pragma once

// The exports of an editor's icon, images and model to files the user chose,
// each file replaced atomically; and the reading of a model file. Each gives
// the failure to show, or nothing.

#include <QString>
#include <optional>

#include "glyphsmith_state/app_error.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "icon_geometry/camera.hpp"
#include "icon_geometry/icon_model.hpp"

namespace glyphsmith_state {

// The icon document of the model, drawn with `camera` when it has none of its own.
std::optional<AppError> exportIconSvg(const icon_geometry::IconModel& model, const icon_geometry::Camera& camera,
                                      const QString& file);
// small.png, large.png and xlarge.png into the folder, in that order, stopping
// at the first failure; noPhoto without images.
std::optional<AppError> exportDriverImages(const DriverEditor::DriverImages& images, const QString& folder);
// The model's JSON form, pretty-printed with sorted keys; a model that would not
// read back is not written.
std::optional<AppError> exportIconModel(const icon_geometry::IconModel& model, const QString& file);
// The model in the file, through the bounded reader and the guarded decoder;
// nothing when either refuses it.
std::optional<icon_geometry::IconModel> readIconModel(const QString& file);

}  // namespace glyphsmith_state
