#pragma once

#include "mask/wall_field.hpp"
#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/trace_sink.hpp"
#include "platform/working_photo.hpp"

namespace photo_analysis::cut_out {

// What the cut-out knows of a photo's wall: the working copies, the field
// (empty when the photo is too small to judge), and whether the wall is
// textured (its border band strays from the field by more than
// `texturedNoise`: wood, stone, fabric), where the field does not hold.
struct WallModel {
    platform::WorkingPhoto working;
    BackgroundField field;
    bool textured = false;

    // Whether the field stands for the wall: the photo large enough to judge, the wall not textured.
    bool fieldHolds() const { return !field.colours.empty() && !textured; }
};
// The wall of a photo at the sizes and with the band the options give.
WallModel wallModel(const Photo& photo, const SizeOptions& sizes, const FieldOptions& options = {},
                    const TraceSink& sink = {});

}  // namespace photo_analysis::cut_out
