#pragma once

// The one way to follow the store's current editor: `follow` runs with the
// current editor now, and again each time another one becomes current, with a
// context object that lives as long as that editor stays current. A follower
// connects the editor's signals with that context as their receiver: when the
// next editor becomes current the context is deleted, and with it exactly the
// connections the follower made for the editor before. Any other connection,
// of `receiver` or of anyone, stays. The following ends with `receiver`.

#include <QObject>
#include <functional>

#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/project_store.hpp"

namespace glyphsmith_state {

void followCurrentEditor(ProjectStore& store, QObject* receiver,
                         std::function<void(DriverEditor& editor, QObject& context)> follow);

}  // namespace glyphsmith_state
