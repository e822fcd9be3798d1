#pragma once

// JSON form of the pictograms.

#include "icon_geometry/json.hpp"
#include "icon_geometry/pictogram.hpp"

namespace icon_geometry::json {

// The raw string, e.g. "sun".
template <>
struct Coding<Pictogram> {
    static Pictogram decode(const Decoder& d);
    static Tree encode(Pictogram pictogram);
};

}  // namespace icon_geometry::json
