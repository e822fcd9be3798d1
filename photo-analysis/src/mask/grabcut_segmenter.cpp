#include <cstddef>
#include <utility>

#include "mask/cut_out.hpp"
#include "photo_analysis/segmenter.hpp"

namespace photo_analysis {

ProbabilityMap GrabCutSegmenter::segment(const Photo& photo) const {
    return segment(photo, TraceSink{});
}

ProbabilityMap GrabCutSegmenter::segment(const Photo& photo, const TraceSink& sink) const {
    SubjectMask mask = cut_out::run(photo, cutOutOptions(), cut_out::Segmentation::grabCut, sink);
    ProbabilityMap map;
    map.width = mask.width;
    map.height = mask.height;
    map.format = ProbabilityMap::Format::byte;
    map.bytesPerRow = static_cast<std::size_t>(mask.width);
    map.bytes = std::move(mask.coverage);
    return map;
}

}  // namespace photo_analysis
