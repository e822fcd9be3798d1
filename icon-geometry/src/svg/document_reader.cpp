#include <expat.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <exception>
#include <memory>
#include <type_traits>
#include <utility>

#include "icon_geometry/face_shape.hpp"
#include "icon_geometry/number_reader.hpp"
#include "icon_geometry/svg_document.hpp"
#include "icon_geometry/svg_path_data.hpp"
#include "svg/svg_text.hpp"

namespace icon_geometry {

namespace {

using icon_geometry::readNumber;
using svg_detail::trimmedBlanks;
using Attributes = SVGDocument::Attributes;

// Imported lengths reach bounds, region operations and the rasteriser: keep
// them finite and within the range path data allows.
double sanitizedLength(double value) {
    if (std::isnan(value)) return 0;
    return std::clamp(value, -PathData::magnitudeLimit, PathData::magnitudeLimit);
}

// The declarations of a `style` attribute laid over the attributes. A piece is
// cut at its first colon; empty pieces before it do not count, so "::a:b" sets
// a to b while ":b" and "a:" set nothing.
void applyStyle(std::string_view style, Attributes& presentation) {
    std::size_t pieceStart = 0;
    while (pieceStart <= style.size()) {
        std::size_t pieceEnd = style.find(';', pieceStart);
        if (pieceEnd == std::string_view::npos) pieceEnd = style.size();
        const std::string_view piece = style.substr(pieceStart, pieceEnd - pieceStart);
        pieceStart = pieceEnd + 1;
        if (piece.empty()) continue;

        std::string_view name;
        std::string_view value;
        std::size_t partStart = 0;
        std::size_t parts = 0;
        for (std::size_t i = 0; i < piece.size(); ++i) {
            if (piece[i] != ':') continue;
            if (i > partStart) {
                name = piece.substr(partStart, i - partStart);
                parts = 1;
                partStart = i + 1;
                break;
            }
            partStart = i + 1;
        }
        if (partStart < piece.size()) {
            (parts == 0 ? name : value) = piece.substr(partStart);
            ++parts;
        }
        if (parts != 2) continue;
        presentation.insert_or_assign(std::string(trimmedBlanks(name)), std::string(trimmedBlanks(value)));
    }
}

struct Collector {
    XML_Parser parser = nullptr;
    std::optional<Attributes> root;
    std::vector<SVGDocument::Element> elements;
    std::vector<std::pair<std::optional<std::string>, std::optional<std::string>>> stack;
    std::exception_ptr failure;  // an exception must not cross expat's C frames

    void start(const XML_Char* name, const XML_Char** atts) {
        SVGDocument::Element element;
        element.name = name;
        // Only attributes as written: expat appends DTD defaults after them.
        const int specified = XML_GetSpecifiedAttributeCount(parser);
        for (int i = 0; i + 1 < specified && atts[i] != nullptr; i += 2)
            element.attributes.emplace(atts[i], atts[i + 1]);
        element.presentation = element.attributes;
        if (const auto style = element.attributes.find("style"); style != element.attributes.end())
            applyStyle(style->second, element.presentation);
        if (element.name == "svg" && !root) root = element.attributes;

        std::optional<std::string> fill;
        std::optional<std::string> stroke;
        if (const auto it = element.presentation.find("fill"); it != element.presentation.end())
            fill = it->second;
        else if (!stack.empty())
            fill = stack.back().first;
        if (const auto it = element.presentation.find("stroke"); it != element.presentation.end())
            stroke = it->second;
        else if (!stack.empty())
            stroke = stack.back().second;
        element.fill = fill.value_or("#000000");
        element.stroke = stroke.value_or("none");
        element.depth = static_cast<std::int64_t>(stack.size());
        elements.push_back(std::move(element));
        stack.emplace_back(std::move(fill), std::move(stroke));
    }

    void end() {
        if (!stack.empty()) stack.pop_back();
    }

