#pragma once

#include <chrono>

#include "glyphsmith_state/clock.hpp"

namespace glyphsmith_state_testing {

// A clock that stands still until the test moves it.
class SettableClock final : public glyphsmith_state::Clock {
public:
    explicit SettableClock(QDateTime start = QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC)) : now_(start) {}

    QDateTime now() const override { return now_; }
    std::chrono::steady_clock::time_point monotonicNow() const override { return monotonic_; }

    // Sets the wall-clock date; the continuous clock does not move (it never goes back).
    void setNow(QDateTime date) { now_ = std::move(date); }
    // Moves both clocks forward.
    void advance(std::chrono::milliseconds step) {
        now_ = now_.addMSecs(step.count());
        monotonic_ += step;
    }

private:
    QDateTime now_;
    std::chrono::steady_clock::time_point monotonic_{};
};

}  // namespace glyphsmith_state_testing
