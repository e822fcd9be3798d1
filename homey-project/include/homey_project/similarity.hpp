#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

#include "icon_geometry/ink_mask.hpp"

namespace homey_project {

// How alike two icons or two images are. Pure functions of the bytes; every
// failure gives no value and the caller decides what that means.
namespace Similarity {

// Icons are compared on coarse masks of the 960 canvas.
inline constexpr std::int64_t maskSide = 128;
inline constexpr double canvasSide = 960;

// The difference hash: 16 rows of 16 entries, 1 where a grey cell is darker
// than its right neighbour on a 17 × 16 rendering over white.
inline constexpr int hashWidth = 17;
inline constexpr int hashHeight = 16;
using DifferenceHash = std::array<std::uint8_t, 256>;

// The icon's ink at 128 cells; nothing when the SVG does not parse, its path
// data is malformed or it has no drawable element.
[[nodiscard]] std::optional<icon_geometry::InkMask> inkMask(std::string_view svg);

// Intersection over union of the two icons' masks; 1 when neither inks a cell.
// B is not read when A gives no mask.
[[nodiscard]] std::optional<double> iconOverlap(std::string_view svgA, std::string_view svgB);

// The image composited over white, turned grey (0.299 R + 0.587 G + 0.114 B,
// rounded to a byte), area-averaged exactly onto 17 × 16 cells, each rounded to
// a byte. Streams the rows; nothing when the bytes do not decode.
[[nodiscard]] std::optional<DifferenceHash> differenceHash(std::string_view imageBytes);

// The share of hash entries that differ.
[[nodiscard]] double hashDistance(const DifferenceHash& a, const DifferenceHash& b);

// The hash distance of two images; nothing when either does not decode (B is
// not read when A fails).
[[nodiscard]] std::optional<double> imageDistance(std::string_view imageA, std::string_view imageB);

}  // namespace Similarity
}  // namespace homey_project