    void stopWith(std::exception_ptr e) {
        if (!failure) failure = std::move(e);
        XML_StopParser(parser, XML_FALSE);
    }
};

void XMLCALL startElement(void* data, const XML_Char* name, const XML_Char** atts) {
    auto* collector = static_cast<Collector*>(data);
    if (collector->failure) return;
    try {
        collector->start(name, atts);
    } catch (...) {
        collector->stopWith(std::current_exception());
    }
}

void XMLCALL endElement(void* data, const XML_Char*) {
    static_cast<Collector*>(data)->end();
}

// The numbers of a `points` attribute; pieces that do not convert are skipped.
std::vector<double> pointNumbers(std::string_view text) {
    std::vector<double> numbers;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t end = std::min(text.find_first_of(" ,\n\t", i), text.size());
        if (end > i) {
            const std::optional<double> value = readNumber(text.substr(i, end - i));
            if (value && !std::isnan(*value)) numbers.push_back(sanitizedLength(*value));
        }
        i = end + 1;
    }
    return numbers;
}

std::optional<std::string_view> attribute(const Attributes& attributes, std::string_view name) {
    const auto it = attributes.find(name);
    if (it == attributes.end()) return std::nullopt;
    return std::string_view(it->second);
}

std::optional<BezierPath> polyPath(const Attributes& attributes, bool closed) {
    const std::vector<double> numbers = pointNumbers(attribute(attributes, "points").value_or(""));
    if (numbers.size() < 4) return std::nullopt;
    PathBuilder builder;
    builder.moveTo({numbers[0], numbers[1]});
    for (std::size_t i = 2; i + 1 < numbers.size(); i += 2) builder.lineTo({numbers[i], numbers[i + 1]});
    if (closed) builder.closeSubpath();
    return builder.finish();
}

}  // namespace

bool SVGDocument::isDrawable(std::string_view name) {
    return std::find(drawableElementNames.begin(), drawableElementNames.end(), name) != drawableElementNames.end();
}

SVGDocument SVGDocument::parse(std::span<const std::uint8_t> bytes) {
    // expat takes an int length: larger input is refused rather than wrapped.
    if (bytes.size() > static_cast<std::size_t>(INT_MAX)) throw IconGeometryError::malformedDocument();

    const std::unique_ptr<std::remove_pointer_t<XML_Parser>, decltype(&XML_ParserFree)> parser(
        XML_ParserCreate(nullptr), &XML_ParserFree);
    if (!parser) throw IconGeometryError::malformedDocument();
    Collector collector;
    collector.parser = parser.get();
    XML_SetUserData(parser.get(), &collector);
    XML_SetElementHandler(parser.get(), startElement, endElement);

    const XML_Status status =
        XML_Parse(parser.get(), reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), XML_TRUE);
    if (collector.failure) std::rethrow_exception(collector.failure);
    if (status != XML_STATUS_OK || !collector.root) throw IconGeometryError::malformedDocument();
    return {std::move(*collector.root), std::move(collector.elements)};
}

SVGDocument SVGDocument::parse(std::string_view text) {
    return parse(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

std::optional<double> SVGDocument::parseLength(std::optional<std::string_view> text) {
    if (!text) return std::nullopt;
    std::string_view t = trimmedBlanks(*text);
    if (t.ends_with("px")) t.remove_suffix(2);
    return readNumber(t);
}

double SVGDocument::lengthAttribute(std::string_view name, const Attributes& attributes) {
    return sanitizedLength(parseLength(attribute(attributes, name)).value_or(0));
}

std::optional<BezierPath> SVGDocument::elementPath(const Element& element) {
    const Attributes& a = element.attributes;
    const auto length = [&](std::string_view name) { return lengthAttribute(name, a); };
    const std::string& name = element.name;

    if (name == "path") {
        const std::optional<std::string_view> d = attribute(a, "d");
        if (!d) return std::nullopt;
        return PathData::interpret(PathData::tokenize(*d)).path;
    }
    if (name == "rect") {
        const double width = length("width");
        const double height = length("height");
        if (!(width > 0) || !(height > 0)) return std::nullopt;
        std::optional<double> radius = parseLength(attribute(a, "rx"));
        if (!radius) radius = parseLength(attribute(a, "ry"));
        return FaceShape::roundedRectanglePath(width, height, sanitizedLength(radius.value_or(0)))
            .translated(length("x") + width / 2, length("y") + height / 2);
    }
    if (name == "circle") {
        const double r = length("r");
        if (!(r > 0)) return std::nullopt;
        return FaceShape::ellipsePath(2 * r, 2 * r).translated(length("cx"), length("cy"));
    }
    if (name == "ellipse") {
        const double rx = length("rx");
        const double ry = length("ry");
        if (!(rx > 0) || !(ry > 0)) return std::nullopt;
        return FaceShape::ellipsePath(2 * rx, 2 * ry).translated(length("cx"), length("cy"));
    }
    if (name == "polygon") return polyPath(a, true);
    if (name == "polyline") return polyPath(a, false);
    if (name == "line") {
        PathBuilder builder;
        builder.moveTo({length("x1"), length("y1")});
        builder.lineTo({length("x2"), length("y2")});
        return builder.finish();
    }
    return std::nullopt;
}

std::vector<BezierPath> SVGDocument::drawablePaths() const {
    std::vector<BezierPath> paths;
    for (const Element& element : elements) {
        if (!isDrawable(element.name)) continue;
        if (std::optional<BezierPath> path = elementPath(element)) paths.push_back(std::move(*path));
    }
    return paths;
}

}  // namespace icon_geometry
