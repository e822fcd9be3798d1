#pragma once

#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/segmenter.hpp"
#include "photo_analysis/subject_mask.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis::cut_out {

// Whether GrabCut is one of the cut-out's stages: the segmenter's way, or the
// background path alone.
enum class Segmentation { grabCut, none };

// The device cut out of the photo: the one place the cut-out's stages are
// wired, in the order they run. Each candidate is judged by the plausibility
// gate; the first one it accepts is brought back to the photo's size and
// cleaned up. Throws PhotoAnalysisError (noSubjectFound) when every way is
// refused. With FACE_DEBUG in the environment each stage traces its decision.
SubjectMask run(const Photo& photo, const CutOutOptions& options, Segmentation segmentation,
                const TraceSink& sink = {});

// The same, as the probability map a segmenter hands on before it is cleaned
// up, so that a caller who finishes the map does not pay for it twice. A
// photo's own alpha and a product shot are finished already.
ProbabilityMap runToMap(const Photo& photo, const CutOutOptions& options, Segmentation segmentation,
                        const TraceSink& sink = {});

}  // namespace photo_analysis::cut_out
