// Path data from anywhere: tokenizing fails only with an offset inside the
// text, and whatever tokenizes interprets into finite geometry.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "icon_geometry/svg_path_data.hpp"

using namespace icon_geometry;

namespace {

void requireFinite(Vector2 p) {
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::vector<PathCommand> commands;
    try {
        commands = PathData::tokenize(text);
    } catch (const IconGeometryError& error) {
        if (error.kind() != IconGeometryError::Kind::malformedPathData || error.offset() < 0 ||
            static_cast<std::size_t>(error.offset()) > size)
            __builtin_trap();
        return 0;
    }
    for (const PathCommand& command : commands) {
        const std::optional<int> count = PathData::argumentCount(command.letter);
        if (!count || command.arguments.size() != static_cast<std::size_t>(*count)) __builtin_trap();
        for (double value : command.arguments)
            if (!(std::fabs(value) <= PathData::magnitudeLimit)) __builtin_trap();
    }
    const PathData::Interpretation result = PathData::interpret(commands);
    for (const Subpath& subpath : result.path.subpaths) {
        requireFinite(subpath.start);
        for (const PathSegment& segment : subpath.segments) {
            requireFinite(segment.end());
            if (const auto* cubic = segment.asCubic()) {
                requireFinite(cubic->control1);
                requireFinite(cubic->control2);
            }
        }
    }
    for (const InterpretedSegment& segment : result.segments) {
        requireFinite(segment.from);
        for (Vector2 p : segment.points) requireFinite(p);
    }
    const Rect bounds = result.path.bounds();
    if (!bounds.isNull() && !(std::isfinite(bounds.width) && std::isfinite(bounds.height))) __builtin_trap();
    return 0;
}
