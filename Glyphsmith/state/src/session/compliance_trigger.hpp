#pragma once

// Keeps an editor's compliance report current: once the trigger exists, and
// whenever the report's inputs (ReportKey: which editor, its model, the brand
// camera, which driver images) take another value, it waits `delay` on the
// clock and then asks the store for the report. A change during the wait starts
// the wait again, so a slider drag gives one report, for its last position.
// The session keeps one for the current editor; its end cancels the wait.

#include <QObject>
#include <QPointer>
#include <chrono>
#include <optional>

#include "glyphsmith_state/clock.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/project_store.hpp"
#include "glyphsmith_state/report_key.hpp"
#include "support/debounce.hpp"

namespace glyphsmith_state {

class ComplianceTrigger : public QObject {
public:
    static constexpr std::chrono::milliseconds defaultDelay{400};

    ComplianceTrigger(ProjectStore& store, DriverEditor& editor, const Clock& clock,
                      std::chrono::milliseconds delay = defaultDelay, QObject* parent = nullptr);

    // Waiting to ask for a report.
    bool isWaiting() const { return wait_.isWaiting(); }
    // Reports asked of the store so far.
    int requests() const { return requests_; }

private:
    void inputsMayHaveChanged();
    void request();

    ProjectStore& store_;
    // Null once the editor is gone: nothing more is asked for it.
    QPointer<DriverEditor> editor_;
    Debounce wait_;
    std::optional<ReportKey> key_;
    int requests_ = 0;
};

}  // namespace glyphsmith_state
