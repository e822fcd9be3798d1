#pragma once

// The shots of devices built from signed distances (every silhouette but the
// printed box on a wall), and how every shot is saved.

#include <cstdint>
#include <vector>

#include "handheld_scene.hpp"

namespace handheld_photos::internal {

// A product photo on transparency, or on white when so asked, is saved as PNG.
bool savedAsPng(const Shot& shot);

// Saves the upright premultiplied pixels as the shot asks (JPEG at its quality
// or PNG, stored for its EXIF orientation) and reads the file back as the
// program reads it.
void save(HandheldPhoto& photo, const Shot& shot, int width, int height, std::vector<std::uint8_t> rgba);

HandheldPhoto traced(const Shot& shot);

}  // namespace handheld_photos::internal
