#include "svg/number_text.hpp"

#include <locale.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace icon_geometry::svg_detail {

namespace {

// Made once and never changed: the conversion must not follow the process
// locale, which a Qt program sets (a French locale would read "12,5").
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

bool isCWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::optional<double> strictDouble(std::string_view text) {
    if (text.empty() || isCWhiteSpace(text.front())) return std::nullopt;
    const std::string copy(text);  // strtod needs the terminating NUL
    char* end = nullptr;
    const double value = strtod_l(copy.c_str(), &end, cLocale());
    if (end != copy.c_str() + copy.size()) return std::nullopt;
    return value;
}

std::string_view trimmedBlanks(std::string_view text) {
    const auto first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    const auto last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

}  // namespace icon_geometry::svg_detail
