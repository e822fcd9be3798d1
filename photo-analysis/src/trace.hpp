#pragma once

#include <string>
#include <string_view>

// The diagnostic traces switched on by environment variables. The variable is
// read on every use, so a trace follows the environment as it is when called.
namespace photo_analysis::trace {

// True when the variable is present in the environment, whatever its value.
bool enabled(std::string_view variable);
// Writes the line and a line feed to standard output, in one write, when the
// variable is present.
void trace(std::string_view variable, std::string_view line);

// The value as C's "%.<digits>f" writes it in the C locale (halves to even on
// the exact binary value), whatever the process locale.
std::string fixed(double value, int digits);

}  // namespace photo_analysis::trace
