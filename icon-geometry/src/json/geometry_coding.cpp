#include "icon_geometry/geometry_coding.hpp"

namespace icon_geometry::json {

Vector2 Coding<Vector2>::decode(const Decoder& d) {
    return {d.required<double>("x"), d.required<double>("y")};
}

Tree Coding<Vector2>::encode(Vector2 v) {
    return Tree{{"x", v.x}, {"y", v.y}};
}

Vector3 Coding<Vector3>::decode(const Decoder& d) {
    return {d.required<double>("x"), d.required<double>("y"), d.required<double>("z")};
}

Tree Coding<Vector3>::encode(Vector3 v) {
    return Tree{{"x", v.x}, {"y", v.y}, {"z", v.z}};
}

PathSegment Coding<PathSegment>::decode(const Decoder& d) {
    const auto [name, payload] = d.singleCase({"line", "cubic"});
    if (name == "line") return PathSegment::line(payload.required<Vector2>("to"));
    const Vector2 control1 = payload.required<Vector2>("control1");
    const Vector2 control2 = payload.required<Vector2>("control2");
    return PathSegment::cubic(control1, control2, payload.required<Vector2>("to"));
}

Tree Coding<PathSegment>::encode(const PathSegment& s) {
    if (const auto* line = s.asLine()) return encodeCase("line", Tree{{"to", json::encode(line->to)}});
    const auto& c = *s.asCubic();
    return encodeCase("cubic", Tree{{"control1", json::encode(c.control1)},
                                    {"control2", json::encode(c.control2)},
                                    {"to", json::encode(c.to)}});
}

Subpath Coding<Subpath>::decode(const Decoder& d) {
    Subpath s;
    s.start = d.required<Vector2>("start");
    s.segments = d.required<std::vector<PathSegment>>("segments");
    s.isClosed = d.required<bool>("isClosed");
    return s;
}

Tree Coding<Subpath>::encode(const Subpath& s) {
    return Tree{{"start", json::encode(s.start)}, {"segments", json::encode(s.segments)}, {"isClosed", s.isClosed}};
}

BezierPath Coding<BezierPath>::decode(const Decoder& d) {
    return {d.required<std::vector<Subpath>>("subpaths")};
}

Tree Coding<BezierPath>::encode(const BezierPath& p) {
    return Tree{{"subpaths", json::encode(p.subpaths)}};
}

Camera Coding<Camera>::decode(const Decoder& d) {
    Camera camera;
    camera.yawDegrees = d.required<double>("yawDegrees");
    camera.elevationDegrees = d.required<double>("elevationDegrees");
    camera.distanceInDiagonals = d.required<double>("distanceInDiagonals");
    return camera;
}

Tree Coding<Camera>::encode(const Camera& camera) {
    Tree t = Tree::object();
    t["yawDegrees"] = camera.yawDegrees;
    t["elevationDegrees"] = camera.elevationDegrees;
    t["distanceInDiagonals"] = camera.distanceInDiagonals;
    return t;
}

}  // namespace icon_geometry::json
