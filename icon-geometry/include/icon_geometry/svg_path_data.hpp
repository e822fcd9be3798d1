#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/icon_geometry_error.hpp"
#include "icon_geometry/vector.hpp"

namespace icon_geometry {

// One command of SVG path data, with its letter as written (lower case is
// relative) and exactly as many arguments as the letter takes. Arc flags are
// stored as 0.0 or 1.0.
struct PathCommand {
    char letter = 'M';
    std::vector<double> arguments;

    bool isRelative() const { return letter >= 'a' && letter <= 'z'; }

    friend bool operator==(const PathCommand&, const PathCommand&) = default;
};

// One drawing command resolved to absolute points, kept for checking icons:
// L, H, V, T and A give [end]; C and S give [c1, c2, end]; Q and T give [k, end];
// Z gives [subpath start].
struct InterpretedSegment {
    char letter = 'L';
    Vector2 from;
    std::vector<Vector2> points;

    // Never for Z; otherwise true when every point equals `from` exactly.
    bool isZeroLength() const;

    friend bool operator==(const InterpretedSegment&, const InterpretedSegment&) = default;
};

// Reading the path data of SVG: the tokenizer cuts the text into commands, the
// interpreter resolves them into absolute geometry. The full command set is
// read, so that icons drawn by other tools can be judged.
namespace PathData {

// Upper-case letter and its argument count.
inline constexpr std::array<std::pair<char, int>, 10> argumentCounts{{
    {'M', 2},
    {'L', 2},
    {'H', 1},
    {'V', 1},
    {'C', 6},
    {'S', 4},
    {'Q', 4},
    {'T', 2},
    {'A', 7},
    {'Z', 0},
}};

// The largest magnitude a number in path data may have.
inline constexpr double magnitudeLimit = 1000000.0;

// The argument count of a command letter in either case; absent for any other byte.
std::optional<int> argumentCount(char letter);

// The commands in text order. Throws IconGeometryError::malformedPathData with
// the byte offset of the first fault; empty or separator-only text gives none.
[[nodiscard]] std::vector<PathCommand> tokenize(std::string_view text);

struct Interpretation {
    BezierPath path;
    std::vector<InterpretedSegment> segments;
};

// Resolves commands into a path (arcs as cubics, quadratics raised to cubics)
// and one segment per command other than M. Never fails; a command that does
// not carry its letter's argument count is skipped.
Interpretation interpret(const std::vector<PathCommand>& commands);

}  // namespace PathData
}  // namespace icon_geometry

template <>
struct std::hash<icon_geometry::PathCommand> {
    std::size_t operator()(const icon_geometry::PathCommand& c) const;
};
template <>
struct std::hash<icon_geometry::InterpretedSegment> {
    std::size_t operator()(const icon_geometry::InterpretedSegment& s) const;
};
