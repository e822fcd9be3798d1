#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <variant>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/face_shape.hpp"
#include "icon_geometry/icon_drawing.hpp"
#include "icon_geometry/pictogram.hpp"
#include "icon_geometry/vector.hpp"

namespace icon_geometry {

// How a detail's outline becomes ink.
struct DetailStyle {
    enum Case : unsigned char {
        automatic,  // stroked when drawn large enough, filled otherwise
        stroke,
        fill,
        hole,
    };

    Case value = automatic;

    constexpr DetailStyle() = default;
    constexpr DetailStyle(Case c) : value(c) {}

    std::string_view rawValue() const;
    // Exactly the four names, case-sensitively.
    static std::optional<DetailStyle> fromRawValue(std::string_view raw);

    friend constexpr bool operator==(DetailStyle, DetailStyle) = default;
};

// One feature on the flat front face of an extruded body, in millimetres of the
// face, in the frame of the face outline (centred on the origin).
struct FaceDetail {
    struct Button {
        FaceShape shape;
        Vector2 center;
        DetailStyle style;
        friend bool operator==(const Button&, const Button&) = default;
    };
    struct Indicator {
        Vector2 center;
        double diameter = 0;
        DetailStyle style;
        friend bool operator==(const Indicator&, const Indicator&) = default;
    };
    // Rows along y, columns along x, `pitch` apart; optionally cut to a disc.
    struct DotGrid {
        Vector2 center;
        std::int64_t rows = 0;
        std::int64_t columns = 0;
        double pitch = 0;
        double dotDiameter = 0;
        bool circular = false;
        DetailStyle style;
        friend bool operator==(const DotGrid&, const DotGrid&) = default;
    };
    struct Screen {
        Vector2 center;
        double width = 0;
        double height = 0;
        double cornerRadius = 0;
        friend bool operator==(const Screen&, const Screen&) = default;
    };
    // An elongated opening whose centre line runs from `from` to `to`.
    struct Slot {
        Vector2 from;
        Vector2 to;
        double width = 0;
        friend bool operator==(const Slot&, const Slot&) = default;
    };
    struct SocketHoles {
        Vector2 center;
        double spacing = 0;
        double holeDiameter = 0;
        bool earthPin = false;
        friend bool operator==(const SocketHoles&, const SocketHoles&) = default;
    };
    struct Separator {
        Vector2 from;
        Vector2 to;
        friend bool operator==(const Separator&, const Separator&) = default;
    };
    struct Cable {
        std::vector<Vector2> points;
        StrokeWeight weight;
        friend bool operator==(const Cable&, const Cable&) = default;
    };
    struct PictogramMark {
        Pictogram pictogram;
        Vector2 center;
        double size = 0;
        friend bool operator==(const PictogramMark&, const PictogramMark&) = default;
    };
    // An outline given directly in face coordinates.
    struct Imported {
        BezierPath path;
        DetailStyle style;
        friend bool operator==(const Imported&, const Imported&) = default;
    };
    // Ready-made drawing elements in face coordinates.
    struct Elements {
        std::vector<IconElement> elements;
        friend bool operator==(const Elements&, const Elements&) = default;
    };

    // Alternatives in case order; the index is the case number used by hashing.
    std::variant<Button, Indicator, DotGrid, Screen, Slot, SocketHoles, Separator, Cable, PictogramMark, Imported,
                 Elements>
        value;

    static FaceDetail button(FaceShape shape, Vector2 center, DetailStyle style) {
        return {Button{std::move(shape), center, style}};
    }
    static FaceDetail indicator(Vector2 center, double diameter, DetailStyle style) {
        return {Indicator{center, diameter, style}};
    }
    static FaceDetail dotGrid(Vector2 center, std::int64_t rows, std::int64_t columns, double pitch, double dotDiameter,
                              bool circular, DetailStyle style) {
        return {DotGrid{center, rows, columns, pitch, dotDiameter, circular, style}};
    }
    static FaceDetail screen(Vector2 center, double width, double height, double cornerRadius) {
        return {Screen{center, width, height, cornerRadius}};
    }
    static FaceDetail slot(Vector2 from, Vector2 to, double width) { return {Slot{from, to, width}}; }
    static FaceDetail socketHoles(Vector2 center, double spacing, double holeDiameter, bool earthPin) {
        return {SocketHoles{center, spacing, holeDiameter, earthPin}};
    }
    static FaceDetail separator(Vector2 from, Vector2 to) { return {Separator{from, to}}; }
    static FaceDetail cable(std::vector<Vector2> points, StrokeWeight weight) {
        return {Cable{std::move(points), weight}};
    }
    static FaceDetail pictogram(Pictogram pictogram, Vector2 center, double size) {
        return {PictogramMark{pictogram, center, size}};
    }
    static FaceDetail imported(BezierPath path, DetailStyle style) { return {Imported{std::move(path), style}}; }
    static FaceDetail elements(std::vector<IconElement> elements) { return {Elements{std::move(elements)}}; }

    std::size_t caseIndex() const { return value.index(); }

    // Drawn-size rules, in canvas units.
    static constexpr double outlineThreshold = 50.0;
    static constexpr std::int64_t maximumGridCount = 64;
    static constexpr double minimumPictogramSize = 80.0;
    static constexpr double minimumIndicatorDiameter = 26.0;

    // The detail's position: its centre field, a line's midpoint, a cable's first
    // point, or the middle of the drawn bounds; (0, 0) when there is nothing to measure.
    Vector2 center() const;
    FaceDetail translated(double dx, double dy) const;
    // Positions move away from the centre by the factor and sizes grow by it;
    // counts, flags, styles and stroke weights stay.
    FaceDetail scaledAboutCenter(double factor) const;
    // Positions through the map, sizes times the factor.
    FaceDetail transformed(const std::function<Vector2(Vector2)>& position, double sizeFactor) const;

    // The detail's drawing elements on the face, in millimetres. The scale is the
    // number of canvas units one millimetre measures once drawn; it decides the
    // minimum drawn sizes, stroke or fill under `automatic`, and whether a slot is
    // wide enough to show as an opening.
    std::vector<IconElement> geometry(double scale) const;
    // The element of an outline under a style.
    static IconElement styledElement(const BezierPath& path, DetailStyle style, double scale);

    friend bool operator==(const FaceDetail&, const FaceDetail&) = default;
};

}  // namespace icon_geometry

template <>
struct std::hash<icon_geometry::DetailStyle> {
    std::size_t operator()(icon_geometry::DetailStyle style) const;
};
template <>
struct std::hash<icon_geometry::FaceDetail> {
    std::size_t operator()(const icon_geometry::FaceDetail& detail) const;
};
