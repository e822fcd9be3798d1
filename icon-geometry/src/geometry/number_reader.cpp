#include "icon_geometry/number_reader.hpp"

#include <locale.h>

#include <clocale>
#include <cstdlib>
#include <string>

namespace icon_geometry {

namespace {

// Made once and never changed: the conversion must not follow the process
// locale, which a Qt program sets.
locale_t cLocale() {
    static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
    return locale;
}

bool isCWhiteSpace(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

}  // namespace

std::optional<double> readNumber(std::string_view text) {
    if (text.empty() || isCWhiteSpace(text.front())) return std::nullopt;
    const std::string copy(text);  // strtod needs the terminating NUL
    char* end = nullptr;
    const double value = strtod_l(copy.c_str(), &end, cLocale());
    if (end != copy.c_str() + copy.size()) return std::nullopt;
    return value;
}

}  // namespace icon_geometry
