#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/rect.hpp"

namespace photo_analysis {

// Per-pixel coverage of the subject in a photo: width × height bytes,
// row-major, row 0 at the top. 0 is background, 255 full subject, values
// between are soft edge pixels; a pixel is inside at 128 or more.
struct SubjectMask {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> coverage;

    static constexpr std::uint8_t insideThreshold = 128;

    // True when coverage holds exactly width × height entries and both sizes are
    // positive; any other mask is treated as empty.
    bool isWellFormed() const;

    // The smallest pixel box holding every inside pixel; absent when none is
    // inside or the mask is not well formed.
    std::optional<icon_geometry::Rect> boundingBox() const;
    // Sum of coverage / 255 / pixel count; 0 for a mask without pixels.
    double coverageShare() const;
    // The coverage at (x, y); 0 outside the mask.
    std::uint8_t coverageAt(int x, int y) const;
    // Intersection over union of the inside pixels; 0 when the masks differ in
    // width or height, when either is not well formed, or when nothing is inside.
    double overlap(const SubjectMask& other) const;

    // The closed path (pixel units, y down) filled by the even-odd rule with
    // antialiasing into a width × height mask; no clean-up. Throws
    // PhotoAnalysisError (renderingFailed) for sizes that are not positive or
    // exceed the photo limits.
    [[nodiscard]] static SubjectMask fromPath(const icon_geometry::BezierPath& path, int width, int height);

    friend bool operator==(const SubjectMask&, const SubjectMask&) = default;
};

}  // namespace photo_analysis
