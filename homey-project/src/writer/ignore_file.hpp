#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace homey_project::ignore_file {

// What to append to a ".homeyignore" holding these bytes (nothing read: none)
// so that the sources folder is ignored; nothing when a line already says so.
// Lines are matched as UTF-8 with invalid bytes standing for themselves (they
// can never match); the leading line feed is decided from the raw bytes, so a
// file in another encoding never gets "sources/" glued to its last line.
[[nodiscard]] std::optional<std::string> entryFor(std::optional<std::string_view> bytes);

}  // namespace homey_project::ignore_file
