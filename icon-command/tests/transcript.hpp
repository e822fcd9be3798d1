#pragma once

// Running the tool's commands the way the program's entry does, with the output
// captured.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "gs_test/golden.hpp"
#include "icon_command/console.hpp"

namespace icon_command::testing {

// What one run wrote: standard output (`out` lines and `data` bytes, in order),
// standard error, and the exit code.
struct Transcript {
    std::string out;
    std::string err;
    std::int32_t code = -1;
};

// The message of the CommandError the call raises, after checking its code.
template <class Call>
std::string refusal(Call&& call, ExitCode expectedCode = ExitCode::usage) {
    try {
        call();
    } catch (const CommandError& error) {
        EXPECT_EQ(error.code, expectedCode) << error.message;
        return error.message;
    }
    ADD_FAILURE() << "no CommandError";
    return "";
}

// A refused run: its code, nothing on standard output, the message alone on
// standard error.
inline void expectRefusal(const Transcript& t, std::int32_t code, std::string_view message) {
    EXPECT_EQ(t.code, code) << message;
    EXPECT_EQ(t.out, "");
    EXPECT_EQ(t.err, std::string(message) + "\n");
}

// A console that appends to the two texts as the standard console writes to the
// two streams.
Console capturingConsole(std::string& out, std::string& err);

// Runs glyphctl with these arguments (without the program's name).
Transcript runTool(const std::vector<std::string>& arguments, Language language,
                   std::string_view version = "2.1 (build 57)");

// Compares with the file of that name in the transcripts folder (see
// gs_test::expectMatchesGolden).
void expectMatchesGolden(std::string_view name, std::string_view actual);

using gs_test::TemporaryFolder;

inline std::string readText(const std::string& path) {
    return gs_test::readText(path);
}
// Writes the file, making its missing folders first.
inline void writeText(const std::string& path, std::string_view text) {
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    gs_test::writeText(path, text);
}

}  // namespace icon_command::testing
