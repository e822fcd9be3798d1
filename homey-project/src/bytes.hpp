#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace homey_project {

// File contents are held as text; the image and SVG readers take bytes.
inline std::span<const std::uint8_t> asBytes(std::string_view text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

}  // namespace homey_project
