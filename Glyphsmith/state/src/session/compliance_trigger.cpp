#include "session/compliance_trigger.hpp"

namespace glyphsmith_state {

ComplianceTrigger::ComplianceTrigger(ProjectStore& store, DriverEditor& editor, const Clock& clock,
                                     std::chrono::milliseconds delay, QObject* parent)
    : QObject(parent), store_(store), editor_(&editor), wait_(clock, delay, this, [this] { request(); }) {
    // The key's fields and the signals that tell of them.
    connect(editor_, &DriverEditor::modelChanged, this, &ComplianceTrigger::inputsMayHaveChanged);
    connect(editor_, &DriverEditor::driverImagesChanged, this, &ComplianceTrigger::inputsMayHaveChanged);
    connect(&store_, &ProjectStore::brandCameraChanged, this, &ComplianceTrigger::inputsMayHaveChanged);
    inputsMayHaveChanged();
}

void ComplianceTrigger::inputsMayHaveChanged() {
    if (!editor_) {
        wait_.stop();
        return;
    }
    ReportKey key = store_.reportKey(*editor_);
    if (key_ && *key_ == key) return;
    key_ = std::move(key);
    wait_.start();
}

void ComplianceTrigger::request() {
    if (!editor_) return;
    ++requests_;
    store_.refreshComplianceReport(*editor_);
}

}  // namespace glyphsmith_state
