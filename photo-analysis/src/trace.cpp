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
