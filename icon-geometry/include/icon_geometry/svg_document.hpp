#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/icon_geometry_error.hpp"
#include "icon_geometry/svg_path_data.hpp"

namespace icon_geometry {

// An SVG document read as a flat list of its elements in start-tag order, each
// with its attributes, its presentation (attributes with the `style`
// declarations laid over them) and the fill and stroke it has or inherits.
// Not a renderer: transforms, units other than px, percentages, `use`, CSS
// selectors and inheritance beyond fill and stroke are left to the validator to
// report.
struct SVGDocument {
    using Attributes = std::map<std::string, std::string, std::less<>>;

    struct Element {
        std::string name;  // as written, prefix included
        Attributes attributes;
        Attributes presentation;
        std::string fill = "#000000";
        std::string stroke = "none";
        std::int64_t depth = 0;  // open ancestors; 0 for the document element

        friend bool operator==(const Element&, const Element&) = default;
    };

    // The attributes of the first `svg` element, as written.
    Attributes root;
    std::vector<Element> elements;

    static constexpr std::array<std::string_view, 7> drawableElementNames{"path",    "rect",     "circle", "ellipse",
                                                                          "polygon", "polyline", "line"};
    static bool isDrawable(std::string_view name);

    // Throws IconGeometryError::malformedDocument when the XML is not well-formed,
    // holds no `svg` element, or is larger than 2 GiB.
    [[nodiscard]] static SVGDocument parse(std::span<const std::uint8_t> bytes);
    [[nodiscard]] static SVGDocument parse(std::string_view text);

    // The geometry of a drawable element; absent for other elements and for
    // unusable sizes. Throws only the malformedPathData of a path's `d`.
    [[nodiscard]] static std::optional<BezierPath> elementPath(const Element& element);
    // The paths of the drawable elements in element order, empty ones included;
    // the first malformed path data aborts the call.
    [[nodiscard]] std::vector<BezierPath> drawablePaths() const;

    // An attribute as a geometry length: blanks trimmed, a final "px" removed,
    // the rest converted strictly. Absent or unreadable gives 0. The result is
    // always finite: not-a-number gives 0 and magnitudes are held to
    // PathData::magnitudeLimit, so imported "inf" or "1e308" cannot reach bounds,
    // the region operations or the rasteriser.
    static double lengthAttribute(std::string_view name, const Attributes& attributes);
    // The same reading without sanitising, absent when the text is absent or not a
    // number; "inf" and "nan" read as what they say.
    static std::optional<double> parseLength(std::optional<std::string_view> text);

    friend bool operator==(const SVGDocument&, const SVGDocument&) = default;
};

}  // namespace icon_geometry
