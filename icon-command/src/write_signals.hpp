#pragma once

// While the tool writes into a project or an output folder, SIGINT, SIGTERM and
// SIGHUP are noted instead of ending it mid-way: the write asks between its
// files whether one came and gives up while nothing is replaced yet; once it
// renames it finishes, and the command then ends as the signal asked.

#include <signal.h>

#include <array>

#include "icon_command/console.hpp"

namespace icon_command {

class WriteSignals {
public:
    // Catches the three signals until destroyed; a signal noted before is forgotten.
    WriteSignals();
    ~WriteSignals();
    WriteSignals(const WriteSignals&) = delete;
    WriteSignals& operator=(const WriteSignals&) = delete;

    // Whether one of the signals came since construction.
    [[nodiscard]] bool received() const;
    // The code a shell expects of a program ended by that signal: 128 and its number.
    [[nodiscard]] ExitCode exitCode() const;

private:
    std::array<struct sigaction, 3> formerActions_{};
};

}  // namespace icon_command
