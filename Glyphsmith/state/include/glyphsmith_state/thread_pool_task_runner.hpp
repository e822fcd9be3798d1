#pragma once

#include <QObject>
#include <QThreadPool>

#include "glyphsmith_state/task_runner.hpp"

namespace glyphsmith_state {

// The app's TaskRunner: a thread pool of its own, outcomes posted back to the
// main thread. Lives on the main thread; destroying it waits for running work.
class ThreadPoolTaskRunner final : public QObject, public TaskRunner {
    Q_OBJECT
public:
    explicit ThreadPoolTaskRunner(QObject* parent = nullptr);
    ~ThreadPoolTaskRunner() override;

    // Blocks until every started work has finished and its delivery is posted.
    void waitForDone();

protected:
    void submit(TaskPriority priority, QObject* context, std::function<void()> background,
                std::function<void()> onMainThread) override;

private:
    QThreadPool pool_;
};

}  // namespace glyphsmith_state
