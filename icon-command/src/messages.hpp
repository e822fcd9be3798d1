#pragma once

// Helpers for wording refusals in the chosen language.

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

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

// The texts as displayed, joined with ", ".
std::string joined(const std::vector<std::string>& texts);

// A write that stopped after putting some of its files in place: the file
// that failed, then the files written and those left as they were.
std::string partialWriteFailure(std::string_view failed, const std::vector<std::string>& written,
                                const std::vector<std::string>& notWritten, Language language);

// A write given up at a signal before anything was replaced.
inline std::string_view interruptedWrite(Language language) {
    return language.choose("Écriture interrompue : rien n’a été remplacé.", "Write interrupted: nothing was replaced.");
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
