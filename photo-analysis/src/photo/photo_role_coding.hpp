#pragma once

#include "icon_geometry/json.hpp"
#include "photo/photo_role.hpp"

namespace icon_geometry::json {

// The raw string, e.g. "threeQuarter"; any other string is data-corrupted.
template <>
struct Coding<photo_analysis::PhotoRole> {
    static photo_analysis::PhotoRole decode(const Decoder& d);
    static Tree encode(photo_analysis::PhotoRole role);
};

}  // namespace icon_geometry::json
