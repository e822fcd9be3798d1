#include <gtest/gtest.h>

#include <QSignalSpy>
#include <unordered_set>

#include "glyphsmith_state/project_store.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "store/store_parts.hpp"
#include "store_testing.hpp"

using glyphsmith_state_testing::EditorFields;
using namespace glyphsmith_state;
using namespace store_testing;
using homey_project::ComplianceItem;
using homey_project::ComplianceReport;
using homey_project::ComplianceStatus;
using homey_project::DriverImageSize;

namespace {

// Whether the editor's report was made from its current inputs.
bool isReportCurrent(const ProjectStore& store, const DriverEditor& editor) {
    return StoreParts::reportRequests(store).reportedKey(editor.serial()) == store.reportKey(editor) &&
           editor.report().has_value();
}

int imageSizeLines(const ComplianceReport& report) {
    return static_cast<int>(std::count_if(report.checks.begin(), report.checks.end(), [](const auto& check) {
        return check.item.template is<ComplianceItem::ImageSize>();
    }));
}

class Compliance : public ::testing::Test {
protected:
    DoubledStore doubled;
    ProjectStore& store = *doubled.store;
    void SetUp() override {
        doubled.addApp("/p/app", {"alpha", "beta"});
        store.openHomeyApp(QStringLiteral("/p/app"));
        doubled.runner.runAll();  // the drivers' states
    }
};

TEST_F(Compliance, FreeEditorGetsTheStandaloneReportWithAProjectOpen) {
    bool finished = false;
    store.refreshComplianceReport(store.freeEditor(), [&] { finished = true; });
    ASSERT_EQ(doubled.runner.pendingCount(), 1u);
    EXPECT_EQ(doubled.runner.priorityAt(0), TaskPriority::utility);
    EXPECT_FALSE(store.freeEditor().report());
    doubled.runner.runAll();
    EXPECT_TRUE(finished);
    ASSERT_TRUE(store.freeEditor().report());
    const ComplianceReport& report = *store.freeEditor().report();
    EXPECT_EQ(report.driverID, "");
    EXPECT_EQ(imageSizeLines(report), 0);  // nothing read from any driver folder
    EXPECT_EQ(report.checks.back().item, ComplianceItem{ComplianceItem::PhotographReminder{}});
    EXPECT_TRUE(std::any_of(report.checks.begin(), report.checks.end(), [](const auto& check) {
        return check.item == ComplianceItem{ComplianceItem::IconFillsCanvas{16.0}};
    }));
}

TEST_F(Compliance, DriverEditorGetsItsDriversReport) {
    DriverEditor& editor = store.currentEditor();
    store.refreshComplianceReport(editor);
    doubled.runner.runAll();
    ASSERT_TRUE(editor.report());
    EXPECT_EQ(editor.report()->driverID, "alpha");
    // Its folder has no images: each size fails.
    EXPECT_EQ(imageSizeLines(*editor.report()), 3);
}

TEST_F(Compliance, LatestRequestStays) {
    DriverEditor& editor = store.currentEditor();
    store.refreshComplianceReport(editor);
    EditorFields(editor).setDriverImages({{DriverImageSize::small, QByteArray("not a png")}});
    store.refreshComplianceReport(editor);
    const ReportKey newest = store.reportKey(editor);
    // The newer finishes first; the older, finishing late, is dropped.
    doubled.runner.runTask(1);
    ASSERT_TRUE(editor.report());
    const ComplianceReport newer = *editor.report();
    QSignalSpy reportChanged(&editor, &DriverEditor::reportChanged);
    doubled.runner.runTask(0);
    EXPECT_EQ(*editor.report(), newer);
    EXPECT_EQ(reportChanged.count(), 0);
    EXPECT_TRUE(isReportCurrent(store, editor));
    EXPECT_EQ(store.reportKey(editor), newest);
}

TEST_F(Compliance, EqualReportSendsNoChange) {
    DriverEditor& editor = store.freeEditor();
    store.refreshComplianceReport(editor);
    doubled.runner.runAll();
    QSignalSpy reportChanged(&editor, &DriverEditor::reportChanged);
    store.refreshComplianceReport(editor);
    doubled.runner.runAll();
    EXPECT_EQ(reportChanged.count(), 0);
}

TEST_F(Compliance, DroppedOrDestroyedEditorGetsNothing) {
    const std::shared_ptr<DriverEditor> kept = store.editors().at("alpha");
    store.refreshComplianceReport(*kept);
    store.closeProject();
    doubled.runner.runAll();
    EXPECT_FALSE(kept->report());

    store.openHomeyApp(QStringLiteral("/p/app"));
    store.setSelectedDriverID(std::string("beta"));
    store.refreshComplianceReport(store.currentEditor());
    store.closeProject();  // the last reference goes
    doubled.runner.runAll();
}

TEST_F(Compliance, KeyTellsImageSetsApart) {
    DriverEditor& editor = store.currentEditor();
    DriverEditor::DriverImages three;
    for (DriverImageSize size : homey_project::allDriverImageSizes) three.emplace(size, QByteArray("old"));
    EditorFields(editor).setDriverImages(three);
    const ReportKey before = store.reportKey(editor);
    EditorFields(editor).setDriverImages(three);
    EXPECT_EQ(store.reportKey(editor), before);
    for (auto& [size, png] : three) png = QByteArray("new");
    EditorFields(editor).setDriverImages(three);
    EXPECT_NE(store.reportKey(editor), before);

    // Other editor, equal model: another key.
    DriverEditor& other = store.makeDriverEditor(store.app()->drivers[1]);
    EditorFields(other).setDriverImages(editor.driverImages());
    EXPECT_NE(store.reportKey(other).editor, store.reportKey(editor).editor);

    store.setBrandCamera({30, 1, 3});
    const ReportKey branded = store.reportKey(editor);
    EXPECT_NE(branded, before);
    std::unordered_set<ReportKey> keys{before, branded, store.reportKey(editor)};
    EXPECT_EQ(keys.size(), 2u);
}

TEST_F(Compliance, ReportIsCurrentUntilItsInputsChange) {
    DriverEditor& editor = store.currentEditor();
    EXPECT_FALSE(isReportCurrent(store, editor));
    store.refreshComplianceReport(editor);
    EXPECT_FALSE(isReportCurrent(store, editor));
    doubled.runner.runAll();
    EXPECT_TRUE(isReportCurrent(store, editor));
    editor.setDepth(40);
    EXPECT_FALSE(isReportCurrent(store, editor));
    store.refreshComplianceReport(editor);
    doubled.runner.runAll();
    EXPECT_TRUE(isReportCurrent(store, editor));
    EditorFields(editor).setDriverImages({{DriverImageSize::large, QByteArray("x")}});
    EXPECT_FALSE(isReportCurrent(store, editor));
}

}  // namespace
