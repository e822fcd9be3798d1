#pragma once

#include <opencv2/core.hpp>

#include "mask/wall_field.hpp"
#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/trace_sink.hpp"
#include "platform/working_photo.hpp"

namespace photo_analysis::cut_out {

// The field's subject less the shadows it holds: what can be reached from the
// wall without crossing a sharp edge (at the working size, where a device's
// outline is a step of a pixel or two and a soft shadow's a slow ramp) through
// pixels that depart from the field in the wall's own colour, darker, and
// darker the deeper in, a flat stretch only in the faint fringe along the rim;
// with the foot of the shadow, as steep as an edge, where a lighter device
// rises beside it; never within the hull of what it leaves, the device's own.
// When that would take most of the subject it was no shadow, and the subject
// stays whole. `distance` is fieldDistance's of the working photo, as the
// subject was found with.
// Of the shadows taken off, what is surely no device, whatever edges it has,
// at the working size.
struct CastShadows {
    // The shadow beside a device of another colour than the wall's shade, and
    // the wall seen past a thin part with the shadow around it, plainly darker
    // than the wall.
    cv::Mat core;
    // The fainter rest of a shadow beside a device of another hue: no device
    // either, save along the subject's own edge, where the device's blend
    // with it lies.
    cv::Mat fringe;
};

struct Peel {
    cv::Mat subject;  // without its shadows
    cv::Mat shadows;  // what was taken off: the shadows, and the wall they closed in
    CastShadows cast;
    // The subject was a shadow alone: the peel took it whole, no outline of
    // its own stopping it. It is kept whole then, as any subject the peel
    // would take most of.
    bool onlyShade = false;
};
Peel withoutShadows(const platform::WorkingPhoto& working, const BackgroundField& field, const cv::Mat& distance,
                    const cv::Mat& subject, const ShadowOptions& options = {}, const TraceSink& sink = {});

}  // namespace photo_analysis::cut_out
