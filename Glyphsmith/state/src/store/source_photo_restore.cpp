#include "source_photo_restore.hpp"

namespace glyphsmith_state {

void restoreStoredFacePhoto(DriverEditor& editor, const QString& path, std::vector<icon_geometry::Vector2> corners) {
    // TODO(store): connect to the editor's loadSourcePhoto once the editor loads photos.
    (void)editor;
    (void)path;
    (void)corners;
}

}  // namespace glyphsmith_state
