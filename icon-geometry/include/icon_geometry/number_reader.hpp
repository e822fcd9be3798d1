#pragma once

// The project's one reader of decimal numbers in text: model settings typed on
// the command line, SVG attributes and path data.

#include <optional>
#include <string_view>

namespace icon_geometry {

// The whole text as the C library's strtod reads it in the C locale, whatever
// the process locale (a French locale would otherwise read "12,5"): an optional
// sign, decimal or hexadecimal digits with an exponent, inf, infinity, nan. The
// text may not start with white space and nothing may follow the number.
// Overflow reads as an infinity and underflow as a zero, as strtod gives them.
[[nodiscard]] std::optional<double> readNumber(std::string_view text);

}  // namespace icon_geometry
