#include "write_signals.hpp"

#include <array>
#include <csignal>

namespace icon_command {

namespace {

constexpr std::array<int, 3> caught = {SIGINT, SIGTERM, SIGHUP};

// A handler can only leave a note: the number of the last signal, 0 for none.
volatile std::sig_atomic_t lastSignal = 0;

void note(int signal) {
    lastSignal = signal;
}

}  // namespace

WriteSignals::WriteSignals() {
    static_assert(caught.size() == std::tuple_size_v<decltype(formerActions_)>);
    lastSignal = 0;
    struct sigaction action {};
    action.sa_handler = note;
    sigemptyset(&action.sa_mask);
    // Interrupted system calls go on: the write decides when to stop.
    action.sa_flags = SA_RESTART;
    for (std::size_t i = 0; i < caught.size(); ++i) ::sigaction(caught[i], &action, &formerActions_[i]);
}

WriteSignals::~WriteSignals() {
    for (std::size_t i = 0; i < caught.size(); ++i) ::sigaction(caught[i], &formerActions_[i], nullptr);
}

bool WriteSignals::received() const {
    return lastSignal != 0;
}

ExitCode WriteSignals::exitCode() const {
    switch (lastSignal) {
        case SIGHUP:
            return ExitCode::hangUp;
        case SIGINT:
            return ExitCode::interrupted;
        case SIGTERM:
            return ExitCode::terminated;
        default:
            return ExitCode::success;
    }
}

}  // namespace icon_command
