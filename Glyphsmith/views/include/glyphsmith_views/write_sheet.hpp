#pragma once

// The sheet that confirms a driver write: the planned files, how many existing
// files are replaced, the compliance summary, the photograph confirmation when
// driver images are written, and the write itself. Shown by the main window
// while the store's `pendingWrite` is present.

#include <QDialog>
#include <optional>

#include "glyphsmith_state/project_store.hpp"

class QCheckBox;
class QLabel;
class QListWidget;
class QPushButton;

namespace glyphsmith_views {

class ComplianceRows;

class WriteSheet : public QDialog {
    Q_OBJECT
public:
    WriteSheet(glyphsmith_state::ProjectStore& store, QWidget* parent = nullptr);

    QListWidget* fileList() const { return files_; }
    QLabel* replacedLine() const { return replaced_; }
    QLabel* cleanReport() const { return clean_; }
    ComplianceRows* reportRows() const { return rows_; }
    QCheckBox* photographToggle() const { return photograph_; }
    QPushButton* cancelButton() const { return cancel_; }
    QPushButton* writeButton() const { return write_; }

    // Escape, the window's close button and "Annuler": the plan is dropped.
    void reject() override;

private:
    void refreshPlan();
    void refreshReport();
    void refreshGate();

    glyphsmith_state::ProjectStore& store_;
    // The plan on screen: a different one starts the photograph confirmation afresh.
    std::optional<glyphsmith_state::ProjectStore::PlannedWrites> shown_;
    QListWidget* files_ = nullptr;
    QLabel* replaced_ = nullptr;
    QLabel* clean_ = nullptr;
    ComplianceRows* rows_ = nullptr;
    QCheckBox* photograph_ = nullptr;
    QPushButton* cancel_ = nullptr;
    QPushButton* write_ = nullptr;
};

// A window-modal sheet over `parent`, not yet shown. Its buttons clear the plan
// or have the store write it; the main window clears the plan on any other
// dismissal.
QDialog* makeWriteSheet(glyphsmith_state::ProjectStore& store, QWidget* parent);

}  // namespace glyphsmith_views
