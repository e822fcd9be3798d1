#pragma once

// JSON forms of the icon model and its parts.

#include "icon_geometry/icon_model.hpp"
#include "icon_geometry/json.hpp"

namespace icon_geometry::json {

// "wall", "ceiling" or "floor".
template <>
struct Coding<Orientation> {
    static Orientation decode(const Decoder& d);
    static Tree encode(Orientation orientation);
};
// "face" and "depth" required; "bevel" only when present; "details" always
// written, "grooves" only when not empty, both read as empty when absent or null.
template <>
struct Coding<ExtrudedBody> {
    static ExtrudedBody decode(const Decoder& d);
    static Tree encode(const ExtrudedBody& body);
};
// {"extruded": {"_0": body}} or {"revolved": {"_0": body}}.
template <>
struct Coding<Solid> {
    static Solid decode(const Decoder& d);
    static Tree encode(const Solid& solid);
};
// "solid" required; "offset" always written, absent reads as the origin; "turn"
// written only when not 0.
template <>
struct Coding<BodyPart> {
    static BodyPart decode(const Decoder& d);
    static Tree encode(const BodyPart& part);
};
// Written as the current version whatever the value holds. Read by version: a
// newer one is refused before anything else is read; older ones hold a single
// "body".
template <>
struct Coding<IconModel> {
    static IconModel decode(const Decoder& d);
    static Tree encode(const IconModel& model);
};

}  // namespace icon_geometry::json
