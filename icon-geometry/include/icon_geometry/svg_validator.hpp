#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace icon_geometry {

enum class ValidationSeverity { error, warning };

// One finding about an icon document. Alternatives are in report order; the
// index is the case number used by hashing.
struct ValidationIssue {
    struct MalformedDocument {
        friend constexpr bool operator==(MalformedDocument, MalformedDocument) = default;
    };
    struct MalformedPathData {
        std::int64_t offset = 0;
        friend constexpr bool operator==(MalformedPathData, MalformedPathData) = default;
    };
    struct CanvasSize {
        friend constexpr bool operator==(CanvasSize, CanvasSize) = default;
    };
    struct EllipticalArcs {
        std::int64_t count = 0;
        friend constexpr bool operator==(EllipticalArcs, EllipticalArcs) = default;
    };
    struct ZeroLengthSegments {
        std::int64_t count = 0;
        friend constexpr bool operator==(ZeroLengthSegments, ZeroLengthSegments) = default;
    };
    struct MultipleColors {
        std::vector<std::string> colors;  // normalised, ascending
        friend bool operator==(const MultipleColors&, const MultipleColors&) = default;
    };
    struct Background {
        friend constexpr bool operator==(Background, Background) = default;
    };
    struct Gradient {
        friend constexpr bool operator==(Gradient, Gradient) = default;
    };
    struct RasterImage {
        friend constexpr bool operator==(RasterImage, RasterImage) = default;
    };
    struct NonCanonicalCommands {
        std::vector<std::string> letters;  // distinct, as written, ascending
        friend bool operator==(const NonCanonicalCommands&, const NonCanonicalCommands&) = default;
    };
    struct Text {
        friend constexpr bool operator==(Text, Text) = default;
    };
    struct Stroke {
        friend constexpr bool operator==(Stroke, Stroke) = default;
    };
    struct Transform {
        friend constexpr bool operator==(Transform, Transform) = default;
    };
    struct UnsupportedElement {
        std::string name;
        friend bool operator==(const UnsupportedElement&, const UnsupportedElement&) = default;
    };

    std::variant<MalformedDocument, MalformedPathData, CanvasSize, EllipticalArcs, ZeroLengthSegments, MultipleColors,
                 Background, Gradient, RasterImage, NonCanonicalCommands, Text, Stroke, Transform, UnsupportedElement>
        value;

    static ValidationIssue malformedDocument() { return {MalformedDocument{}}; }
    static ValidationIssue malformedPathData(std::int64_t offset) { return {MalformedPathData{offset}}; }
    static ValidationIssue canvasSize() { return {CanvasSize{}}; }
    static ValidationIssue ellipticalArcs(std::int64_t count) { return {EllipticalArcs{count}}; }
    static ValidationIssue zeroLengthSegments(std::int64_t count) { return {ZeroLengthSegments{count}}; }
    static ValidationIssue multipleColors(std::vector<std::string> colors) {
        return {MultipleColors{std::move(colors)}};
    }
    static ValidationIssue background() { return {Background{}}; }
    static ValidationIssue gradient() { return {Gradient{}}; }
    static ValidationIssue rasterImage() { return {RasterImage{}}; }
    static ValidationIssue nonCanonicalCommands(std::vector<std::string> letters) {
        return {NonCanonicalCommands{std::move(letters)}};
    }
    static ValidationIssue text() { return {Text{}}; }
    static ValidationIssue stroke() { return {Stroke{}}; }
    static ValidationIssue transform() { return {Transform{}}; }
    static ValidationIssue unsupportedElement(std::string name) { return {UnsupportedElement{std::move(name)}}; }

    std::size_t caseIndex() const { return value.index(); }
    // Errors up to rasterImage, warnings from nonCanonicalCommands on.
    ValidationSeverity severity() const {
        return caseIndex() <= 8 ? ValidationSeverity::error : ValidationSeverity::warning;
    }

    friend bool operator==(const ValidationIssue&, const ValidationIssue&) = default;
};

struct ValidationReport {
    std::vector<ValidationIssue> issues;

    std::vector<ValidationIssue> errors() const;
    std::vector<ValidationIssue> warnings() const;
    // Warnings never make a report fail.
    bool passes() const;

    friend bool operator==(const ValidationReport&, const ValidationReport&) = default;
};

// Whether a document is a conforming driver icon: a 960 × 960 canvas drawn in
// one flat colour with filled paths of absolute M, L, C and Z only, and nothing
// the icon format does not carry. Never fails: an unreadable document is an issue.
namespace SVGValidator {

inline constexpr std::array<char, 4> canonicalLetters{'M', 'L', 'C', 'Z'};
inline constexpr std::array<std::string_view, 8> unsupportedElementNames{
    "clipPath", "mask", "use", "symbol", "pattern", "filter", "foreignObject", "style"};

ValidationReport validate(std::span<const std::uint8_t> bytes);
ValidationReport validateText(std::string_view text);

// Trimmed and lower-cased; "", "none" and "transparent" are "none"; black and
// white, #rgb and rgb(r, g, b) become #rrggbb. Other names stay as they are.
std::string normalizedColor(std::string_view color);

}  // namespace SVGValidator
}  // namespace icon_geometry

template <>
struct std::hash<icon_geometry::ValidationIssue> {
    std::size_t operator()(const icon_geometry::ValidationIssue& issue) const;
};
template <>
struct std::hash<icon_geometry::ValidationReport> {
    std::size_t operator()(const icon_geometry::ValidationReport& report) const;
};
