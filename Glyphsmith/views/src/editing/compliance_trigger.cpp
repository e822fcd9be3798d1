#include "editing/compliance_trigger.hpp"

namespace glyphsmith_views {

using glyphsmith_state::DriverEditor;
using glyphsmith_state::ProjectStore;

ComplianceTrigger::ComplianceTrigger(ProjectStore& store, DriverEditor& editor, std::chrono::milliseconds delay,
                                     QObject* parent)
    : QObject(parent), store_(store), editor_(&editor) {
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(delay);
    connect(&timer_, &QTimer::timeout, this, &ComplianceTrigger::request);
    // The key's fields and the signals that tell of them.
    connect(editor_, &DriverEditor::modelChanged, this, &ComplianceTrigger::inputsMayHaveChanged);
    connect(editor_, &DriverEditor::driverImagesChanged, this, &ComplianceTrigger::inputsMayHaveChanged);
    connect(&store_, &ProjectStore::brandCameraChanged, this, &ComplianceTrigger::inputsMayHaveChanged);
    inputsMayHaveChanged();
}

void ComplianceTrigger::inputsMayHaveChanged() {
    if (!editor_) {
        timer_.stop();
        return;
    }
    glyphsmith_state::ReportKey key = store_.reportKey(*editor_);
    if (key_ && *key_ == key) return;
    key_ = std::move(key);
    timer_.start();
}

void ComplianceTrigger::fireNow() {
    if (!timer_.isActive()) return;
    timer_.stop();
    request();
}

void ComplianceTrigger::request() {
    if (!editor_) return;
    ++requests_;
    store_.refreshComplianceReport(*editor_);
}

}  // namespace glyphsmith_views
