#pragma once

// JSON form of the face shapes.

#include "icon_geometry/face_shape.hpp"
#include "icon_geometry/json.hpp"

namespace icon_geometry::json {

// {"roundedRectangle": {"width": 86, "height": 86, "cornerRadius": 6}} and so on.
template <>
struct Coding<FaceShape> {
    static FaceShape decode(const Decoder& d);
    static Tree encode(const FaceShape& shape);
};

}  // namespace icon_geometry::json
