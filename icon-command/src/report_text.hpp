#pragma once

// The compliance report and the faults of driver images as the tool words them,
// in both languages. Numbers are written without the locale: a French locale
// set by anyone in the process never turns a point into a comma, and the French
// decimal comma is the tool's own choice.

#include <cstdint>
#include <functional>
#include <homey_project/compliance_report.hpp>
#include <homey_project/driver_image_check.hpp>
#include <string>
#include <string_view>

#include "icon_command/console.hpp"
#include "icon_geometry/number_text.hpp"

namespace icon_command::IconCommand {

// Every compliance report of the tool allows this much room, in canvas units,
// between the drawing and the edges it should touch.
inline constexpr double canvasEdgeTolerance = 16.0;

// The text of one line of the report.
[[nodiscard]] std::string complianceText(const homey_project::ComplianceItem& item, Language language);

// The text of one fault of the image in that file ("small.jpg", say).
[[nodiscard]] std::string imageIssueText(const homey_project::DriverImageIssue& issue, std::string_view file,
                                         Language language);
// The same for the image in the size's PNG file.
[[nodiscard]] std::string imageIssueText(const homey_project::DriverImageIssue& issue,
                                         homey_project::DriverImageSize size, Language language);

// The header, one line per check with its mark, then the counts of failures and
// warnings, every line through `out`.
void printReport(const homey_project::ComplianceReport& report, const std::function<void(std::string_view)>& out,
                 Language language);

// "✓", "?", "⚠︎" or "✗".
[[nodiscard]] std::string_view statusMark(homey_project::ComplianceStatus status);

namespace NumberText {
// The integer in decimal digits.
using icon_geometry::NumberText::integer;
// The integer part, the fraction dropped.
[[nodiscard]] std::string truncated(double value);
// The nearest integer, halves away from zero.
[[nodiscard]] std::string rounded(double value);
// As C's "%.Nf" writes it: correctly rounded from the double's exact value, so
// an exact half goes to the even digit. With `decimalComma` the point becomes
// a comma.
[[nodiscard]] std::string fixed(double value, int decimals, bool decimalComma = false);
}  // namespace NumberText

}  // namespace icon_command::IconCommand
