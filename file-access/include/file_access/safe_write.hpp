#pragma once

// Writing files so that a reader only ever sees the old or the whole new
// content: the bytes go to a temporary file beside the target, flushed, then
// renamed over it. Temporary files are named ".<name>.tmp-<pid>-<n>", so that
// one left by a process that died is known as such and removed by the next
// write into its folder.

#include <sys/types.h>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace file_access {

// Writes every byte to the descriptor, going on after short and interrupted
// writes; false at the first error, or when a write makes no progress.
[[nodiscard]] bool writeAll(int fd, std::string_view bytes);

// The process that made the temporary file of this name, when the name is one.
[[nodiscard]] std::optional<pid_t> temporaryFileOwner(std::string_view name);

// Removes the temporary files in the open folder whose process no longer runs
// (killed before it could clean up), and any older than a day. Recent files of
// running processes stay.
void removeAbandonedTemporaries(int folder);

// The bytes in a new temporary file in the open folder, named after `name`:
// created exclusively with mode 0666 under the umask (or `mode` when given),
// flushed to disk and closed. The temporary file's name; nothing, and no file
// left, on failure.
[[nodiscard]] std::optional<std::string> stageFile(int folder, const std::string& name, std::string_view bytes,
                                                   std::optional<mode_t> mode = std::nullopt);

// Renames a staged file over `name` in the same folder. Without `replace`,
// something already there is never replaced: false with errno EEXIST.
[[nodiscard]] bool placeStaged(int folder, const std::string& temporary, const std::string& name, bool replace);

enum class WriteOutcome { done, failed, exists };

// One file staged and placed in the open folder, the folder then flushed; on
// failure no temporary file is left and the former file is untouched.
[[nodiscard]] WriteOutcome replaceFileAt(int folder, const std::string& name, std::string_view bytes, bool replace,
                                         std::optional<mode_t> mode = std::nullopt);

// The same for a path whose folder exists; abandoned temporary files in that
// folder are removed first. A link at the path is replaced, not followed.
[[nodiscard]] bool replaceFile(const std::filesystem::path& target, std::string_view bytes,
                               std::optional<mode_t> mode = std::nullopt);

}  // namespace file_access
