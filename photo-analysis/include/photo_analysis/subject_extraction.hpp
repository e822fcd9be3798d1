#pragma once

#include "photo_analysis/photo.hpp"
#include "photo_analysis/segmenter.hpp"
#include "photo_analysis/subject_mask.hpp"

namespace photo_analysis {

// The two ways of cutting the subject out of a photo. Both end in the same
// clean-up, which keeps one 4-connected subject.
struct SubjectExtraction {
    // The tolerance the app and the tool pass to extractByBackground.
    static constexpr double defaultTolerance = 12.0;

    // The segmenter's map of the photo over white, made a mask and cleaned up.
    // Every failure throws PhotoAnalysisError (noSubjectFound).
    [[nodiscard]] static SubjectMask extractForeground(const Photo& photo, const Segmenter& segmenter);
    // The subject as what the background colour, taken from the border, cannot
    // reach from the border. Throws PhotoAnalysisError (noSubjectFound) when
    // nothing is left.
    [[nodiscard]] static SubjectMask extractByBackground(const Photo& photo, double tolerance);
    // The last steps of the foreground path, a pure function of the map: its size
    // checked against the photo's, values turned into coverage, cleaned up, and
    // noSubjectFound when nothing is inside.
    [[nodiscard]] static SubjectMask maskFromProbability(const ProbabilityMap& map, int width, int height);
};

}  // namespace photo_analysis
