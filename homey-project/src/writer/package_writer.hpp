#pragma once

#include <functional>
#include <string_view>
#include <vector>

#include "homey_project/driver_package_writer.hpp"
#include "writer/file_operations.hpp"

namespace homey_project {

// The write with its file operations handed in; `cancelled`, when given, is
// asked before each entry is staged and once more before the renames.
std::vector<PlannedWrite> writePackage(FileOperations& operations, const DriverPackage& package,
                                       const HomeyDriver& driver, const HomeyApp& app, bool overwrite,
                                       const std::function<bool()>& cancelled = {});

// A stored model written by a newer program: an integral "version" of 3 or more,
// including one too large for a 64-bit integer.
bool isNewerModel(std::string_view bytes);

// One plain file name: not empty, ".", "..", and without "/" or NUL.
bool isPlainFileName(std::string_view name);

}  // namespace homey_project
