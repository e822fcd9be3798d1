#include "glyphsmith_state/follow_current_editor.hpp"

#include <QPointer>
#include <memory>

namespace glyphsmith_state {

void followCurrentEditor(ProjectStore& store, QObject* receiver,
                         std::function<void(DriverEditor& editor, QObject& context)> follow) {
    // A child of the receiver, so that it also goes, with its connections, when the receiver does.
    auto context = std::make_shared<QPointer<QObject>>();
    const auto followCurrent = [&store, receiver, context, follow = std::move(follow)] {
        // Deleted at once, not later: the editor before must reach none of its follower's slots from now on.
        delete context->data();
        *context = new QObject(receiver);
        follow(store.currentEditor(), **context);
    };
    QObject::connect(&store, &ProjectStore::currentEditorChanged, receiver, followCurrent);
    followCurrent();
}

}  // namespace glyphsmith_state
