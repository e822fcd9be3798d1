#pragma once

// What the canvas shows. The order is that of the canvas's segmented picker and
// of the "Aperçu" menu, whose item i has the shortcut Ctrl and the digit i + 1.

#include <QString>
#include <array>
#include <optional>
#include <string_view>

namespace glyphsmith_state {

enum class PreviewMode { icon, tiles, mask, overlay };

inline constexpr std::array<PreviewMode, 4> allPreviewModes{PreviewMode::icon, PreviewMode::tiles, PreviewMode::mask,
                                                            PreviewMode::overlay};

// "Icône", "Tuiles", "Masque", "Photo".
QString title(PreviewMode mode);
// The case name, which is also its stored text.
std::string_view rawValue(PreviewMode mode);
// Exactly one of the four case names.
std::optional<PreviewMode> previewModeFromRawValue(std::string_view raw);

}  // namespace glyphsmith_state
