#pragma once

#include <QPointer>
#include <algorithm>
#include <chrono>
#include <vector>

#include "glyphsmith_state/clock.hpp"

namespace glyphsmith_state_testing {

// A clock that stands still until the test moves it; its waits end as it moves.
class SettableClock final : public glyphsmith_state::Clock {
public:
    explicit SettableClock(QDateTime start = QDateTime(QDate(2026, 1, 1), QTime(12, 0), Qt::UTC)) : now_(start) {}

    QDateTime now() const override { return now_; }
    std::chrono::steady_clock::time_point monotonicNow() const override { return monotonic_; }
    void after(std::chrono::milliseconds delay, QObject* context, std::function<void()> then) const override {
        waits_.push_back({monotonic_ + delay, context, std::move(then)});
    }

    // Sets the wall-clock date; the continuous clock does not move (it never goes back).
    void setNow(QDateTime date) { now_ = std::move(date); }
    // Moves both clocks forward. The waits that end on the way run in the order
    // they end (in the order they were made when they end together), each with
    // the clocks at its end; waits they make run too when they end in time.
    void advance(std::chrono::milliseconds step) {
        const auto end = monotonic_ + step;
        for (;;) {
            const auto next = std::min_element(waits_.begin(), waits_.end(),
                                               [](const Wait& a, const Wait& b) { return a.end < b.end; });
            if (next == waits_.end() || next->end > end) break;
            Wait wait = std::move(*next);
            waits_.erase(next);
            moveTo(wait.end);
            if (wait.context) wait.then();
        }
        moveTo(end);
    }

private:
    struct Wait {
        std::chrono::steady_clock::time_point end;
        QPointer<QObject> context;
        std::function<void()> then;
    };
    void moveTo(std::chrono::steady_clock::time_point point) {
        if (point <= monotonic_) return;
        now_ = now_.addMSecs(std::chrono::duration_cast<std::chrono::milliseconds>(point - monotonic_).count());
        monotonic_ = point;
    }

    QDateTime now_;
    std::chrono::steady_clock::time_point monotonic_{};
    mutable std::vector<Wait> waits_;
};

}  // namespace glyphsmith_state_testing
