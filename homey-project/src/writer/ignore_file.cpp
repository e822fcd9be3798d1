#include "writer/ignore_file.hpp"

#include <array>
#include <vector>

#include "homey_project/source_layout.hpp"

namespace homey_project::ignore_file {
namespace {

// Line breaks: LF, VT, FF, CR (CR LF is a CR then an LF, and empty lines are
// dropped anyway), NEL, LINE SEPARATOR, PARAGRAPH SEPARATOR.
std::size_t lineBreakLength(std::string_view text, std::size_t i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c == '\n' || c == '\v' || c == '\f' || c == '\r') return 1;
    const std::string_view rest = text.substr(i);
    if (rest.starts_with("\xC2\x85")) return 2;
    if (rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9")) return 3;
    return 0;
}

// Tab and the space separators, in UTF-8.
constexpr std::array<std::string_view, 18> blanks{"\t",           " ",
                                                  "\xC2\xA0",     "\xE1\x9A\x80",
                                                  "\xE2\x80\x80", "\xE2\x80\x81",
                                                  "\xE2\x80\x82", "\xE2\x80\x83",
                                                  "\xE2\x80\x84", "\xE2\x80\x85",
                                                  "\xE2\x80\x86", "\xE2\x80\x87",
                                                  "\xE2\x80\x88", "\xE2\x80\x89",
                                                  "\xE2\x80\x8A", "\xE2\x80\xAF",
                                                  "\xE2\x81\x9F", "\xE3\x80\x80"};

std::string_view trimmed(std::string_view line) {
    for (bool changed = true; changed && !line.empty();) {
        changed = false;
        for (std::string_view blank : blanks) {
            if (line.starts_with(blank)) {
                line.remove_prefix(blank.size());
                changed = true;
            }
            if (line.ends_with(blank)) {
                line.remove_suffix(blank.size());
                changed = true;
            }
        }
    }
    return line;
}

bool keepsSourcesOut(std::string_view line) {
    return line == "sources/" || line == "sources" || line == "/sources" || line == "/sources/";
}

}  // namespace

std::optional<std::string> entryFor(std::optional<std::string_view> bytes) {
    const std::string_view text = bytes.value_or(std::string_view{});
    std::size_t start = 0;
    for (std::size_t i = 0; i <= text.size();) {
        const std::size_t breakLength = i < text.size() ? lineBreakLength(text, i) : 1;
        if (breakLength == 0) {
            ++i;
            continue;
        }
        if (keepsSourcesOut(trimmed(text.substr(start, i - start)))) return std::nullopt;
        i += breakLength;
        start = i;
    }
    std::string entry;
    if (!text.empty() && text.back() != '\n') entry.push_back('\n');
    entry.append(SourceLayout::ignoreLine);
    entry.push_back('\n');
    return entry;
}

}  // namespace homey_project::ignore_file
