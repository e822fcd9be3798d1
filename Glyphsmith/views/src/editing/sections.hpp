#pragma once

// The contents of the inspector's sections, one file each, listed in order by
// inspector_sections.cpp. Each builds its widgets for one editor and follows
// that editor's and the store's change signals.

#include <QWidget>

#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/project_store.hpp"

namespace glyphsmith_views {

// The place of a section whose content is not built yet.
QWidget* emptySection();

// The compliance report (with its own header) and the compliance trigger.
QWidget* makeComplianceSection(glyphsmith_state::ProjectStore& store, glyphsmith_state::DriverEditor& editor);
QWidget* makeObjectSection(glyphsmith_state::ProjectStore& store, glyphsmith_state::DriverEditor& editor);
QWidget* makeFaceShapeSection(glyphsmith_state::ProjectStore& store, glyphsmith_state::DriverEditor& editor);
QWidget* makeProjectionSection(glyphsmith_state::ProjectStore& store, glyphsmith_state::DriverEditor& editor);
QWidget* makeDetailsSection(glyphsmith_state::ProjectStore& store, glyphsmith_state::DriverEditor& editor);
QWidget* makePhotosSection(glyphsmith_state::ProjectStore& store, glyphsmith_state::DriverEditor& editor);
QWidget* makeDriverImagesSection(glyphsmith_state::ProjectStore& store, glyphsmith_state::DriverEditor& editor);

}  // namespace glyphsmith_views
