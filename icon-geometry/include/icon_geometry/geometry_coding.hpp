#pragma once

// JSON forms of the vector, path and camera types.

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/camera.hpp"
#include "icon_geometry/json.hpp"
#include "icon_geometry/vector.hpp"

namespace icon_geometry::json {

template <>
struct Coding<Vector2> {
    static Vector2 decode(const Decoder& d);
    static Tree encode(Vector2 v);
};
template <>
struct Coding<Vector3> {
    static Vector3 decode(const Decoder& d);
    static Tree encode(Vector3 v);
};
template <>
struct Coding<PathSegment> {
    static PathSegment decode(const Decoder& d);
    static Tree encode(const PathSegment& s);
};
template <>
struct Coding<Subpath> {
    static Subpath decode(const Decoder& d);
    static Tree encode(const Subpath& s);
};
template <>
struct Coding<BezierPath> {
    static BezierPath decode(const Decoder& d);
    static Tree encode(const BezierPath& p);
};
// Exactly the three keys, all required when decoding.
template <>
struct Coding<Camera> {
    static Camera decode(const Decoder& d);
    static Tree encode(const Camera& camera);
};

}  // namespace icon_geometry::json
