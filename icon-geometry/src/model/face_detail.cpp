#include "icon_geometry/face_detail.hpp"

#include <array>
#include <string_view>
#include <type_traits>

#include "icon_geometry/face_detail_coding.hpp"
#include "icon_geometry/face_shape_coding.hpp"
#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/icon_drawing_coding.hpp"
#include "icon_geometry/pictogram_coding.hpp"

namespace icon_geometry {
namespace {

constexpr std::array<std::string_view, 4> styleNames{"automatic", "stroke", "fill", "hole"};

// The middle of a box, or (0, 0) for the bounds of nothing.
Vector2 middle(const Rect& box) {
    return box.isNull() ? Vector2{0, 0} : Vector2{box.midX(), box.midY()};
}

Vector2 midpoint(Vector2 from, Vector2 to) {
    return {from.x + (to.x - from.x) * 0.5, from.y + (to.y - from.y) * 0.5};
}

template <class... Ts>
struct Overloaded : Ts... {
    using Ts::operator()...;
};
template <class... Ts>
Overloaded(Ts...) -> Overloaded<Ts...>;

}  // namespace

std::string_view DetailStyle::rawValue() const {
    return styleNames[value];
}

std::optional<DetailStyle> DetailStyle::fromRawValue(std::string_view raw) {
    for (std::size_t i = 0; i < styleNames.size(); ++i)
        if (styleNames[i] == raw) return DetailStyle(static_cast<Case>(i));
    return std::nullopt;
}

Vector2 FaceDetail::center() const {
    return std::visit(Overloaded{
                          [](const Slot& d) { return midpoint(d.from, d.to); },
                          [](const Separator& d) { return midpoint(d.from, d.to); },
                          [](const Cable& d) {
                              return d.points.empty() ? Vector2{0, 0} : d.points.front();
                          },
                          [](const Imported& d) { return middle(d.path.bounds()); },
                          [](const Elements& d) {
                              Rect box = Rect::null();
                              for (const IconElement& e : d.elements) box = box.united(e.path().bounds());
                              return middle(box);
                          },
                          [](const auto& d) { return d.center; },
                      },
                      value);
}

FaceDetail FaceDetail::transformed(const std::function<Vector2(Vector2)>& position, double f) const {
    return std::visit(
        Overloaded{
            [&](const Button& d) { return button(d.shape.scaled(f, f), position(d.center), d.style); },
            [&](const Indicator& d) { return indicator(position(d.center), d.diameter * f, d.style); },
            [&](const DotGrid& d) {
                return dotGrid(position(d.center), d.rows, d.columns, d.pitch * f, d.dotDiameter * f, d.circular,
                               d.style);
            },
            [&](const Screen& d) { return screen(position(d.center), d.width * f, d.height * f, d.cornerRadius * f); },
            [&](const Slot& d) { return slot(position(d.from), position(d.to), d.width * f); },
            [&](const SocketHoles& d) {
                return socketHoles(position(d.center), d.spacing * f, d.holeDiameter * f, d.earthPin);
            },
            [&](const Separator& d) { return separator(position(d.from), position(d.to)); },
            [&](const Cable& d) {
                std::vector<Vector2> points;
                points.reserve(d.points.size());
                for (const Vector2 p : d.points) points.push_back(position(p));
                // A cable's weight is a canvas width, not a size on the face.
                return cable(std::move(points), d.weight);
            },
            [&](const PictogramMark& d) { return pictogram(d.pictogram, position(d.center), d.size * f); },
            [&](const Imported& d) { return imported(d.path.mapPoints(position), d.style); },
            [&](const Elements& d) {
                std::vector<IconElement> moved;
                moved.reserve(d.elements.size());
                for (const IconElement& e : d.elements) moved.push_back(e.withPath(e.path().mapPoints(position)));
                return elements(std::move(moved));
            },
        },
        value);
}

FaceDetail FaceDetail::translated(double dx, double dy) const {
    return transformed([dx, dy](Vector2 p) { return Vector2{p.x + dx, p.y + dy}; }, 1);
}

FaceDetail FaceDetail::scaledAboutCenter(double factor) const {
    const Vector2 c = center();
    return transformed(
        [c, factor](Vector2 p) {
            return Vector2{c.x + (p.x - c.x) * factor, c.y + (p.y - c.y) * factor};
        },
        factor);
}

}  // namespace icon_geometry

