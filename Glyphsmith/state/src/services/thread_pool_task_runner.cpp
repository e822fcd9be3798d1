#include "glyphsmith_state/thread_pool_task_runner.hpp"

#include <QtConcurrent/qtconcurrenttask.h>

#include <QFuture>
#include <QMetaObject>
#include <QPointer>

#include "support/main_thread.hpp"

namespace glyphsmith_state {

ThreadPoolTaskRunner::ThreadPoolTaskRunner(QObject* parent) : QObject(parent) {}

ThreadPoolTaskRunner::~ThreadPoolTaskRunner() {
    // Deliveries still queued to this object go with it; none can be posted later.
    pool_.waitForDone();
}

void ThreadPoolTaskRunner::waitForDone() {
    pool_.waitForDone();
}

void ThreadPoolTaskRunner::submit(TaskPriority priority, QObject* context, std::function<void()> background,
                                  std::function<void()> onMainThread) {
    assertMainThread(this);
    Q_ASSERT(context && context->thread() == thread());
    // The delivery is posted by the work itself, always queued, to this runner,
    // and the context is looked at only on the main thread. QFuture::then with
    // the context would call back at once when the work is already over, and
    // would read the context's guard on the worker while the main thread may be
    // destroying it.
    const QPointer<QObject> guard(context);
    QtConcurrent::task(
        [this, guard, background = std::move(background), onMainThread = std::move(onMainThread)]() mutable {
            background();
            QMetaObject::invokeMethod(
                this,
                [guard, onMainThread = std::move(onMainThread)] {
                    if (guard) onMainThread();
                },
                Qt::QueuedConnection);
        })
        .onThreadPool(pool_)
        .withPriority(priority == TaskPriority::userInitiated ? 1 : 0)
        .spawn(QtConcurrent::FutureResult::Ignore);
}

}  // namespace glyphsmith_state
