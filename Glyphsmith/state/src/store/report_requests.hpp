#pragma once

// The compliance requests of the editors: which request of an editor is the
// latest, and the inputs its stored report was made from. Editors are known by
// their serial, so an editor made where one went starts afresh.

#include <cstdint>
#include <optional>
#include <unordered_map>

#include "glyphsmith_state/report_key.hpp"

namespace glyphsmith_state {

class ReportRequests {
public:
    // Whether the editor has had a request.
    bool knows(std::uint64_t editor) const { return byEditor_.contains(editor); }
    // A new request of the editor: its number, the latest from now on.
    std::uint64_t start(std::uint64_t editor) { return ++byEditor_[editor].latest; }
    // The request's report, made from `key`, is stored when it is still the
    // editor's latest; true then.
    bool finish(std::uint64_t editor, std::uint64_t request, const ReportKey& key) {
        const auto found = byEditor_.find(editor);
        if (found == byEditor_.end() || found->second.latest != request) return false;
        found->second.reportedKey = key;
        return true;
    }
    // The inputs of the editor's stored report.
    std::optional<ReportKey> reportedKey(std::uint64_t editor) const {
        const auto found = byEditor_.find(editor);
        return found == byEditor_.end() ? std::nullopt : found->second.reportedKey;
    }
    void forget(std::uint64_t editor) { byEditor_.erase(editor); }

private:
    struct Requests {
        std::uint64_t latest = 0;
        std::optional<ReportKey> reportedKey;
    };
    std::unordered_map<std::uint64_t, Requests> byEditor_;
};

}  // namespace glyphsmith_state
