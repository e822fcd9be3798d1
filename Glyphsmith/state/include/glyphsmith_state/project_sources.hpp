#pragma once

// A driver's authoring sources as the app restores them: the stored face photo
// ("photo-face." and its extension) and its corners ("coins-face.json").

#include <QString>
#include <optional>
#include <string_view>
#include <vector>

#include "homey_project/homey_app.hpp"
#include "icon_geometry/vector.hpp"

namespace glyphsmith_state {

// The driver's stored face photo: among the regular files of its sources folder
// (a link or a folder of that name is passed over) named "photo-face" with any
// one extension, the first by name in byte order. Nothing when the folder cannot
// be listed or holds none.
std::optional<QString> storedFacePhotoPath(const homey_project::HomeyApp& app, std::string_view driverID);

// The stored face corners, through the guarded decoder; the empty list when the
// file cannot be read or decoded.
std::vector<icon_geometry::Vector2> storedFaceCorners(const homey_project::HomeyApp& app, std::string_view driverID);

}  // namespace glyphsmith_state
