// glyphctl: reads the process's arguments and environment, runs one command and
// exits with its code. Everything else lives in the icon_command library.

#include <unistd.h>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "icon_command/console.hpp"
#include "icon_command/icon_command.hpp"

extern char** environ;

namespace {

void write(std::FILE* stream, std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

// Results on standard output, errors and warnings on standard error.
icon_command::Console standardConsole() {
    return {
        .out =
            [](std::string_view text) {
                write(stdout, text);
                write(stdout, "\n");
            },
        .err = [](std::string_view text) { write(stderr, std::string(text) + "\n"); },
        .data = [](std::string_view bytes) { write(stdout, bytes); },
    };
}

icon_command::Environment processEnvironment() {
    icon_command::Environment environment;
    for (char** entry = environ; entry != nullptr && *entry != nullptr; ++entry) {
        const std::string_view text = *entry;
        const std::size_t equals = text.find('=');
        if (equals == std::string_view::npos) continue;
        environment.emplace(text.substr(0, equals), text.substr(equals + 1));
    }
    return environment;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const std::string version = icon_command::IconCommand::version();
    const icon_command::Console console = standardConsole();
    const icon_command::Environment environment = processEnvironment();
    const icon_command::Language language =
        icon_command::Language::detect(environment, icon_command::preferredLanguages(environment));
    const std::int32_t code = icon_command::IconCommand::run(arguments, console, language, version);
    return code & 0xff;
}
