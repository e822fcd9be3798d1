#pragma once

#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>

namespace photo_analysis {

// What a photo of the device shows.
enum class PhotoRole { front, profile, threeQuarter };

inline constexpr std::array<PhotoRole, 3> allPhotoRoles{PhotoRole::front, PhotoRole::profile, PhotoRole::threeQuarter};

// The case name, which is also its JSON form.
std::string_view rawValue(PhotoRole role);
// Exactly the three names, case-sensitively; nothing for any other string.
std::optional<PhotoRole> photoRoleFromRawValue(std::string_view raw);

}  // namespace photo_analysis

template <>
struct std::hash<photo_analysis::PhotoRole> {
    std::size_t operator()(photo_analysis::PhotoRole role) const {
        return std::hash<std::string_view>()(photo_analysis::rawValue(role));
    }
};
