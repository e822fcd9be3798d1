#pragma once

// The tool's file writing: outputs replace their file atomically and never
// leave a half-written file behind. Input files are read through
// file_access::readBoundedFile.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "icon_command/console.hpp"

namespace icon_command {

// The whole content of a regular file, through the project's bounded reader: a
// folder, pipe or device (also behind a link) is refused at once instead of
// blocking, and so is a file larger than `limit`. Nothing when it cannot be read.
[[nodiscard]] std::optional<std::string> readFile(const std::filesystem::path& path, std::size_t limit);

// The path made absolute against the working folder and lexically normalised:
// no ".", "..", doubled or trailing "/"; links are not resolved.
[[nodiscard]] std::filesystem::path fullPath(std::string_view path);

namespace IconCommand {

// Creates the missing parent folders, then replaces the file atomically (a
// temporary file in the same folder, then a rename) with mode 0666 less the
// umask. Any failure is CommandError "Cannot write <path>." with code fileError,
// and leaves no temporary file and any earlier file unchanged.
void writeFile(std::string_view bytes, const std::string& path, Language language);

}  // namespace IconCommand
}  // namespace icon_command