using namespace icon_geometry;

std::size_t std::hash<DetailStyle>::operator()(DetailStyle style) const {
    return std::hash<std::string_view>{}(style.rawValue());
}

std::size_t std::hash<FaceDetail>::operator()(const FaceDetail& detail) const {
    Hasher h;
    const auto count = [&h](std::size_t n) { h.combine(n); };
    const auto flag = [&h](bool b) { h.combine(static_cast<std::size_t>(b)); };
    const auto style = [&h](DetailStyle s) { h.combine(std::hash<DetailStyle>{}(s)); };
    const auto path = [&h](const BezierPath& p) { h.combine(std::hash<BezierPath>{}(p)); };
    h.combine(detail.caseIndex());
    std::visit(Overloaded{
                   [&](const FaceDetail::Button& d) {
                       h.combine(std::hash<FaceShape>{}(d.shape));
                       h.combine(d.center);
                       style(d.style);
                   },
                   [&](const FaceDetail::Indicator& d) {
                       h.combine(d.center);
                       h.combine(d.diameter);
                       style(d.style);
                   },
                   [&](const FaceDetail::DotGrid& d) {
                       h.combine(d.center);
                       h.combine(static_cast<long long>(d.rows));
                       h.combine(static_cast<long long>(d.columns));
                       h.combine(d.pitch);
                       h.combine(d.dotDiameter);
                       flag(d.circular);
                       style(d.style);
                   },
                   [&](const FaceDetail::Screen& d) {
                       h.combine(d.center);
                       h.combine(d.width);
                       h.combine(d.height);
                       h.combine(d.cornerRadius);
                   },
                   [&](const FaceDetail::Slot& d) {
                       h.combine(d.from);
                       h.combine(d.to);
                       h.combine(d.width);
                   },
                   [&](const FaceDetail::SocketHoles& d) {
                       h.combine(d.center);
                       h.combine(d.spacing);
                       h.combine(d.holeDiameter);
                       flag(d.earthPin);
                   },
                   [&](const FaceDetail::Separator& d) {
                       h.combine(d.from);
                       h.combine(d.to);
                   },
                   [&](const FaceDetail::Cable& d) {
                       count(d.points.size());
                       for (const Vector2 p : d.points) h.combine(p);
                       h.combine(std::hash<StrokeWeight>{}(d.weight));
                   },
                   [&](const FaceDetail::PictogramMark& d) {
                       h.combine(std::hash<Pictogram>{}(d.pictogram));
                       h.combine(d.center);
                       h.combine(d.size);
                   },
                   [&](const FaceDetail::Imported& d) {
                       path(d.path);
                       style(d.style);
                   },
                   [&](const FaceDetail::Elements& d) {
                       count(d.elements.size());
                       for (const IconElement& e : d.elements) h.combine(std::hash<IconElement>{}(e));
                   },
               },
               detail.value);
    return h.state;
}

