#pragma once

#include <string>
#include <string_view>

// The diagnostic traces switched on by an environment variable (FACE_DEBUG,
// PICTO_DEBUG): the library's only output.
namespace photo_analysis::trace {

// True when the variable is present in the environment, whatever its value,
// even empty. Looked up on every call, so a switch takes effect at once.
bool enabled(const char* variable);

// When the variable is present, writes the text and a line break to standard
// output in one write.
void line(const char* variable, std::string_view text);

// printf's "%.<decimals>f" in the C locale, whatever the process locale.
std::string fixed(double value, int decimals);

// An integer in decimal.
std::string integer(long long value);

// The shortest text that reads back as the same double, with at least one
// decimal ("12.0", "0.25", "1e+20").
std::string shortest(double value);

}  // namespace photo_analysis::trace
