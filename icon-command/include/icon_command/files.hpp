#pragma once

// The tool's file writing: outputs replace their file atomically and never
// leave a half-written file behind. Input files are read through
// image_io::readBoundedFile.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "icon_command/console.hpp"

namespace icon_command {

namespace IconCommand {

// Creates the missing parent folders, then replaces the file atomically (a
// temporary file in the same folder, then a rename) with mode 0666 less the
// umask. Any failure is CommandError "Cannot write <path>." with code fileError,
// and leaves no temporary file and any earlier file unchanged.
void writeFile(std::string_view bytes, const std::string& path, Language language);

}  // namespace IconCommand
}  // namespace icon_command
