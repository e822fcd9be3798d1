#pragma once

// Work away from the main thread. The state objects hand long work (photo
// loading, detection, compliance) to a TaskRunner and get its outcome back on
// the main thread, only while the object that asked still exists. Tests put a
// queue they drain by hand in its place.

#include <QObject>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <type_traits>
#include <utility>
#include <variant>

namespace glyphsmith_state {

// Work the user waits for runs before utility work.
enum class TaskPriority { userInitiated, utility };

// What a task's work gave: its value, or the exception it threw.
template <class T>
class TaskOutcome {
public:
    explicit TaskOutcome(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    explicit TaskOutcome(std::exception_ptr error) : state_(std::in_place_index<1>, std::move(error)) {}

    bool hasValue() const { return state_.index() == 0; }
    // The value; the work's exception is thrown again when it threw.
    T& value() {
        if (const auto* error = std::get_if<1>(&state_)) std::rethrow_exception(*error);
        return std::get<0>(state_);
    }
    // The work's exception, or null when it gave a value.
    std::exception_ptr exception() const {
        const auto* error = std::get_if<1>(&state_);
        return error ? *error : nullptr;
    }

private:
    std::variant<T, std::exception_ptr> state_;
};

class TaskRunner {
public:
    virtual ~TaskRunner() = default;

    // Runs `work` away from the main thread, then calls `deliver` with its
    // TaskOutcome on the main thread, never before `run` has returned. Nothing is
    // delivered once `context` (an object of the main thread) is destroyed. Work
    // that returns nothing gives a TaskOutcome<std::monostate>.
    template <class Work, class Deliver>
    void run(TaskPriority priority, QObject* context, Work work, Deliver deliver) {
        using Result = std::invoke_result_t<Work&>;
        using Value = std::conditional_t<std::is_void_v<Result>, std::monostate, Result>;
        auto outcome = std::make_shared<std::optional<TaskOutcome<Value>>>();
        auto sharedWork = std::make_shared<Work>(std::move(work));
        auto sharedDeliver = std::make_shared<Deliver>(std::move(deliver));
        submit(
            priority, context,
            [outcome, sharedWork] {
                try {
                    if constexpr (std::is_void_v<Result>) {
                        (*sharedWork)();
                        outcome->emplace(std::monostate{});
                    } else {
                        outcome->emplace((*sharedWork)());
                    }
                } catch (...) {
                    outcome->emplace(std::current_exception());
                }
            },
            [outcome, sharedDeliver] { (*sharedDeliver)(std::move(**outcome)); });
    }

protected:
    // `background` never throws. `onMainThread` runs on the main thread after
    // `background` has finished, later than the call to submit, and only while
    // `context` lives.
    virtual void submit(TaskPriority priority, QObject* context, std::function<void()> background,
                        std::function<void()> onMainThread) = 0;
};

}  // namespace glyphsmith_state
