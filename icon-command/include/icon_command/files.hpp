#pragma once

// The tool's file writing: outputs replace their file atomically and never
// leave a half-written file behind. Input files are read through
// file_access::readBoundedFile.

#include <cstddef>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "icon_command/console.hpp"

namespace icon_command {

// The whole content of a regular file, through the project's bounded reader: a
// folder, pipe or device (also behind a link) is refused at once instead of
// blocking, and so is a file larger than `limit`. Nothing when it cannot be read.
[[nodiscard]] std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t limit);

// The path made absolute against the working folder and lexically normalised:
// no ".", "..", doubled or trailing "/"; links are not resolved.
[[nodiscard]] std::filesystem::path fullPath(std::string_view path);

// The folders made for a write, so that a write that fails or is given up
// can remove them again.
class MadeFolders {
public:
    // Makes the missing folders down to `folder`, one level at a time.
    [[nodiscard]] bool create(const std::filesystem::path& folder);
    // Removes the folders made, deepest first; one that is not empty stays.
    void removeAll();

private:
    std::vector<std::filesystem::path> made_;
};

// One file of a write of several: its full path and its bytes.
struct OutputFile {
    std::string path;
    std::string_view bytes;
};

namespace IconCommand {

// Creates the missing parent folders, then replaces the file atomically (a
// temporary file in the same folder, then a rename) with mode 0666 less the
// umask. Any failure is CommandError "Cannot write <path>." with code fileError,
// and leaves no temporary file and any earlier file unchanged.
void writeFile(std::string_view bytes, const std::string& path, Language language);

// Writes files of one folder together: every one staged in full beside its
// target first, and only then all renamed over their targets. A file that
// cannot be staged is CommandError "Cannot write <path>." (fileError) with
// nothing replaced and no temporary file left; a rename failing after others
// is a fileError naming the files written and those not. False, with nothing
// replaced, when `cancelled` answers true before the renames begin.
[[nodiscard]] bool writeFilesTogether(const std::filesystem::path& folder, const std::vector<OutputFile>& files,
                                      Language language, const std::function<bool()>& cancelled);

}  // namespace IconCommand
}  // namespace icon_command
