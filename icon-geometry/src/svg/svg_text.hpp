#pragma once

#include <string_view>

namespace icon_geometry::svg_detail {

// Trims spaces and tabs (not line breaks) from both ends.
inline std::string_view trimmedBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace icon_geometry::svg_detail
