#pragma once

// Keeps an editor's compliance report current: once the trigger exists, and
// whenever the report's inputs (ReportKey: which editor, its model, the brand
// camera, which driver images) take another value, it waits `delay` and then
// asks the store for the report. A change during the wait starts the wait
// again, so a slider drag gives one report, for its last position. No widgets:
// the compliance section owns one per editor, and its end cancels the wait.

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <optional>

#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/project_store.hpp"
#include "glyphsmith_state/report_key.hpp"

namespace glyphsmith_views {

class ComplianceTrigger : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds defaultDelay{400};

    ComplianceTrigger(glyphsmith_state::ProjectStore& store, glyphsmith_state::DriverEditor& editor,
                      std::chrono::milliseconds delay = defaultDelay, QObject* parent = nullptr);

    // Waiting to ask for a report.
    bool isWaiting() const { return timer_.isActive(); }
    // Reports asked of the store so far.
    int requests() const { return requests_; }
    // Ends the wait now as its timeout would; nothing when not waiting.
    void fireNow();

private:
    void inputsMayHaveChanged();
    void request();

    glyphsmith_state::ProjectStore& store_;
    // Null once the editor is gone: nothing more is asked for it.
    QPointer<glyphsmith_state::DriverEditor> editor_;
    QTimer timer_;
    std::optional<glyphsmith_state::ReportKey> key_;
    int requests_ = 0;
};

}  // namespace glyphsmith_views
