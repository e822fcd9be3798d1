#pragma once

#include <string>
#include <string_view>

#include "photo_analysis/trace_sink.hpp"

// The diagnostic traces switched on by an environment variable (FACE_DEBUG,
// PICTO_DEBUG), handed to the caller's sink.
namespace photo_analysis::trace {

// True when there is a sink and the variable is present in the environment,
// whatever its value, even empty. Looked up on every call, so a switch takes
// effect at once.
bool enabled(const TraceSink& sink, const char* variable);

// When enabled, hands the text, one line, to the sink.
void line(const TraceSink& sink, const char* variable, std::string_view text);

// The shortest text that reads back as the same double, with at least one
// decimal ("12.0", "0.25", "1e+20").
std::string shortest(double value);

}  // namespace photo_analysis::trace
