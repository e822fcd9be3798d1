#pragma once

// The store's parts, for tests that look behind the façade.

#include "glyphsmith_state/project_store.hpp"
#include "store/report_requests.hpp"

namespace glyphsmith_state {

struct StoreParts {
    static const ReportRequests& reportRequests(const ProjectStore& store) { return *store.reportRequests_; }
};

}  // namespace glyphsmith_state
