#include <algorithm>
#include <charconv>
#include <cstdint>
#include <limits>
#include <optional>
#include <set>

#include "icon_geometry/number_reader.hpp"
#include "icon_geometry/svg_document.hpp"
#include "icon_geometry/svg_path_data.hpp"
#include "icon_geometry/svg_validator.hpp"
#include "icon_geometry/vector.hpp"
#include "svg/svg_text.hpp"

namespace icon_geometry {

std::vector<ValidationIssue> ValidationReport::errors() const {
    std::vector<ValidationIssue> result;
    for (const ValidationIssue& issue : issues)
        if (issue.severity() == ValidationSeverity::error) result.push_back(issue);
    return result;
}

std::vector<ValidationIssue> ValidationReport::warnings() const {
    std::vector<ValidationIssue> result;
    for (const ValidationIssue& issue : issues)
        if (issue.severity() == ValidationSeverity::warning) result.push_back(issue);
    return result;
}

bool ValidationReport::passes() const {
    return std::none_of(issues.begin(), issues.end(),
                        [](const ValidationIssue& i) { return i.severity() == ValidationSeverity::error; });
}

namespace SVGValidator {

namespace {

using icon_geometry::readNumber;
using svg_detail::trimmedBlanks;

// An optional sign, then digits only; absent on overflow or any other character.
std::optional<std::int64_t> decimalInteger(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    if (text.empty()) return std::nullopt;
    std::uint64_t magnitude = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        const auto digit = static_cast<std::uint64_t>(c - '0');
        if (magnitude > (std::numeric_limits<std::uint64_t>::max() - digit) / 10) return std::nullopt;
        magnitude = magnitude * 10 + digit;
    }
    constexpr auto positiveLimit = static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max());
    if (!negative && magnitude > positiveLimit) return std::nullopt;
    if (negative && magnitude > positiveLimit + 1) return std::nullopt;
    if (negative)
        return magnitude == positiveLimit + 1 ? std::numeric_limits<std::int64_t>::min()
                                              : -static_cast<std::int64_t>(magnitude);
    return static_cast<std::int64_t>(magnitude);
}

// At least two lower-case hexadecimal digits; a negative component keeps its
// sign in front of the digits of its magnitude.
void appendHexComponent(std::string& out, std::int64_t value) {
    const std::uint64_t magnitude =
        value < 0 ? std::uint64_t{0} - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
    char digits[16];
    const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, magnitude, 16);
    (void)ec;
    if (value < 0) out += '-';
    if (end - digits < 2) out += '0';
    out.append(digits, end);
}

std::string asciiLowercased(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return result;
}

bool isCanonical(char letter) {
    return std::find(canonicalLetters.begin(), canonicalLetters.end(), letter) != canonicalLetters.end();
}

bool isUnsupported(std::string_view name) {
    return std::find(unsupportedElementNames.begin(), unsupportedElementNames.end(), name) !=
           unsupportedElementNames.end();
}

// viewBox numbers: pieces between spaces and commas, each converted strictly;
// pieces that do not convert are dropped.
std::vector<double> viewBoxNumbers(std::string_view text) {
    std::vector<double> numbers;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t end = std::min(text.find_first_of(" ,", i), text.size());
        if (end > i)
            if (const std::optional<double> value = readNumber(text.substr(i, end - i))) numbers.push_back(*value);
        i = end + 1;
    }
    return numbers;
}

std::optional<std::string_view> rootAttribute(const SVGDocument& document, std::string_view name) {
    const auto it = document.root.find(name);
    if (it == document.root.end()) return std::nullopt;
    return std::string_view(it->second);
}

bool canvasIsRight(const SVGDocument& document) {
    const std::vector<double> box = viewBoxNumbers(rootAttribute(document, "viewBox").value_or(""));
    if (box != std::vector<double>{0, 0, Canvas::side, Canvas::side}) return false;
    for (const std::string_view side : {"width", "height"}) {
        const std::optional<double> value = SVGDocument::parseLength(rootAttribute(document, side));
        if (value && *value != Canvas::side) return false;
    }
    return true;
}

