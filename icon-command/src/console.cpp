#include "icon_command/console.hpp"

#include <array>

#include "messages.hpp"

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
    if ((raw < success || raw > fileError) && raw != hangUp && raw != interrupted && raw != terminated)
        return std::nullopt;
    return ExitCode(static_cast<Case>(raw));
}

// Well-formed UTF-8 as the Unicode standard defines it (no overlong forms, no
// surrogates, nothing above U+10FFFF); each maximal ill-formed part of a
// sequence becomes one U+FFFD, and so does every control character.
std::string displayed(std::string_view text) {
    static constexpr std::string_view replacement = "\xEF\xBF\xBD";
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
        const unsigned char lead = byte(i);
        if (lead < 0x80) {
            // Control characters from a name or path could move the cursor,
            // recolour or retitle the terminal, or forge a line of their own.
            if (lead < 0x20 || lead == 0x7F) {
                out += replacement;
            } else {
                out += static_cast<char>(lead);
            }
            ++i;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        }
        if (length == 0) {
            out += replacement;
            ++i;
            continue;
        }
        std::size_t k = 1;
        for (; k < length && i + k < text.size(); ++k) {
            const unsigned char c = byte(i + k);
            const unsigned char min = k == 1 ? low : 0x80;
            const unsigned char max = k == 1 ? high : 0xBF;
            if (c < min || c > max) break;
        }
        if (k == length && lead == 0xC2 && byte(i + 1) < 0xA0) {
            out += replacement;  // C1 controls, U+0080 to U+009F, as the C0 ones
        } else if (k == length) {
            out.append(text.substr(i, length));
        } else {
            out += replacement;
        }
        i += k;
    }
    return out;
}

std::string joined(const std::vector<std::string>& texts) {
    std::string list;
    for (const std::string& text : texts) {
        if (!list.empty()) list += ", ";
        list += displayed(text);
    }
    return list;
}

std::string partialWriteFailure(std::string_view failed, const std::vector<std::string>& written,
                                const std::vector<std::string>& notWritten, Language language) {
    return concat({writeFailure(failed, language), "\n", language.choose("Écrits : ", "Written: "), joined(written),
                   ".\n", language.choose("Non écrits : ", "Not written: "), joined(notWritten), "."});
}

}  // namespace icon_command
