#pragma once

// Golden files: documents specified byte for byte, kept under tests/golden.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace golden {

inline std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) result.push_back(l);
    return result;
}

// Compares a document with its golden file byte for byte; GS_REGENERATE_GOLDEN=1
// rewrites the file instead. On a mismatch the actual document is written beside
// the test binary and the first differing line is shown.
inline void expectMatches(const std::string& relativePath, const std::string& actual) {
    const std::filesystem::path file = std::filesystem::path(GS_GOLDEN_DIR) / relativePath;
    const char* regenerate = std::getenv("GS_REGENERATE_GOLDEN");
    if (regenerate != nullptr && std::string_view(regenerate) == "1") {
        std::filesystem::create_directories(file.parent_path());
        std::ofstream(file, std::ios::binary) << actual;
        return;
    }
    std::ifstream in(file, std::ios::binary);
    ASSERT_TRUE(in) << file << " is missing; run with GS_REGENERATE_GOLDEN=1 to create it";
    const std::string expected((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (expected == actual) return;

    const std::filesystem::path written =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "golden-actual" / relativePath;
    std::filesystem::create_directories(written.parent_path());
    std::ofstream(written, std::ios::binary) << actual;
    const auto e = lines(expected);
    const auto a = lines(actual);
    std::size_t i = 0;
    while (i < e.size() && i < a.size() && e[i] == a[i]) ++i;
    ADD_FAILURE() << relativePath << " differs from its golden file at line " << i + 1
                  << "\n  expected: " << (i < e.size() ? e[i].substr(0, 200) : "(end of file)")
                  << "\n  actual:   " << (i < a.size() ? a[i].substr(0, 200) : "(end of file)")
                  << "\n  actual document written to " << written;
}

}  // namespace golden
