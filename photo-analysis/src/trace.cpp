#include "trace.hpp"

#include <unistd.h>

#include <array>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace photo_analysis::trace {

bool enabled(const char* variable) {
    return std::getenv(variable) != nullptr;
}

void line(const char* variable, std::string_view text) {
    if (!enabled(variable)) return;
    std::string whole(text);
    whole += '\n';
    const char* data = whole.data();
    std::size_t left = whole.size();
    while (left > 0) {
        const ssize_t written = ::write(STDOUT_FILENO, data, left);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return;  // a closed or full output loses the trace, nothing else
        data += written;
        left -= static_cast<std::size_t>(written);
    }
}

std::string fixed(double value, int decimals) {
    // Room for 309 integer digits, the sign, the point and the decimals.
    std::array<char, 400> buffer;
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc{}) return {};
    return {buffer.data(), result.ptr};
}

std::string integer(long long value) {
    std::array<char, 24> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return {buffer.data(), result.ptr};
}

std::string shortest(double value) {
    std::array<char, 64> buffer;
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    std::string text(buffer.data(), result.ptr);
    if (std::isfinite(value) && text.find_first_of(".e") == std::string::npos) text += ".0";
    return text;
}

}  // namespace photo_analysis::trace
