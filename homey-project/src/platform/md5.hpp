#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace homey_project::platform {

using MD5Digest = std::array<std::uint8_t, 16>;

// The standard MD5 digest of the bytes, through OpenSSL's EVP interface; used
// only to tell whether two files are identical. Nothing when OpenSSL fails.
[[nodiscard]] std::optional<MD5Digest> md5(std::string_view bytes);

// Two files are identical when their digests are equal (and both exist).
[[nodiscard]] bool identicalFiles(std::string_view a, std::string_view b);

}  // namespace homey_project::platform
