#include "photo/photo_role.hpp"

#include <string>

#include "photo/photo_role_coding.hpp"

namespace photo_analysis {

std::string_view rawValue(PhotoRole role) {
    switch (role) {
        case PhotoRole::front:
            return "front";
        case PhotoRole::profile:
            return "profile";
        case PhotoRole::threeQuarter:
            return "threeQuarter";
    }
    return "front";
}

std::optional<PhotoRole> photoRoleFromRawValue(std::string_view raw) {
    for (const PhotoRole role : allPhotoRoles)
        if (rawValue(role) == raw) return role;
    return std::nullopt;
}

}  // namespace photo_analysis

namespace icon_geometry::json {

photo_analysis::PhotoRole Coding<photo_analysis::PhotoRole>::decode(const Decoder& d) {
    return photo_analysis::allPhotoRoles[d.rawValue({"front", "profile", "threeQuarter"})];
}

Tree Coding<photo_analysis::PhotoRole>::encode(photo_analysis::PhotoRole role) {
    return std::string(photo_analysis::rawValue(role));
}

}  // namespace icon_geometry::json
