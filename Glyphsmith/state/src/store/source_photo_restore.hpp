#pragma once

#include <QString>
#include <vector>

#include "glyphsmith_state/driver_editor.hpp"
#include "icon_geometry/vector.hpp"

namespace glyphsmith_state {

// Hands a driver's stored face photo and corners to its editor, which loads the
// photo in its own tasks, counts it as written and keeps four corners that lie
// on it.
void restoreStoredFacePhoto(DriverEditor& editor, const QString& path, std::vector<icon_geometry::Vector2> corners);

}  // namespace glyphsmith_state
