#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

// Numbers stored in file bytes; the caller has checked that the bytes are there.
namespace image_io::detail {

[[nodiscard]] inline std::uint32_t bigEndian32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

[[nodiscard]] inline std::uint32_t littleEndian16(std::span<const std::uint8_t> bytes, std::size_t at) {
    return std::uint32_t{bytes[at]} | (std::uint32_t{bytes[at + 1]} << 8);
}

[[nodiscard]] inline std::uint32_t littleEndian32(std::span<const std::uint8_t> bytes, std::size_t at) {
    return littleEndian16(bytes, at) | (littleEndian16(bytes, at + 2) << 16);
}

}  // namespace image_io::detail
