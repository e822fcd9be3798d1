#pragma once

// JSON forms of the face details and their styles.

#include "icon_geometry/face_detail.hpp"
#include "icon_geometry/json.hpp"

namespace icon_geometry::json {

// The raw string, e.g. "fill".
template <>
struct Coding<DetailStyle> {
    static DetailStyle decode(const Decoder& d);
    static Tree encode(DetailStyle style);
};
// {"indicator": {"center": {"x": 0, "y": -20}, "diameter": 4, "style": "fill"}} and so on;
// every key is required.
template <>
struct Coding<FaceDetail> {
    static FaceDetail decode(const Decoder& d);
    static Tree encode(const FaceDetail& detail);
};

}  // namespace icon_geometry::json