// A filled subpath whose own bounds reach every edge of the canvas.
bool coversCanvas(const BezierPath& path) {
    for (const Subpath& subpath : path.subpaths) {
        const Rect box = BezierPath{{subpath}}.bounds();
        if (box.minX() <= 0.5 && box.minY() <= 0.5 && box.maxX() >= Canvas::side - 0.5 &&
            box.maxY() >= Canvas::side - 0.5)
            return true;
    }
    return false;
}

struct Findings {
    std::int64_t arcCount = 0;
    std::int64_t zeroLengthCount = 0;
    std::set<std::string> colors;
    std::set<std::string> nonCanonicalLetters;
    std::set<std::string> unsupportedNames;
    bool background = false;
    bool gradient = false;
    bool rasterImage = false;
    bool text = false;
    bool stroke = false;
    bool transform = false;
};

void checkDrawable(const SVGDocument::Element& element, Findings& findings, ValidationReport& report) {
    const std::string fill = normalizedColor(element.fill);
    const std::string stroke = normalizedColor(element.stroke);
    for (const std::string* color : {&fill, &stroke}) {
        if (*color == "none") continue;
        if (color->starts_with("url("))
            findings.gradient = true;
        else
            findings.colors.insert(*color);
    }

    if (stroke != "none" || element.presentation.contains("stroke-width")) findings.stroke = true;

    if (element.name == "path") {
        if (const auto d = element.attributes.find("d"); d != element.attributes.end()) {
            try {
                const std::vector<PathCommand> commands = PathData::tokenize(d->second);
                for (const PathCommand& command : commands) {
                    if (!isCanonical(command.letter))
                        findings.nonCanonicalLetters.insert(std::string(1, command.letter));
                    if (command.letter == 'A' || command.letter == 'a') ++findings.arcCount;
                }
                for (const InterpretedSegment& segment : PathData::interpret(commands).segments)
                    if (segment.isZeroLength()) ++findings.zeroLengthCount;
            } catch (const IconGeometryError& error) {
                report.issues.push_back(ValidationIssue::malformedPathData(error.offset()));
            }
        }
    }

    if (fill != "none" && !findings.background) {
        try {
            if (const std::optional<BezierPath> path = SVGDocument::elementPath(element))
                findings.background = coversCanvas(*path);
        } catch (const IconGeometryError&) {
            // Already reported with the path data above.
        }
    }
}

}  // namespace

std::string normalizedColor(std::string_view color) {
    const std::string c = asciiLowercased(trimmedBlanks(color));
    if (c.empty() || c == "none" || c == "transparent") return "none";
    if (c == "black") return "#000000";
    if (c == "white") return "#ffffff";
    if (c.size() == 4 && c.front() == '#') return {'#', c[1], c[1], c[2], c[2], c[3], c[3]};
    if (c.starts_with("rgb(") && c.ends_with(")") && c.size() >= 5) {
        const std::string_view inner = std::string_view(c).substr(4, c.size() - 5);
        std::vector<std::int64_t> components;
        std::size_t i = 0;
        while (i <= inner.size()) {
            const std::size_t end = std::min(inner.find(',', i), inner.size());
            if (end > i)
                if (const auto value = decimalInteger(trimmedBlanks(inner.substr(i, end - i))))
                    components.push_back(*value);
            i = end + 1;
        }
        if (components.size() == 3) {
            std::string hex = "#";
            for (std::int64_t component : components) appendHexComponent(hex, component);
            return hex;
        }
    }
    return c;
}