namespace icon_geometry::json {

DetailStyle Coding<DetailStyle>::decode(const Decoder& d) {
    return DetailStyle(static_cast<DetailStyle::Case>(d.rawValue({"automatic", "stroke", "fill", "hole"})));
}

Tree Coding<DetailStyle>::encode(DetailStyle style) {
    return std::string(style.rawValue());
}

// Braced initialisation reads the keys in their listed order, so the first
// failing key is the one reported.
FaceDetail Coding<FaceDetail>::decode(const Decoder& d) {
    const auto found = d.singleCase({"button", "indicator", "dotGrid", "screen", "slot", "socketHoles", "separator",
                                     "cable", "pictogram", "imported", "elements"});
    const std::string& name = found.first;
    const Decoder& p = found.second;
    const auto point = [&p](std::string_view key) { return p.required<Vector2>(key); };
    const auto number = [&p](std::string_view key) { return p.required<double>(key); };
    const auto style = [&p](std::string_view key) { return p.required<DetailStyle>(key); };
    if (name == "button") return {FaceDetail::Button{p.required<FaceShape>("_0"), point("center"), style("style")}};
    if (name == "indicator") return {FaceDetail::Indicator{point("center"), number("diameter"), style("style")}};
    if (name == "dotGrid")
        return {FaceDetail::DotGrid{point("center"), p.required<std::int64_t>("rows"),
                                    p.required<std::int64_t>("columns"), number("pitch"), number("dotDiameter"),
                                    p.required<bool>("circular"), style("style")}};
    if (name == "screen")
        return {FaceDetail::Screen{point("center"), number("width"), number("height"), number("cornerRadius")}};
    if (name == "slot") return {FaceDetail::Slot{point("from"), point("to"), number("width")}};
    if (name == "socketHoles")
        return {FaceDetail::SocketHoles{point("center"), number("spacing"), number("holeDiameter"),
                                        p.required<bool>("earthPin")}};
    if (name == "separator") return {FaceDetail::Separator{point("from"), point("to")}};
    if (name == "cable")
        return {FaceDetail::Cable{p.required<std::vector<Vector2>>("points"), p.required<StrokeWeight>("weight")}};
    if (name == "pictogram")
        return {FaceDetail::PictogramMark{p.required<Pictogram>("_0"), point("center"), number("size")}};
    if (name == "imported") return {FaceDetail::Imported{p.required<BezierPath>("_0"), style("style")}};
    return {FaceDetail::Elements{p.required<std::vector<IconElement>>("_0")}};
}

Tree Coding<FaceDetail>::encode(const FaceDetail& detail) {
    Tree t = Tree::object();
    const char* name = "";
    std::visit(Overloaded{
                   [&](const FaceDetail::Button& d) {
                       name = "button";
                       t["_0"] = json::encode(d.shape);
                       t["center"] = json::encode(d.center);
                       t["style"] = json::encode(d.style);
                   },
                   [&](const FaceDetail::Indicator& d) {
                       name = "indicator";
                       t["center"] = json::encode(d.center);
                       t["diameter"] = d.diameter;
                       t["style"] = json::encode(d.style);
                   },
                   [&](const FaceDetail::DotGrid& d) {
                       name = "dotGrid";
                       t["center"] = json::encode(d.center);
                       t["rows"] = d.rows;
                       t["columns"] = d.columns;
                       t["pitch"] = d.pitch;
                       t["dotDiameter"] = d.dotDiameter;
                       t["circular"] = d.circular;
                       t["style"] = json::encode(d.style);
                   },
                   [&](const FaceDetail::Screen& d) {
                       name = "screen";
                       t["center"] = json::encode(d.center);
                       t["width"] = d.width;
                       t["height"] = d.height;
                       t["cornerRadius"] = d.cornerRadius;
                   },
                   [&](const FaceDetail::Slot& d) {
                       name = "slot";
                       t["from"] = json::encode(d.from);
                       t["to"] = json::encode(d.to);
                       t["width"] = d.width;
                   },
                   [&](const FaceDetail::SocketHoles& d) {
                       name = "socketHoles";
                       t["center"] = json::encode(d.center);
                       t["spacing"] = d.spacing;
                       t["holeDiameter"] = d.holeDiameter;
                       t["earthPin"] = d.earthPin;
                   },
                   [&](const FaceDetail::Separator& d) {
                       name = "separator";
                       t["from"] = json::encode(d.from);
                       t["to"] = json::encode(d.to);
                   },
                   [&](const FaceDetail::Cable& d) {
                       name = "cable";
                       t["points"] = json::encode(d.points);
                       t["weight"] = json::encode(d.weight);
                   },
                   [&](const FaceDetail::PictogramMark& d) {
                       name = "pictogram";
                       t["_0"] = json::encode(d.pictogram);
                       t["center"] = json::encode(d.center);
                       t["size"] = d.size;
                   },
                   [&](const FaceDetail::Imported& d) {
                       name = "imported";
                       t["_0"] = json::encode(d.path);
                       t["style"] = json::encode(d.style);
                   },
                   [&](const FaceDetail::Elements& d) {
                       name = "elements";
                       t["_0"] = json::encode(d.elements);
                   },
               },
               detail.value);
    return encodeCase(name, std::move(t));
}

}  // namespace icon_geometry::json
