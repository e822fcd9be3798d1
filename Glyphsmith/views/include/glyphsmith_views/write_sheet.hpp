#pragma once

// The sheet that confirms a driver write: the planned files, the photograph
// confirmation when driver images are written, and the write itself. Shown by
// the main window while the store's `pendingWrite` is present.

#include <QDialog>

#include "glyphsmith_state/project_store.hpp"

namespace glyphsmith_views {

// A window-modal dialog over `parent`, not yet shown. Its buttons clear the
// plan or have the store write it; the main window clears the plan on any other
// dismissal.
QDialog* makeWriteSheet(glyphsmith_state::ProjectStore& store, QWidget* parent);

}  // namespace glyphsmith_views
