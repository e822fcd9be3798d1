#pragma once

// Running the tool's commands the way the program's entry does, with the output
// captured, plus the golden-file and temporary-folder helpers of the tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

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

// A console that appends to the two texts as the standard console writes to the
// two streams.
Console capturingConsole(std::string& out, std::string& err);

// Runs glyphctl with these arguments (without the program's name).
Transcript runTool(const std::vector<std::string>& arguments, Language language,
                   std::string_view version = "2.1 (build 57)");

// Compares with the file of that name in the transcripts folder. On a mismatch
// the actual text is written into the build's test-output folder and the first
// differing line is reported; GS_REGENERATE_GOLDEN=1 rewrites the golden file.
void expectMatchesGolden(std::string_view name, std::string_view actual);

// A fresh folder, removed with everything in it at the end of the scope.
class TemporaryFolder {
public:
    TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    ~TemporaryFolder();

    const std::filesystem::path& path() const { return path_; }
    std::string file(std::string_view relative) const { return (path_ / relative).string(); }
    // The names directly inside the folder, sorted.
    std::vector<std::string> entries() const;

private:
    std::filesystem::path path_;
};

std::string readText(const std::string& path);
void writeText(const std::string& path, std::string_view text);

}  // namespace icon_command::testing
