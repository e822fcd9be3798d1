#pragma once

// Reading whole files of a known kind, never more than a limit.

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>

namespace file_access {

inline constexpr std::size_t textFileLimit = std::size_t{16} << 20;    // JSON, SVG, text
inline constexpr std::size_t imageFileLimit = std::size_t{128} << 20;  // images

// Reads a whole regular file: opened without blocking and without following into anything but a
// regular file (a FIFO, device, folder or socket — directly or through a link — is refused); the
// size is checked from fstat before reading and again while reading, so a file that grows cannot
// pass the limit. std::nullopt when it cannot be read, for any reason.
[[nodiscard]] std::optional<std::string> readBoundedFile(const std::filesystem::path& path, std::size_t maxBytes);

}  // namespace file_access
