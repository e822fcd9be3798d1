#pragma once

// Where the platform finds the images a manifest names. The names come from the
// project's own files, so they are untrusted: a name that could reach outside
// the project, or that the platform would not take, gives nothing, and the
// size's default file serves instead.

#include <filesystem>
#include <optional>
#include <string_view>

#include "homey_project/homey_app.hpp"

namespace homey_project::image_paths {

// For a driver, the placeholders {{driverId}}, {{driverPath}} (/drivers/<id>)
// and {{driverAssetsPath}} (/drivers/<id>/assets) are put in as the platform's
// build does; what is left is relative to the root, with or without a leading
// "/". Nothing for a NUL byte, a ".." component, an ending other than .png, .jpg
// or .jpeg (any case), or a path that does not resolve strictly inside the
// project on real paths (a link out of it, say).
[[nodiscard]] std::optional<std::filesystem::path> namedFile(const std::filesystem::path& root, std::string_view named,
                                                             std::optional<std::string_view> driverID);

// The named files by size; the sizes whose names give nothing are left out.
[[nodiscard]] ImageFiles namedFiles(const std::filesystem::path& root, const ImageNames& names,
                                    std::optional<std::string_view> driverID);

}  // namespace homey_project::image_paths
