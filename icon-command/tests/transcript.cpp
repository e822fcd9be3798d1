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

std::string readText(const std::string& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

void writeText(const std::string& path, std::string_view text) {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void expectMatchesGolden(std::string_view name, std::string_view actual) {
    const fs::path golden = fs::path(GS_TRANSCRIPT_DIR) / name;
    const char* regenerate = std::getenv("GS_REGENERATE_GOLDEN");
    if (regenerate != nullptr && std::string_view(regenerate) == "1") {
        writeText(golden.string(), actual);
        return;
    }
    const std::string expected = readText(golden.string());
    if (expected == actual) return;

    fs::create_directories(GS_TEST_OUTPUT_DIR);
    const fs::path written = fs::path(GS_TEST_OUTPUT_DIR) / name;
    writeText(written.string(), actual);
    std::istringstream expectedLines(expected);
    std::istringstream actualLines{std::string(actual)};
    std::string e;
    std::string a;
    int line = 1;
    while (true) {
        const bool moreExpected = static_cast<bool>(std::getline(expectedLines, e));
        const bool moreActual = static_cast<bool>(std::getline(actualLines, a));
        if (!moreExpected && !moreActual) break;
        if (moreExpected != moreActual || e != a) break;
        ++line;
    }
    ADD_FAILURE() << name << " differs from its golden file at line " << line << "\n  expected: " << e
                  << "\n  actual:   " << a << "\n  actual output written to " << written;
}

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (fs::temp_directory_path() / "glyphctl-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a temporary folder");
    path_ = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code ignored;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::vector<std::string> TemporaryFolder::entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(path_)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace icon_command::testing
