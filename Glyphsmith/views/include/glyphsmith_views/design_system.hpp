#pragma once

// The app's named colours and measures. Every view takes its colours, spacings,
// window sizes and preview sizes from here instead of writing numbers of its
// own. Lengths are in device-independent pixels (Qt's logical pixels).

#include <QColor>
#include <QString>
#include <array>
#include <optional>
#include <string>

namespace glyphsmith_views {

namespace Palette {
// Fill of the icon preview card.
QColor previewBackground();
// 1-pixel outlines of the icon preview, the tiles and the thumbnails.
QColor border();
// The icon on a light ground.
QColor ink();
// The icon on the brand colour.
QColor onBrand();
QColor tileBackground();
// Selection marks over the photo.
QColor selection();
QColor passed();
QColor warning();
QColor failed();
// Absent or undecided states, and secondary text.
QColor neutral();
// sRGB (0, 0.627, 0.89): the previews' brand colour when the project gives none.
QColor defaultBrand();

// A Homey app's brand colour text ("#00A0E3") as a colour: blanks and tabs
// trimmed at both ends (never line breaks), a "#", then exactly six characters
// read as one base-16 number, a leading "+" allowed and a leading "-" only
// before zeros. Anything else gives no colour.
std::optional<QColor> color(const std::optional<QString>& hex);
std::optional<QColor> color(const std::optional<std::string>& hex);
}  // namespace Palette

namespace Spacing {
inline constexpr double extraSmall = 4;
inline constexpr double small = 8;
inline constexpr double medium = 16;
inline constexpr double large = 24;
}  // namespace Spacing

namespace WindowMetrics {
inline constexpr int minWidth = 1100;
inline constexpr int minHeight = 700;
inline constexpr int sidebarWidth = 240;
inline constexpr int inspectorWidth = 320;
// Minimum width of the write confirmation sheet; width of the settings window.
inline constexpr int sheetWidth = 520;
inline constexpr int fileListMinHeight = 180;
}  // namespace WindowMetrics

namespace PreviewMetrics {
inline constexpr double maxSide = 480;
// Tile sides in pixels, in this order.
inline constexpr std::array<int, 2> tileSizes{30, 50};
// Shown side of every tile, whatever its pixel side.
inline constexpr double tileFrame = 120;
// Margin of the icon inside a tile, as a share of the side on each edge.
inline constexpr double tileInset = 0.18;
inline constexpr double thumbnailSide = 96;
inline constexpr double outlineWidth = 2;
inline constexpr double cornerRadius = 8;
inline constexpr double statusDotSide = 8;
inline constexpr double overlayOpacity = 0.45;
inline constexpr double photoThumbnailSide = 44;
// Within this many view pixels a click on the photo toggles a proposal.
inline constexpr double proposalHitRadius = 14;
inline constexpr std::array<double, 2> dash{4, 4};
}  // namespace PreviewMetrics

namespace AboutMetrics {
inline constexpr double iconSide = 96;
inline constexpr double width = 340;
inline constexpr double padding = 28;
inline constexpr double spacing = 12;
inline constexpr double lineSpacing = 4;
}  // namespace AboutMetrics

}  // namespace glyphsmith_views
