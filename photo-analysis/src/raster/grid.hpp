#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace photo_analysis::grid {

// A grid of width × height cells that a list of `count` entries can hold.
inline bool holds(std::size_t count, int width, int height) {
    return width > 0 && height > 0 &&
           static_cast<std::uint64_t>(count) == static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
}

inline std::size_t cellCount(int width, int height) {
    return static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
}

}  // namespace photo_analysis::grid
