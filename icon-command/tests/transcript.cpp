#include "transcript.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "icon_command/icon_command.hpp"

namespace icon_command::testing {

namespace fs = std::filesystem;

Console capturingConsole(std::string& out, std::string& err) {
    return {
        .out = [&out](std::string_view text) { (out += text) += '\n'; },
        .err = [&err](std::string_view text) { (err += text) += '\n'; },
        .data = [&out](std::string_view bytes) { out += bytes; },
    };
}

Transcript runTool(const std::vector<std::string>& arguments, Language language, std::string_view version) {
    Transcript transcript;
    const Console console = capturingConsole(transcript.out, transcript.err);
    transcript.code = IconCommand::run(arguments, console, language, version);
    return transcript;
}

void expectMatchesGolden(std::string_view name, std::string_view actual) {
    gs_test::expectMatchesGolden(fs::path(GS_TRANSCRIPT_DIR) / name, actual);
}

}  // namespace icon_command::testing
