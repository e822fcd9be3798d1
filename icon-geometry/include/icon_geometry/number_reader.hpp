#pragma once

#include <optional>
#include <string_view>

namespace icon_geometry::svg_detail {

// The C library's decimal conversion in the C locale, whatever the process
// locale: the whole text must convert, and it may not start with white space.
// Accepts what strtod accepts (exponents, hexadecimal, inf, nan).
std::optional<double> strictDouble(std::string_view text);

// Trims spaces and tabs (not line breaks) from both ends.
std::string_view trimmedBlanks(std::string_view text);

}  // namespace icon_geometry::svg_detail
