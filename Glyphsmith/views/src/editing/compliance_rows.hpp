#pragma once

// The compliance report's rows (a status symbol in its colour beside the
// check's sentence) and the texts the inspector shares between its sections:
// status labels, check sentences, detail-kind and pictogram names, driver-image
// issues, and the locale's whole-number, percent and one-decimal formats.

#include <QColor>
#include <QLocale>
#include <QString>
#include <QWidget>
#include <vector>

#include "homey_project/compliance_report.hpp"
#include "homey_project/driver_image_check.hpp"
#include "icon_geometry/face_detail.hpp"
#include "icon_geometry/pictogram.hpp"

class QLabel;
class QVBoxLayout;

namespace glyphsmith_views {

// ----- Numbers in the user's locale -----

// Rounded to the nearest whole number, grouped as the locale groups: 18.7 gives "19".
QString wholeNumberText(double value, const QLocale& locale = QLocale());
// The fraction times 100, no fraction digits, with the locale's percent sign and
// spacing: 0.12 gives "12 %" in French (a narrow no-break space), "12%" in English.
QString percentText(double fraction, const QLocale& locale = QLocale());
// Exactly one fraction digit: 2 gives "2,0" in French, "2.0" in English.
QString oneDecimalText(double value, const QLocale& locale = QLocale());

// ----- Compliance texts -----

QString complianceStatusLabel(homey_project::ComplianceStatus status);
// The symbol's name in the views' resources and its palette colour.
QString complianceStatusSymbol(homey_project::ComplianceStatus status);
QColor complianceStatusColor(homey_project::ComplianceStatus status);
// The check's sentence; it depends on the item alone, never on the status.
QString complianceMessage(const homey_project::ComplianceItem& item, const QLocale& locale = QLocale());
// "<status label> : <message>", what a screen reader says of a row.
QString complianceAccessibleText(const homey_project::ComplianceCheck& check, const QLocale& locale = QLocale());

// ----- Labels shared with the details and driver images sections -----

QString pictogramName(icon_geometry::Pictogram pictogram);
QString detailKindName(const icon_geometry::FaceDetail& detail);
QString driverImageIssueText(const homey_project::DriverImageIssue& issue, const QLocale& locale = QLocale());

// One row per check, in report order: the status symbol in its colour, then the
// sentence, wrapped to the width it is given. Setting the same checks again
// changes nothing on screen.
class ComplianceRows : public QWidget {
public:
    explicit ComplianceRows(QWidget* parent = nullptr);

    void setChecks(const std::vector<homey_project::ComplianceCheck>& checks);
    const std::vector<homey_project::ComplianceCheck>& checks() const { return checks_; }

    int rowCount() const { return static_cast<int>(rows_.size()); }
    // The row at `index` (its accessible name is the status label and the sentence).
    QWidget* row(int index) const { return rows_.at(static_cast<std::size_t>(index)); }
    // The sentence's label and the symbol's label of a row.
    QLabel* messageLabel(int index) const;
    QLabel* symbolLabel(int index) const;

protected:
    void changeEvent(QEvent* event) override;

private:
    void rebuild();

    std::vector<homey_project::ComplianceCheck> checks_;
    std::vector<QWidget*> rows_;
    QVBoxLayout* layout_ = nullptr;
};

}  // namespace glyphsmith_views
