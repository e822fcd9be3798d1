#include "trace.hpp"

#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace photo_analysis::trace {

bool enabled(const TraceSink& sink, const char* variable) {
    return sink && std::getenv(variable) != nullptr;
}

void line(const TraceSink& sink, const char* variable, std::string_view text) {
    if (enabled(sink, variable)) sink(text);
}

std::string shortest(double value) {
    std::array<char, 64> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    std::string text(buffer.data(), result.ptr);
    if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

}  // namespace photo_analysis::trace
