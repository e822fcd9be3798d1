#pragma once

// Fetching the published version file, behind a seam so that the update check
// runs without a network in tests.

#include <QByteArray>
#include <QObject>
#include <functional>
#include <variant>

namespace glyphsmith_state {

// Why no version file came back.
enum class VersionFetchFailure {
    // The site could not be reached, the transfer broke off or stalled.
    network,
    // The site answered, but not with the file (any status other than 200).
    badServerResponse,
    // The site sent more than a version file can hold; the transfer was cut.
    tooLarge,
};

// The file's bytes, or why there are none.
using VersionData = std::variant<QByteArray, VersionFetchFailure>;

class VersionFetching {
public:
    using Completion = std::function<void(VersionData)>;

    virtual ~VersionFetching() = default;

    // Starts fetching and returns. `done` is called once, on the main thread,
    // later than this call, and only while `context` (an object of the main
    // thread) lives; its destruction ends the transfer.
    virtual void fetchVersionData(QObject* context, Completion done) = 0;
};

}  // namespace glyphsmith_state
