#include "trace.hpp"

#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstdlib>

namespace photo_analysis::trace {

bool enabled(std::string_view variable) {
    return std::getenv(std::string(variable).c_str()) != nullptr;
}

void trace(std::string_view variable, std::string_view line) {
    if (!enabled(variable)) return;
    std::string text(line);
    text += '\n';
    while (::write(STDOUT_FILENO, text.data(), text.size()) < 0 && errno == EINTR) {
    }
}

std::string fixed(double value, int digits) {
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, digits);
    if (result.ec != std::errc()) return {};
    return std::string(buffer, result.ptr);
}

}  // namespace photo_analysis::trace
