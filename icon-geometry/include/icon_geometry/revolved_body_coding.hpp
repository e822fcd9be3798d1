#pragma once

// JSON forms of revolved bodies and their details.

#include "icon_geometry/json.hpp"
#include "icon_geometry/revolved_body.hpp"

namespace icon_geometry::json {

// "vertical", "depth" or "horizontal".
template <>
struct Coding<RevolvedAxis> {
    static RevolvedAxis decode(const Decoder& d);
    static Tree encode(RevolvedAxis axis);
};
// {"ring": {"at": 12}}, {"rings": {"from", "to", "count"}}, {"knurl": {…}},
// {"meridian": {"_0": path}}; every payload key required.
template <>
struct Coding<RevolvedDetail> {
    static RevolvedDetail decode(const Decoder& d);
    static Tree encode(const RevolvedDetail& detail);
};
// "profile", "axis" and "details", all three required.
template <>
struct Coding<RevolvedBody> {
    static RevolvedBody decode(const Decoder& d);
    static Tree encode(const RevolvedBody& body);
};

}  // namespace icon_geometry::json
