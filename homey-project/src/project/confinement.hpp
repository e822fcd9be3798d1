#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace homey_project::confinement {

// The absolute path with "." and ".." removed and no trailing "/", without
// resolving any link.
[[nodiscard]] std::string standardized(const std::filesystem::path& path);

// A path on real paths: its nearest existing ancestor (found with lstat, so a
// dangling link exists) resolved, then the components that do not exist yet.
struct Resolved {
    std::string existing;              // real path of the nearest existing ancestor
    std::vector<std::string> missing;  // below it, in order
    std::string full() const;
};

// Nothing when the existing part cannot be resolved (a dangling link, a loop,
// no permission).
[[nodiscard]] std::optional<Resolved> resolve(const std::filesystem::path& path);

// The root's real path; nothing when it cannot be resolved.
[[nodiscard]] std::optional<std::string> realRoot(const std::filesystem::path& root);

// Strictly below the folder.
[[nodiscard]] bool isBelow(const std::string& path, const std::string& folder);

}  // namespace homey_project::confinement
