#pragma once

// The menu bar of the main window: "Fichier", "Aperçu" and "Aide", made of the
// registry's actions.

namespace glyphsmith_views {

class MainWindow;

void installAppMenus(MainWindow& window);

}  // namespace glyphsmith_views
