#pragma once

#include <array>
#include <optional>

#include "image_io/image.hpp"
#include "photo_analysis/photo.hpp"

// Resampling of photos through a plane mapping (the perspective-correction and
// affine-transform services of the original platform).
namespace photo_analysis::image_warp {

// The largest output the warps make: what image-io will read or write.
inline constexpr long long maxSide = image_io::maxImageSide;
inline constexpr long long maxPixels = image_io::maxImagePixels;

// A plane mapping, nine numbers row-major: (x, y) goes to
// ((m0 x + m1 y + m2) / w, (m3 x + m4 y + m5) / w) with w = m6 x + m7 y + m8.
using Matrix = std::array<double, 9>;

// The matrix product a · b: b applied first.
Matrix product(const Matrix& a, const Matrix& b);

// A length in pixels rounded outward to whole pixels, forgiving the last bits of
// a product (1.5 × 600 is 900, not 901); absent when not finite, below 1 or over
// the side cap.
std::optional<int> wholePixels(double length);

// A width × height image whose pixel at continuous position (u, v) (pixel
// centres at +0.5) shows the photo at outputToPhoto(u, v): bilinear over
// premultiplied RGBA, transparent beyond the photo, the photo area-averaged first
// where it is much denser than the output. Absent for an empty photo, sizes out of
// the caps or a mapping that is not finite.
std::optional<Photo> warp(const Photo& photo, const Matrix& outputToPhoto, int width, int height);

}  // namespace photo_analysis::image_warp
