#pragma once

#include <QDateTime>
#include <chrono>

namespace glyphsmith_state {

// Time as the state sees it. Tests set it by hand.
class Clock {
public:
    virtual ~Clock() = default;
    // The wall-clock date, for dates that are stored (the last update check).
    virtual QDateTime now() const = 0;
    // A continuous clock that never goes back, for delays such as debouncing.
    virtual std::chrono::steady_clock::time_point monotonicNow() const = 0;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
    std::chrono::steady_clock::time_point monotonicNow() const override { return std::chrono::steady_clock::now(); }
};

}  // namespace glyphsmith_state
