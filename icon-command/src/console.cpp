#include "icon_command/console.hpp"

#include <array>

namespace icon_command {

namespace {

// "C", "POSIX" and "C.<codeset>" say nothing about the user's language.
bool namesLanguage(std::string_view locale) {
    return !locale.empty() && locale != "C" && locale != "POSIX" && !locale.starts_with("C.");
}

}  // namespace

Language Language::detect(const Environment& environment, const std::vector<std::string>& preferredLanguages) {
    std::string_view locale;
    bool found = false;
    for (std::string_view name : std::array<std::string_view, 3>{"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const auto it = environment.find(name);
        if (it != environment.end() && namesLanguage(it->second)) {
            locale = it->second;
            found = true;
            break;
        }
    }
    if (!found && !preferredLanguages.empty()) locale = preferredLanguages.front();

    const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
    const bool french = locale.size() >= 2 && lower(locale[0]) == 'f' && lower(locale[1]) == 'r';
    return french ? fr : en;
}

std::vector<std::string> preferredLanguages(const Environment& environment) {
    std::vector<std::string> languages;
    const auto it = environment.find("LANGUAGE");
    if (it == environment.end()) return languages;
    std::string_view rest = it->second;
    while (!rest.empty()) {
        const std::size_t colon = rest.find(':');
        const std::string_view entry = rest.substr(0, colon);
        if (!entry.empty()) languages.emplace_back(entry);
        if (colon == std::string_view::npos) break;
        rest.remove_prefix(colon + 1);
    }
    return languages;
}

std::optional<ExitCode> ExitCode::fromRawValue(std::int32_t raw) {
    if (raw < success || raw > fileError) return std::nullopt;
    return ExitCode(static_cast<Case>(raw));
}

}  // namespace icon_command
