#pragma once

// What the libraries' tests share: golden files, specified byte for byte, and
// scratch folders.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace gs_test {

// Compares a document with its golden file byte for byte; GS_REGENERATE_GOLDEN=1
// rewrites the file instead. On a mismatch the actual document is written into
// "golden-actual" beside the test binary, under the golden file's folder and
// name, and the first differing line is reported as a test failure.
void expectMatchesGolden(const std::filesystem::path& goldenFile, std::string_view actual);

std::string readText(const std::filesystem::path& path);
void writeText(const std::filesystem::path& path, std::string_view text);

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

}  // namespace gs_test
