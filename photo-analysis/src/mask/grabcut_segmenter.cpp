#include "mask/cut_out.hpp"
#include "photo_analysis/segmenter.hpp"

namespace photo_analysis {

ProbabilityMap GrabCutSegmenter::segment(const Photo& photo) const {
    return segment(photo, TraceSink{});
}

ProbabilityMap GrabCutSegmenter::segment(const Photo& photo, const TraceSink& sink) const {
    return cut_out::runToMap(photo, cutOutOptions(), cut_out::Segmentation::grabCut, sink);
}

}  // namespace photo_analysis
