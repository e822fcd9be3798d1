#pragma once

#include <QPointer>
#include <cstddef>
#include <deque>
#include <stdexcept>
#include <utility>

#include "glyphsmith_state/version_fetching.hpp"

namespace glyphsmith_state_testing {

// A VersionFetching that answers only when the test says so: fetches wait in a
// queue, and the test answers the oldest with bytes or a failure.
class QueuedVersionFetcher final : public glyphsmith_state::VersionFetching {
public:
    // Fetches started so far, answered or not.
    std::size_t requestCount() const { return requestCount_; }
    std::size_t pendingCount() const { return pending_.size(); }

    // Answers the oldest waiting fetch; its completion runs only while its
    // context lives.
    void answer(glyphsmith_state::VersionData data) {
        if (pending_.empty()) throw std::logic_error("no fetch waits for an answer");
        Pending fetch = std::move(pending_.front());
        pending_.pop_front();
        if (fetch.context) fetch.done(std::move(data));
    }
    void answer(const char* bytes) { answer(glyphsmith_state::VersionData(QByteArray(bytes))); }

    void fetchVersionData(QObject* context, Completion done) override {
        ++requestCount_;
        pending_.push_back({context, std::move(done)});
    }

private:
    struct Pending {
        QPointer<QObject> context;
        Completion done;
    };
    std::deque<Pending> pending_;
    std::size_t requestCount_ = 0;
};

}  // namespace glyphsmith_state_testing
