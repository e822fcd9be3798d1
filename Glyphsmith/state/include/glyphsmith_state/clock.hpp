#pragma once

#include <QDateTime>
#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>

namespace glyphsmith_state {

// Time as the state sees it, and the waits it makes. Tests set it by hand.
class Clock {
public:
    virtual ~Clock() = default;
    // The wall-clock date, for dates that are stored (the last update check).
    virtual QDateTime now() const = 0;
    // A continuous clock that never goes back, for delays such as debouncing.
    virtual std::chrono::steady_clock::time_point monotonicNow() const = 0;
    // Calls `then` on the main thread once `delay` has passed on the continuous
    // clock, unless `context` (an object of the main thread) has gone by then.
    virtual void after(std::chrono::milliseconds delay, QObject* context, std::function<void()> then) const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
    std::chrono::steady_clock::time_point monotonicNow() const override { return std::chrono::steady_clock::now(); }
    void after(std::chrono::milliseconds delay, QObject* context, std::function<void()> then) const override {
        QTimer::singleShot(delay, Qt::PreciseTimer, context, std::move(then));
    }
};

}  // namespace glyphsmith_state
