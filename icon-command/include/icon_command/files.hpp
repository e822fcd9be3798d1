#pragma once

// The tool's file reading and writing: outputs replace their file atomically and
// never leave a half-written file behind; inputs are read with a size bound.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "icon_command/console.hpp"

namespace icon_command {

struct FileContents {
    std::string bytes;
    // The file holds more than the bound; `bytes` then holds bound + 1 bytes.
    bool exceedsBound = false;
};

// The bytes of a file, at most `bound` + 1 of them; nothing when it cannot be
// opened or read (a folder, a missing file, no permission).
[[nodiscard]] std::optional<FileContents> readFile(const std::string& path, std::size_t bound);

namespace IconCommand {

// Creates the missing parent folders, then replaces the file atomically (a
// temporary file in the same folder, then a rename) with mode 0666 less the
// umask. Any failure is CommandError "Cannot write <path>." with code fileError,
// and leaves no temporary file and any earlier file unchanged.
void writeFile(std::string_view bytes, const std::string& path, Language language);

}  // namespace IconCommand
}  // namespace icon_command
