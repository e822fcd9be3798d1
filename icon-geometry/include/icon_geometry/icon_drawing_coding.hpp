#pragma once

// JSON forms of the drawing elements and bodies.

#include "icon_geometry/icon_drawing.hpp"
#include "icon_geometry/json.hpp"

namespace icon_geometry::json {

// {"outer": {}}, {"inner": {}}, {"custom": {"_0": 12}}
template <>
struct Coding<StrokeWeight> {
    static StrokeWeight decode(const Decoder& d);
    static Tree encode(const StrokeWeight& weight);
};
// {"stroke": {"_0": path, "weight": weight}}, {"fill": {"_0": path}}, {"hole": {"_0": path}}
template <>
struct Coding<IconElement> {
    static IconElement decode(const Decoder& d);
    static Tree encode(const IconElement& element);
};
template <>
struct Coding<IconBody> {
    static IconBody decode(const Decoder& d);
    static Tree encode(const IconBody& body);
};
template <>
struct Coding<IconDrawing> {
    static IconDrawing decode(const Decoder& d);
    static Tree encode(const IconDrawing& drawing);
};

}  // namespace icon_geometry::json
