#include "icon_geometry/number_text.hpp"

#include <array>
#include <charconv>

namespace icon_geometry::NumberText {

std::string integer(std::int64_t value) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

std::string fixed(double value, int decimals) {
    // The longest fixed form of a double has 309 integer digits.
    std::array<char, 400> buffer{};
    const auto result =
        std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, decimals);
    if (result.ec != std::errc{}) return {};
    return std::string(buffer.data(), result.ptr);
}

}  // namespace icon_geometry::NumberText
