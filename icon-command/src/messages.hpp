#pragma once

// Helpers for wording refusals in the chosen language.

#include <initializer_list>
#include <string>
#include <string_view>

#include "icon_command/console.hpp"

namespace icon_command {

inline std::string concat(std::initializer_list<std::string_view> pieces) {
    std::string text;
    for (std::string_view piece : pieces) text += piece;
    return text;
}

// A malformed command.
[[noreturn]] inline void refuse(std::string message) {
    throw CommandError(std::move(message), ExitCode::usage);
}

// A value as the user typed it: « X » in French, “X” in English.
inline std::string quoted(std::string_view value, Language language) {
    return concat({language.choose("« ", "“"), value, language.choose(" »", "”")});
}

}  // namespace icon_command
