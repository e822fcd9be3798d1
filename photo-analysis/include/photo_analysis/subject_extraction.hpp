#pragma once

#include "photo_analysis/photo.hpp"
#include "photo_analysis/segmenter.hpp"
#include "photo_analysis/subject_mask.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis {

// The two ways of cutting the subject out of a photo. Both end in the same
// clean-up, which keeps one 4-connected subject.
struct SubjectExtraction {
    // The usual tolerance of extractByBackground.
    static constexpr double defaultTolerance = 12.0;

    // The segmenter's map of the photo over white, made a mask and cleaned up.
    // Every failure throws PhotoAnalysisError (noSubjectFound). With FACE_DEBUG
    // in the environment the segmenter's decisions are traced to the sink.
    [[nodiscard]] static SubjectMask extractForeground(const Photo& photo, const Segmenter& segmenter,
                                                       const TraceSink& trace = {});
    // The subject as what the background colour, taken from the border, cannot
    // reach from the border. Throws PhotoAnalysisError (noSubjectFound) when
    // nothing is left. One flat colour cannot follow a graded wall and nothing
    // judges the result: callers that cut devices out go through extract.
    [[nodiscard]] static SubjectMask extractByBackground(const Photo& photo, double tolerance);
    // The subject as the app and the tool take it, by the cut-out the
    // segmenter's options set: a photo with real transparency by its alpha, a
    // product shot on one flat colour by that colour, any other photo by what
    // departs from the wall modelled as a smooth field (light falling off
    // across it, vignettes), its shadows taken off. A segmenter that is a stage
    // of the cut-out (GrabCut) runs it whole; any other has its turn first and
    // the cut-out runs without it after. Every result is judged by the same
    // plausibility gate; throws PhotoAnalysisError (noSubjectFound) when every
    // way is refused, so that no band of wall or texture is ever taken for a
    // device. With FACE_DEBUG in the environment each stage's decision is
    // traced to the sink: the wall found, the candidates and why each was kept
    // or dropped, and which way gave the mask.
    [[nodiscard]] static SubjectMask extract(const Photo& photo, const Segmenter& segmenter,
                                             const TraceSink& trace = {});
    // The last steps of the foreground path, a pure function of the map: its size
    // checked against the photo's, values turned into coverage, cleaned up, and
    // noSubjectFound when nothing is inside.
    [[nodiscard]] static SubjectMask maskFromProbability(const ProbabilityMap& map, int width, int height);
};

}  // namespace photo_analysis
