#pragma once

// The one way to follow the store's current editor: `follow` runs with the
// current editor now, and again each time another one becomes current. Before
// it runs again, every connection from the editor before to `receiver` is
// dropped, whoever made it: a follower writes what it connects, never what it
// disconnects. The following ends with `receiver`.

#include <QObject>
#include <functional>

#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/project_store.hpp"

namespace glyphsmith_state {

void followCurrentEditor(ProjectStore& store, QObject* receiver, std::function<void(DriverEditor&)> follow);

}  // namespace glyphsmith_state