ValidationReport validate(std::span<const std::uint8_t> bytes) {
    ValidationReport report;
    SVGDocument document;
    try {
        document = SVGDocument::parse(bytes);
    } catch (const IconGeometryError&) {
        report.issues.push_back(ValidationIssue::malformedDocument());
        return report;
    }

    if (!canvasIsRight(document)) report.issues.push_back(ValidationIssue::canvasSize());

    Findings findings;
    for (const SVGDocument::Element& element : document.elements) {
        if (element.attributes.contains("transform")) findings.transform = true;
        const std::string& name = element.name;
        if (name == "linearGradient" || name == "radialGradient")
            findings.gradient = true;
        else if (name == "image")
            findings.rasterImage = true;
        else if (name == "text" || name == "tspan")
            findings.text = true;
        else if (isUnsupported(name))
            findings.unsupportedNames.insert(name);
        if (SVGDocument::isDrawable(name)) checkDrawable(element, findings, report);
    }

    auto& issues = report.issues;
    if (findings.arcCount > 0) issues.push_back(ValidationIssue::ellipticalArcs(findings.arcCount));
    if (findings.zeroLengthCount > 0) issues.push_back(ValidationIssue::zeroLengthSegments(findings.zeroLengthCount));
    if (findings.colors.size() >= 2)
        issues.push_back(ValidationIssue::multipleColors({findings.colors.begin(), findings.colors.end()}));
    if (findings.background) issues.push_back(ValidationIssue::background());
    if (findings.gradient) issues.push_back(ValidationIssue::gradient());
    if (findings.rasterImage) issues.push_back(ValidationIssue::rasterImage());
    if (!findings.nonCanonicalLetters.empty())
        issues.push_back(ValidationIssue::nonCanonicalCommands(
            {findings.nonCanonicalLetters.begin(), findings.nonCanonicalLetters.end()}));
    if (findings.text) issues.push_back(ValidationIssue::text());
    if (findings.stroke) issues.push_back(ValidationIssue::stroke());
    if (findings.transform) issues.push_back(ValidationIssue::transform());
    for (const std::string& name : findings.unsupportedNames)
        issues.push_back(ValidationIssue::unsupportedElement(name));
    return report;
}

ValidationReport validateText(std::string_view text) {
    return validate(std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

}  // namespace SVGValidator
}  // namespace icon_geometry

std::size_t std::hash<icon_geometry::ValidationIssue>::operator()(const icon_geometry::ValidationIssue& issue) const {
    using namespace icon_geometry;
    Hasher h;
    h.combine(static_cast<long long>(issue.caseIndex()));
    const auto text = [&](const std::string& s) { h.combine(std::hash<std::string>{}(s)); };
    std::visit(
        [&](const auto& payload) {
            using T = std::decay_t<decltype(payload)>;
            if constexpr (std::is_same_v<T, ValidationIssue::MalformedPathData>)
                h.combine(static_cast<long long>(payload.offset));
            else if constexpr (std::is_same_v<T, ValidationIssue::EllipticalArcs> ||
                               std::is_same_v<T, ValidationIssue::ZeroLengthSegments>)
                h.combine(static_cast<long long>(payload.count));
            else if constexpr (std::is_same_v<T, ValidationIssue::MultipleColors>) {
                h.combine(static_cast<long long>(payload.colors.size()));
                for (const auto& c : payload.colors) text(c);
            } else if constexpr (std::is_same_v<T, ValidationIssue::NonCanonicalCommands>) {
                h.combine(static_cast<long long>(payload.letters.size()));
                for (const auto& l : payload.letters) text(l);
            } else if constexpr (std::is_same_v<T, ValidationIssue::UnsupportedElement>)
                text(payload.name);
        },
        issue.value);
    return h.state;
}

std::size_t std::hash<icon_geometry::ValidationReport>::operator()(
    const icon_geometry::ValidationReport& report) const {
    icon_geometry::Hasher h;
    h.combine(static_cast<long long>(report.issues.size()));
    for (const auto& issue : report.issues) h.combine(std::hash<icon_geometry::ValidationIssue>{}(issue));
    return h.state;
}
