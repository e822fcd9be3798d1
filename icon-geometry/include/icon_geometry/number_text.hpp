#pragma once

// The project's one writer of numbers as text for people (reports, traces):
// always with a point, whatever the process locale.

#include <cstdint>
#include <string>

namespace icon_geometry::NumberText {

// The integer in decimal digits.
[[nodiscard]] std::string integer(std::int64_t value);
// As C's "%.Nf" writes it in the C locale: correctly rounded from the double's
// exact value, so an exact half goes to the even digit; "inf", "-inf", "nan".
[[nodiscard]] std::string fixed(double value, int decimals);

}  // namespace icon_geometry::NumberText
