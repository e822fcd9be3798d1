#include "mask/wall_model.hpp"

#include <opencv2/core.hpp>
#include <vector>

namespace photo_analysis::cut_out {

using platform::workingPhoto;

WallModel wallModel(const Photo& photo, const GrabCutSegmenter::Options& sizes, const FieldOptions& options) {
    WallModel model;
    if (photo.isEmpty()) return model;
    model.working = workingPhoto(photo, sizes.workingSide, sizes.refineSide);
    if (model.working.small.cols < 8 || model.working.small.rows < 8) return model;
    model.field = fittedField(model.working.small, sizes.fieldBand, options);
    model.textured = model.field.noise > sizes.texturedNoise;
    if (model.textured) return model;
    double lowest[3], highest[3];
    std::vector<cv::Mat> channels;
    cv::split(model.field.colours, channels);
    model.flat = true;
    for (int c = 0; c < 3; ++c) {
        cv::minMaxLoc(channels[static_cast<std::size_t>(c)], &lowest[c], &highest[c]);
        if (highest[c] - lowest[c] > options.flatSpan) model.flat = false;
    }
    return model;
}

}  // namespace photo_analysis::cut_out
