#include "mask/wall_model.hpp"

#include "mask/stage_trace.hpp"

namespace photo_analysis::cut_out {

using platform::workingPhoto;

WallModel wallModel(const Photo& photo, const SizeOptions& sizes, const FieldOptions& options, const TraceSink& sink) {
    const StageTrace trace(sink);
    WallModel model;
    if (photo.isEmpty()) return model;
    model.working = workingPhoto(photo, sizes.workingSide, sizes.refineSide);
    if (model.working.small.cols < 8 || model.working.small.rows < 8) {
        if (trace) trace("  mur : photo trop petite pour en juger");
        return model;
    }
    model.field = fittedField(model.working.small, options.band, options);
    model.textured = model.field.noise > options.texturedNoise;
    if (trace)
        trace("  mur : bruit " + traced(model.field.noise) + ", écart au champ " + traced(model.field.departure) +
              (model.textured ? ", texturé (bruit au-dessus de " + traced(options.texturedNoise) + ")" : ", lisse"));
    return model;
}

}  // namespace photo_analysis::cut_out
