#pragma once

// One wait at a time on the clock: starting it again forgets the wait before,
// so a burst of changes gives one call, a delay after the last of them.

#include <QObject>
#include <chrono>
#include <cstdint>
#include <functional>

#include "glyphsmith_state/clock.hpp"

namespace glyphsmith_state {

class Debounce {
public:
    // `context` owns the debounce: nothing is called once it has gone.
    Debounce(const Clock& clock, std::chrono::milliseconds delay, QObject* context, std::function<void()> action)
        : clock_(clock), delay_(delay), context_(context), action_(std::move(action)) {}
    Debounce(const Debounce&) = delete;
    Debounce& operator=(const Debounce&) = delete;

    void start() {
        const std::uint64_t wait = ++wait_;
        waiting_ = true;
        clock_.after(delay_, context_, [this, wait] {
            if (wait != wait_) return;
            waiting_ = false;
            action_();
        });
    }
    void stop() {
        ++wait_;
        waiting_ = false;
    }
    bool isWaiting() const { return waiting_; }

private:
    const Clock& clock_;
    std::chrono::milliseconds delay_;
    QObject* context_;
    std::function<void()> action_;
    std::uint64_t wait_ = 0;
    bool waiting_ = false;
};

}  // namespace glyphsmith_state
