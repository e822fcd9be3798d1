#pragma once

// The frame the projection's region operations run in: they round to a fixed
// grid, so a shape is fitted to the canvas's size before and taken back after.

#include <cmath>
#include <optional>

#include "icon_geometry/affine_transform.hpp"
#include "icon_geometry/rect.hpp"

namespace icon_geometry {

struct WorkingFrame {
    // The larger side of the extent, in working units.
    static constexpr double size = 960;
    AffineTransform in, out;
};

// Into the frame (the extent centred on the origin, its larger side `size`)
// and back out; nothing when the extent has no finite size.
inline std::optional<WorkingFrame> workingFrame(const Rect& extent) {
    const double size = std::fmax(extent.width, extent.height);
    if (extent.isNull() || !(size > 0) || !std::isfinite(size)) return std::nullopt;
    const double k = WorkingFrame::size / size;
    return WorkingFrame{AffineTransform::scale(k, k).translatedBy(-extent.midX(), -extent.midY()),
                        AffineTransform::translation(extent.midX(), extent.midY()).scaledBy(1 / k, 1 / k)};
}

}  // namespace icon_geometry
