// glyphctl: reads the process's arguments and environment, runs one command and
// exits with its code. Everything else lives in the icon_command library.

#include <fcntl.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "icon_command/console.hpp"
#include "icon_command/icon_command.hpp"

extern char** environ;

namespace {

// Whether standard output is broken: closed when the program started, or a
// write or flush to it failed.
bool standardOutputBroken = false;
bool wroteToStandardOutput = false;

void write(std::FILE* stream, std::string_view bytes) {
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::fflush(stream);
}

// Results on standard output, errors and warnings on standard error.
icon_command::Console standardConsole() {
    const auto toOutput = [](std::string_view bytes) {
        wroteToStandardOutput = true;
        write(stdout, bytes);
    };
    return {
        .out =
            [toOutput](std::string_view text) {
                toOutput(text);
                toOutput("\n");
            },
        .err = [](std::string_view text) { write(stderr, std::string(text) + "\n"); },
        .data = toOutput,
    };
}

// A closed standard stream is given /dev/null, so that no file the command
// opens takes its number and receives the stream's text. A closed standard
// output still counts as broken.
void occupyClosedStandardStreams() {
    for (int fd = 0; fd <= 2; ++fd) {
        if (::fcntl(fd, F_GETFD) != -1) continue;
        const int opened = ::open("/dev/null", fd == 0 ? O_RDONLY : O_WRONLY);
        if (opened >= 0 && opened != fd) {
            ::dup2(opened, fd);
            ::close(opened);
        }
        if (fd == 1) standardOutputBroken = true;
    }
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
    // A reader that goes away shows as a failed write (EPIPE), not as a signal.
    std::signal(SIGPIPE, SIG_IGN);
    // A file grown past the size limit fails its write, so that the write is
    // taken back, instead of ending the program halfway through it.
    std::signal(SIGXFSZ, SIG_IGN);
    occupyClosedStandardStreams();
    const std::vector<std::string> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
    const std::string version = icon_command::IconCommand::version();
    const icon_command::Console console = standardConsole();
    const icon_command::Environment environment = processEnvironment();
    const icon_command::Language language =
        icon_command::Language::detect(environment, icon_command::preferredLanguages(environment));
    std::int32_t code = icon_command::IconCommand::run(arguments, console, language, version);
    // Output that did not reach standard output is a failed write, whatever
    // the command concluded.
    if (wroteToStandardOutput && (standardOutputBroken || std::fflush(stdout) != 0 || std::ferror(stdout) != 0)) {
        console.err(icon_command::IconCommand::standardOutputFailure(language));
        code = icon_command::ExitCode::fileError;
    }
    return code & 0xff;
}
