#pragma once

// The frame every command runs in: the language of its messages, its exit code,
// the three output channels, and the error that carries a message and a code
// back to the entry.

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace icon_command {

// Variable name → value, as the process received them.
using Environment = std::map<std::string, std::string, std::less<>>;

struct Language {
    enum Case : unsigned char { fr, en };

    Case value = fr;

    constexpr Language() = default;
    constexpr Language(Case c) : value(c) {}

    std::string_view rawValue() const { return value == fr ? "fr" : "en"; }

    // The first of LC_ALL, LC_MESSAGES and LANG that names a real locale, else the
    // first preferred language; French when that text begins with "fr".
    static Language detect(const Environment& environment, const std::vector<std::string>& preferredLanguages);

    // The message of this language among the two.
    std::string_view choose(std::string_view french, std::string_view english) const {
        return value == fr ? french : english;
    }

    friend constexpr bool operator==(Language, Language) = default;
};

// The user's preferred languages: the entries of LANGUAGE, in order.
std::vector<std::string> preferredLanguages(const Environment& environment);

struct ExitCode {
    enum Case : std::int32_t {
        success = 0,
        failure = 1,    // a failed check or a refused write
        usage = 2,      // a malformed command
        fileError = 3,  // an unreadable or unwritable file
        // A write given up or finished after a signal: 128 and the signal's number.
        hangUp = 129,
        interrupted = 130,
        terminated = 143,
    };

    Case value = success;

    constexpr ExitCode() = default;
    constexpr ExitCode(Case c) : value(c) {}

    std::int32_t rawValue() const { return value; }
    static std::optional<ExitCode> fromRawValue(std::int32_t raw);

    friend constexpr bool operator==(ExitCode, ExitCode) = default;
};

// Where a command writes. `out` and `err` add the final line feed; `data` writes
// the bytes as they are. Commands only ever write through these.
struct Console {
    std::function<void(std::string_view)> out;
    std::function<void(std::string_view)> err;
    std::function<void(std::string_view)> data;
};

// Every refusal of the tool: the message, already in the chosen language, and
// the exit code it ends the process with.
class CommandError : public std::runtime_error {
public:
    CommandError(std::string message, ExitCode code)
        : std::runtime_error(message), message(std::move(message)), code(code) {}

    std::string message;
    ExitCode code;
};

}  // namespace icon_command
