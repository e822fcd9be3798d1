#include "glyphsmith_state/follow_current_editor.hpp"

#include <QPointer>
#include <memory>

namespace glyphsmith_state {

void followCurrentEditor(ProjectStore& store, QObject* receiver, std::function<void(DriverEditor&)> follow) {
    auto followed = std::make_shared<QPointer<DriverEditor>>();
    const auto followCurrent = [&store, receiver, followed, follow = std::move(follow)] {
        if (*followed) QObject::disconnect(*followed, nullptr, receiver, nullptr);
        *followed = &store.currentEditor();
        follow(**followed);
    };
    QObject::connect(&store, &ProjectStore::currentEditorChanged, receiver, followCurrent);
    followCurrent();
}

}  // namespace glyphsmith_state
