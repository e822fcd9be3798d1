#include "mask/wall_model.hpp"

#include <opencv2/core.hpp>
#include <vector>

#include "mask/stage_trace.hpp"

namespace photo_analysis::cut_out {

using platform::workingPhoto;

WallModel wallModel(const Photo& photo, const GrabCutSegmenter::Options& sizes, const FieldOptions& options,
                    const TraceSink& sink) {
    const StageTrace trace(sink);
    WallModel model;
    if (photo.isEmpty()) return model;
    model.working = workingPhoto(photo, sizes.workingSide, sizes.refineSide);
    if (model.working.small.cols < 8 || model.working.small.rows < 8) {
        if (trace) trace("  mur : photo trop petite pour en juger");
        return model;
    }
    model.field = fittedField(model.working.small, sizes.fieldBand, options);
    const auto described = [&] {
        if (trace)
            trace("  mur : bruit " + traced(model.field.noise) + ", écart au champ " + traced(model.field.departure) +
                  (model.textured ? ", texturé (bruit au-dessus de " + traced(sizes.texturedNoise) + ")"
                   : model.flat   ? ", lisse, uni"
                                  : ", lisse, nuancé"));
    };
    model.textured = model.field.noise > sizes.texturedNoise;
    if (model.textured) {
        described();
        return model;
    }
    double lowest[3], highest[3];
    std::vector<cv::Mat> channels;
    cv::split(model.field.colours, channels);
    model.flat = true;
    for (int c = 0; c < 3; ++c) {
        cv::minMaxLoc(channels[static_cast<std::size_t>(c)], &lowest[c], &highest[c]);
        if (highest[c] - lowest[c] > options.flatSpan) model.flat = false;
    }
    described();
    return model;
}

}  // namespace photo_analysis::cut_out
