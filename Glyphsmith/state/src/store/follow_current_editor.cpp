#include "glyphsmith_state/follow_current_editor.hpp"

#include <QPointer>

namespace glyphsmith_state {

namespace {

// A child of the receiver, so that it goes with it.
class EditorFollower final : public QObject {
public:
    EditorFollower(ProjectStore& store, QObject* receiver, std::function<void(DriverEditor&)> follow)
        : QObject(receiver), store_(store), receiver_(receiver), follow_(std::move(follow)) {
        connect(&store_, &ProjectStore::currentEditorChanged, this, &EditorFollower::followCurrent);
        followCurrent();
    }

private:
    void followCurrent() {
        if (followed_) disconnect(followed_, nullptr, receiver_, nullptr);
        followed_ = &store_.currentEditor();
        follow_(*followed_);
    }

    ProjectStore& store_;
    QObject* receiver_;
    std::function<void(DriverEditor&)> follow_;
    QPointer<DriverEditor> followed_;
};

}  // namespace

void followCurrentEditor(ProjectStore& store, QObject* receiver, std::function<void(DriverEditor&)> follow) {
    new EditorFollower(store, receiver, std::move(follow));
}

}  // namespace glyphsmith_state
