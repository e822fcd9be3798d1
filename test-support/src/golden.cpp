#include "gs_test/golden.hpp"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace gs_test {

namespace fs = std::filesystem;

namespace {

std::vector<std::string> lines(std::string_view text) {
    std::vector<std::string> result;
    std::istringstream in{std::string(text)};
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

}  // namespace

std::string readText(const fs::path& path) {
    std::ifstream stream(path, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

void writeText(const fs::path& path, std::string_view text) {
    std::ofstream stream(path, std::ios::binary | std::ios::trunc);
    stream.write(text.data(), static_cast<std::streamsize>(text.size()));
}

void expectMatchesGolden(const fs::path& goldenFile, std::string_view actual) {
    const char* regenerate = std::getenv("GS_REGENERATE_GOLDEN");
    if (regenerate != nullptr && std::string_view(regenerate) == "1") {
        fs::create_directories(goldenFile.parent_path());
        writeText(goldenFile, actual);
        return;
    }
    ASSERT_TRUE(fs::exists(goldenFile)) << goldenFile << " is missing; run with GS_REGENERATE_GOLDEN=1 to create it";
    const std::string expected = readText(goldenFile);
    if (expected == actual) return;

    const fs::path written = fs::read_symlink("/proc/self/exe").parent_path() / "golden-actual" /
                             goldenFile.parent_path().filename() / goldenFile.filename();
    fs::create_directories(written.parent_path());
    writeText(written, actual);
    const auto e = lines(expected);
    const auto a = lines(actual);
    std::size_t i = 0;
    while (i < e.size() && i < a.size() && e[i] == a[i]) ++i;
    ADD_FAILURE() << goldenFile.filename() << " differs from its golden file at line " << i + 1
                  << "\n  expected: " << (i < e.size() ? e[i].substr(0, 200) : "(end of file)")
                  << "\n  actual:   " << (i < a.size() ? a[i].substr(0, 200) : "(end of file)")
                  << "\n  actual document written to " << written;
}

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (fs::temp_directory_path() / "glyphsmith-test-XXXXXX").string();
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

}  // namespace gs_test
