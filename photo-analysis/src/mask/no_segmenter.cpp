#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/segmenter.hpp"

namespace photo_analysis {

ProbabilityMap NoSegmenter::segment(const Photo&) const {
    throw PhotoAnalysisError::noSubjectFound();
}

}  // namespace photo_analysis
