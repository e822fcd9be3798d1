#pragma once

// The two contents of the sidebar column, one file each.

#include <QWidget>

namespace glyphsmith_views {

class GlyphsmithApp;

// Without a project: opening a Homey app and the recent projects.
QWidget* makeProjectSidebar(GlyphsmithApp& app, QWidget* parent);
// With a project: its drivers with the state of their artwork, selectable.
QWidget* makeDriverList(GlyphsmithApp& app, QWidget* parent);

}  // namespace glyphsmith_views
