#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "photo_analysis/rgba_view.hpp"

namespace photo_analysis {

// One CIELAB colour (D65 white) in 32-bit floats; colour differences are the
// Euclidean distance of the triples.
struct Lab {
    float l = 0;
    float a = 0;
    float b = 0;

    Lab() = default;
    constexpr Lab(float l, float a, float b) : l(l), a(a), b(b) {}
    // From 8-bit sRGB components.
    static Lab fromRGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue);

    friend constexpr bool operator==(const Lab&, const Lab&) = default;
};

float colourDifference(const Lab& p, const Lab& q);

// An image converted to Lab at a working size, pixels row-major, top row first.
struct LabImage {
    int width = 0;
    int height = 0;
    std::vector<Lab> pixels;

    friend bool operator==(const LabImage&, const LabImage&) = default;
};

// The largest working image labImage makes; anything larger gives nothing.
inline constexpr int maximumLabSide = 16384;
inline constexpr std::int64_t maximumLabPixels = std::int64_t{16} << 20;

// The image over white, resampled to max(height, 16) rows and
// max(round(aspect × rows), 16) columns, in Lab. Nothing when the image has no
// pixels, its buffer is short, or the working size exceeds the limits above.
std::optional<LabImage> labImage(const RgbaView& image, int workingHeight);
inline std::optional<LabImage> labImage(const Photo& photo, int workingHeight) {
    return labImage(RgbaView::of(photo), workingHeight);
}

// The per-component upper medians of the masked pixels; (0, 0, 0) when none is
// masked or the mask is shorter than the pixels.
Lab medianLab(const std::vector<bool>& mask, const std::vector<Lab>& pixels);

// The mean colour of the masked pixels in the (2r + 1)-square window around each
// pixel, clipped to the grid; a window without masked pixels keeps the median of
// the whole mask. Empty when the grid sizes do not agree.
std::vector<Lab> localBackground(const std::vector<bool>& mask, int radius, int width, int height,
                                 const std::vector<Lab>& pixels);

// The path filled by the even-odd rule into a width × height grid, in units of
// the grid's height about its centre, y downwards; a cell is set when at least
// half covered.
std::vector<bool> rasterizeMask(const icon_geometry::BezierPath& path, int width, int height);

}  // namespace photo_analysis
