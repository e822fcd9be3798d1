#pragma once

#include <cstdint>
#include <vector>

#include "homey_project/driver_image_check.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/rgb_image.hpp"
#include "photo_analysis/subject_mask.hpp"

namespace photo_analysis {

// Turns a photo and its subject mask into a square driver image: the subject
// cut out along its mask, over white, scaled to fill the square less a margin
// on each side, and centred.
struct DriverImageRenderer {
    // Share of the side left free on each side of the subject.
    double margin = 0.08;

    static constexpr double upscaleWarningThreshold = 2.0;
    // Largest side rendered; larger requests are refused before allocating.
    static constexpr int maxSide = 16384;

    struct Rendering {
        RgbImage image;      // side × side, opaque
        double upscale = 0;  // the scale applied to the subject's pixels
    };

    // Throws PhotoAnalysisError (renderingFailed) for a side that is not 1…maxSide,
    // a margin leaving no positive finite scale, a mask not of the photo's size or
    // without inside pixels.
    [[nodiscard]] Rendering render(const Photo& photo, const SubjectMask& mask, int side) const;
    [[nodiscard]] Rendering render(const Photo& photo, const SubjectMask& mask,
                                   homey_project::DriverImageSize size) const;

    // Deterministic PNG bytes of an RGB image; renderingFailed when it cannot be encoded.
    [[nodiscard]] static std::vector<std::uint8_t> pngData(const RgbImage& image);

    static bool isUpscaled(double upscale) { return upscale > upscaleWarningThreshold; }
};

}  // namespace photo_analysis
