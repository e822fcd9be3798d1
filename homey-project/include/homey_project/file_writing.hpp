#pragma once

// Writing bytes to an open file, shared by the project writer and the tool's
// output files.

#include <string_view>

namespace homey_project {

// Writes every byte to the descriptor, going on after short and interrupted
// writes; false at the first error, or when a write makes no progress.
[[nodiscard]] bool writeAll(int fd, std::string_view bytes);

}  // namespace homey_project
