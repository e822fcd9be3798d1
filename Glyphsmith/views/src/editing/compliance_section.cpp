#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QVBoxLayout>

#include "editing/compliance_rows.hpp"
#include "editing/section_parts.hpp"
#include "editing/sections.hpp"
#include "glyphsmith_views/design_system.hpp"
#include "glyphsmith_views/text_roles.hpp"

namespace glyphsmith_views {

using glyphsmith_state::DriverEditor;
using glyphsmith_state::ProjectStore;

namespace {

// "Conformité": the editor's report, one row per check, or the progress row
// until the editor's first report arrives (the session asks for it).
class ComplianceContent final : public QGroupBox {
public:
    ComplianceContent(ProjectStore& store, DriverEditor& editor) : editor_(editor) {
        setTitle(inspectorText("Conformité"));
        setAccessibleName(title());
        setObjectName(QStringLiteral("compliance"));
        auto* layout = new QVBoxLayout(this);
        progress_ = new QWidget(this);
        auto* progressLayout = new QHBoxLayout(progress_);
        progressLayout->setContentsMargins(0, 0, 0, 0);
        auto* bar = new QProgressBar(progress_);
        bar->setRange(0, 0);
        bar->setTextVisible(false);
        bar->setFixedSize(48, 6);
        bar->setAccessibleName(inspectorText("Contrôle en cours…"));
        auto* label = new QLabel(inspectorText("Contrôle en cours…"), progress_);
        label->setTextFormat(Qt::PlainText);
        setTextColour(*label, Palette::neutral());
        progressLayout->addWidget(bar, 0, Qt::AlignVCenter);
        progressLayout->addWidget(label, 1, Qt::AlignVCenter);
        rows_ = new ComplianceRows(this);
        layout->addWidget(progress_);
        layout->addWidget(rows_);
        connect(&editor_, &DriverEditor::reportChanged, this, &ComplianceContent::refresh);
        refresh();
    }

private:
    void refresh() {
        const auto& report = editor_.report();
        progress_->setVisible(!report);
        rows_->setVisible(report.has_value());
        if (report) rows_->setChecks(report->checks);
    }

    DriverEditor& editor_;
    QWidget* progress_ = nullptr;
    ComplianceRows* rows_ = nullptr;
};

}  // namespace

QWidget* makeComplianceSection(ProjectStore& store, DriverEditor& editor) {
    return new ComplianceContent(store, editor);
}

}  // namespace glyphsmith_views
