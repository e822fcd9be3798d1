#pragma once

#include <QPointer>
#include <cstddef>
#include <deque>

#include "glyphsmith_state/task_runner.hpp"

namespace glyphsmith_state_testing {

// A TaskRunner that runs nothing until the test says so: tasks wait in a queue,
// and running one does its work and then its delivery, on the calling thread,
// in whatever order the test chooses.
class QueuedTaskRunner final : public glyphsmith_state::TaskRunner {
public:
    std::size_t pendingCount() const { return pending_.size(); }
    glyphsmith_state::TaskPriority priorityAt(std::size_t index) const { return pending_.at(index).priority; }

    // Runs the task at `index` of the queue: its work, then its delivery when its
    // context still exists. Tasks it submits join the end of the queue.
    void runTask(std::size_t index);
    void runNext() { runTask(0); }
    // Runs tasks from the front until none is left, new ones included.
    void runAll() {
        while (!pending_.empty()) runNext();
    }
    // Forgets every waiting task without running it.
    void dropAll() { pending_.clear(); }

protected:
    void submit(glyphsmith_state::TaskPriority priority, QObject* context, std::function<void()> background,
                std::function<void()> onMainThread) override {
        pending_.push_back({priority, context, std::move(background), std::move(onMainThread)});
    }

private:
    struct Pending {
        glyphsmith_state::TaskPriority priority;
        QPointer<QObject> context;
        std::function<void()> background;
        std::function<void()> onMainThread;
    };
    std::deque<Pending> pending_;
};

inline void QueuedTaskRunner::runTask(std::size_t index) {
    Pending task = std::move(pending_.at(index));
    pending_.erase(pending_.begin() + static_cast<std::ptrdiff_t>(index));
    task.background();
    if (task.context) task.onMainThread();
}

}  // namespace glyphsmith_state_testing
