#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QThread>
#include <atomic>
#include <memory>
#include <semaphore>
#include <stdexcept>
#include <vector>

#include "glyphsmith_state/thread_pool_task_runner.hpp"
#include "glyphsmith_state_testing/queued_task_runner.hpp"

using glyphsmith_state::TaskOutcome;
using glyphsmith_state::TaskPriority;
using glyphsmith_state::ThreadPoolTaskRunner;
using glyphsmith_state_testing::QueuedTaskRunner;

namespace {

// Lets queued deliveries run until the condition holds. The deadline only keeps
// a broken runner from hanging the suite.
template <class Condition>
bool processEventsUntil(Condition condition) {
    const QDeadlineTimer deadline(30000);
    while (!condition() && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return condition();
}

TEST(ThreadPoolTaskRunner, WorksAwayFromTheMainThreadAndDeliversOnIt) {
    ThreadPoolTaskRunner runner;
    QObject context;
    std::atomic<QThread*> workThread = nullptr;
    QThread* deliveryThread = nullptr;
    std::optional<int> delivered;
    runner.run(
        TaskPriority::userInitiated, &context,
        [&] {
            workThread = QThread::currentThread();
            return 42;
        },
        [&](TaskOutcome<int> outcome) {
            deliveryThread = QThread::currentThread();
            delivered = outcome.value();
        });
    // Never delivered from within run, even when the work is over at once.
    runner.waitForDone();
    EXPECT_FALSE(delivered);
    ASSERT_TRUE(processEventsUntil([&] { return delivered.has_value(); }));
    EXPECT_EQ(*delivered, 42);
    EXPECT_NE(workThread.load(), QCoreApplication::instance()->thread());
    EXPECT_EQ(deliveryThread, QCoreApplication::instance()->thread());
}

TEST(ThreadPoolTaskRunner, HandsOnTheWorksException) {
    ThreadPoolTaskRunner runner;
    QObject context;
    std::optional<std::string> failure;
    runner.run(
        TaskPriority::utility, &context, []() -> int { throw std::runtime_error("illisible"); },
        [&](TaskOutcome<int> outcome) {
            EXPECT_FALSE(outcome.hasValue());
            try {
                (void)outcome.value();
            } catch (const std::runtime_error& e) {
                failure = e.what();
            }
        });
    ASSERT_TRUE(processEventsUntil([&] { return failure.has_value(); }));
    EXPECT_EQ(*failure, "illisible");
}

TEST(ThreadPoolTaskRunner, DeliversNothingOnceTheContextIsGone) {
    ThreadPoolTaskRunner runner;
    auto context = std::make_unique<QObject>();
    std::binary_semaphore release(0);
    std::atomic<bool> worked = false;
    bool delivered = false;
    // The delivery touches memory owned with the context: it would be a use after free.
    auto owned = std::make_shared<int>(7);
    runner.run(
        TaskPriority::userInitiated, context.get(),
        [&] {
            release.acquire();
            worked = true;
        },
        [&, weak = std::weak_ptr<int>(owned)](TaskOutcome<std::monostate>) { delivered = !weak.expired(); });
    context.reset();
    owned.reset();
    release.release();
    runner.waitForDone();
    QCoreApplication::processEvents();
    EXPECT_TRUE(worked);
    EXPECT_FALSE(delivered);

    // The runner still delivers to live contexts afterwards.
    QObject other;
    bool later = false;
    runner.run(
        TaskPriority::utility, &other, [] {}, [&](TaskOutcome<std::monostate>) { later = true; });
    EXPECT_TRUE(processEventsUntil([&] { return later; }));
}

TEST(ThreadPoolTaskRunner, DestroyingTheRunnerWaitsForItsWork) {
    std::atomic<bool> finished = false;
    QObject context;
    {
        ThreadPoolTaskRunner runner;
        runner.run(
            TaskPriority::utility, &context, [&] { finished = true; }, [](TaskOutcome<std::monostate>) {});
    }
    EXPECT_TRUE(finished);
    QCoreApplication::processEvents();
}

TEST(QueuedTaskRunner, RunsTasksInTheOrderTheTestChooses) {
    QueuedTaskRunner runner;
    QObject context;
    std::vector<int> delivered;
    for (int i = 0; i < 3; ++i)
        runner.run(
            i == 2 ? TaskPriority::utility : TaskPriority::userInitiated, &context, [i] { return i; },
            [&](TaskOutcome<int> outcome) { delivered.push_back(outcome.value()); });
    ASSERT_EQ(runner.pendingCount(), 3u);
    EXPECT_EQ(runner.priorityAt(2), TaskPriority::utility);
    EXPECT_TRUE(delivered.empty());
    runner.runTask(2);
    runner.runAll();
    EXPECT_EQ(delivered, (std::vector<int>{2, 0, 1}));
    EXPECT_EQ(runner.pendingCount(), 0u);
}

TEST(QueuedTaskRunner, DeliversNothingOnceTheContextIsGone) {
    QueuedTaskRunner runner;
    auto context = std::make_unique<QObject>();
    bool worked = false;
    bool delivered = false;
    runner.run(
        TaskPriority::userInitiated, context.get(), [&] { worked = true; },
        [&](TaskOutcome<std::monostate>) { delivered = true; });
    context.reset();
    runner.runAll();
    EXPECT_TRUE(worked);
    EXPECT_FALSE(delivered);
}

TEST(QueuedTaskRunner, HandsOnTheWorksException) {
    QueuedTaskRunner runner;
    QObject context;
    std::exception_ptr failure;
    runner.run(
        TaskPriority::utility, &context, []() -> int { throw std::invalid_argument("x"); },
        [&](TaskOutcome<int> outcome) { failure = outcome.exception(); });
    runner.runAll();
    ASSERT_TRUE(failure);
    EXPECT_THROW(std::rethrow_exception(failure), std::invalid_argument);
}

}  // namespace
