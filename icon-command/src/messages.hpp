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

// Text from the command line or a path as a message shows it: each byte
// sequence that is not valid UTF-8 becomes U+FFFD, so the console always gets
// UTF-8.
std::string displayed(std::string_view text);

// The message of a file that could not be written.
inline std::string writeFailure(std::string_view path, Language language) {
    return concat({language.choose("Impossible d’écrire ", "Cannot write "), displayed(path), "."});
}

// A malformed command.
[[noreturn]] inline void refuse(std::string message) {
    throw CommandError(std::move(message), ExitCode::usage);
}

// A value as the user typed it: « X » in French, “X” in English.
inline std::string quoted(std::string_view value, Language language) {
    return concat({language.choose("« ", "“"), displayed(value), language.choose(" »", "”")});
}

// One visitor from several lambdas, for std::visit.
template <class... Handlers>
struct Overloaded : Handlers... {
    using Handlers::operator()...;
};
template <class... Handlers>
Overloaded(Handlers...) -> Overloaded<Handlers...>;

}  // namespace icon_command
