// Documents from anywhere: the validator never fails and agrees with the
// reader on what is readable; readable documents give finite geometry that the
// metrics take without trouble.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <span>

#include "icon_geometry/ink_mask.hpp"
#include "icon_geometry/svg_document.hpp"
#include "icon_geometry/svg_validator.hpp"

using namespace icon_geometry;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> bytes(data, size);
    const ValidationReport report = SVGValidator::validate(bytes);
    const bool unreadable = report.issues == std::vector<ValidationIssue>{ValidationIssue::malformedDocument()};
    SVGDocument document;
    try {
        document = SVGDocument::parse(bytes);
    } catch (const IconGeometryError& error) {
        if (!unreadable || error != IconGeometryError::malformedDocument()) __builtin_trap();
        return 0;
    }
    if (unreadable || document.elements.empty()) __builtin_trap();

    std::vector<BezierPath> paths;
    for (const SVGDocument::Element& element : document.elements) {
        try {
            if (std::optional<BezierPath> path = SVGDocument::elementPath(element)) paths.push_back(std::move(*path));
        } catch (const IconGeometryError& error) {
            if (error.kind() != IconGeometryError::Kind::malformedPathData) __builtin_trap();
        }
    }
    for (const BezierPath& path : paths) {
        const Rect bounds = path.bounds();
        if (!bounds.isNull() && !(std::isfinite(bounds.x) && std::isfinite(bounds.y) && std::isfinite(bounds.width) &&
                                  std::isfinite(bounds.height)))
            __builtin_trap();
    }
    const InkMask mask(paths, 32);
    if (inkOverlap(mask, mask) != 1) __builtin_trap();
    (void)IconMetrics::strokeWidths(mask.side, mask.ink, 12);
    (void)IconMetrics::spansCanvas(paths, 16);
    return 0;
}
