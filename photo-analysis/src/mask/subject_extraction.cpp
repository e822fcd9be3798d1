#include "photo_analysis/subject_extraction.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <opencv2/core.hpp>
#include <optional>
#include <vector>

#include "mask/background_colour.hpp"
#include "mask/clean_up.hpp"
#include "mask/closed_outline.hpp"
#include "mask/cut_out_options.hpp"
#include "mask/field_subject.hpp"
#include "mask/finer_edge.hpp"
#include "mask/outline_weighing.hpp"
#include "mask/plausibility_gate.hpp"
#include "mask/refined_map.hpp"
#include "mask/shadows.hpp"
#include "mask/stage_trace.hpp"
#include "mask/wall_field.hpp"
#include "mask/wall_model.hpp"
#include "photo_analysis/photo_analysis_error.hpp"

namespace photo_analysis {

namespace {

using cut_out::StageTrace;
using cut_out::WallModel;

// 255 for 1 and above and for NaN, else 255 × max(v, 0) truncated.
std::uint8_t coverageOf(float v) {
    if (!(v < 1.0f)) return 255;
    return static_cast<std::uint8_t>(255.0f * std::max(v, 0.0f));
}

// On a flat wall, the background colour at the photo's own size is the
// field, exactly: its mask, the outline weighed, when the gate accepts it.
std::optional<SubjectMask> flatWallSubject(const Photo& photo, const WallModel& wall,
                                           const cut_out::CutOutOptions& options, const TraceSink& sink) {
    try {
        SubjectMask mask = finishedMask(cut_out::backgroundMask(photo, SubjectExtraction::defaultTolerance, sink));
        cut_out::weighOutline(photo, cut_out::backgroundColour(photo), mask.coverage, options.weighing, sink);
        mask = finishedMask(std::move(mask));
        if (cut_out::plausibleMask(wall, mask.coverage, mask.width, mask.height, options.gate, sink)) return mask;
    } catch (const PhotoAnalysisError&) {
        if (const StageTrace trace(sink); trace) trace("  couleur du fond : aucun sujet");
    }
    return std::nullopt;
}

// The field alone, without GrabCut: what departs from it, shadows taken off,
// judged by the gate, its edge taken again at the refining size and grown to
// the closed outline around it, brought back to the photo's size.
ProbabilityMap fieldSubjectMap(const WallModel& wall, int width, int height, const cut_out::CutOutOptions& options,
                               const TraceSink& sink) {
    const StageTrace trace(sink);
    const GrabCutSegmenter::Options sizes;
    const platform::WorkingPhoto& working = wall.working;
    const cut_out::BackgroundField& field = wall.field;
    if (!wall.fieldHolds()) {
        if (trace) trace("  champ : il ne suit pas ce mur");
        throw PhotoAnalysisError::noSubjectFound();
    }
    const cv::Mat distance = cut_out::fieldDistance(working.small, field, sizes.fieldSmoothing);
    const cv::Mat subject = cut_out::withoutShadows(
        working, field, distance, cut_out::fieldSubject(working.small, distance, field, options.departures, sink),
        options.shadows, sink);
    if (cv::countNonZero(subject) == 0) {
        if (trace) trace("  champ : rien ne s'en écarte");
        throw PhotoAnalysisError::noSubjectFound();
    }
    if (!cut_out::plausibleSubject(working.small, subject, subject, options.gate, sink)) {
        // Only the shade and the side of a device the wall's shade hides may
        // depart from the wall: the outline they close, when it is a device.
        if (trace) trace("  champ : son sujet refusé, le contour fermé qu'il entoure peut-être");
        if (const auto closed = cut_out::closedOutlineAround(working, subject, options, sink))
            return cut_out::refinedMap(working, *closed, width, height, options.refine);
        throw PhotoAnalysisError::noSubjectFound();
    }
    // Without GrabCut to follow the edges, the field's threshold is taken again
    // at the refining size, close to the subject found.
    cv::Mat finer = cut_out::finerFieldSubject(working, field, subject, sizes.fieldSmoothing, options.finerEdge, sink);
    if (cv::countNonZero(finer) == 0) finer = subject;
    return cut_out::refinedMap(working, cut_out::withinClosedOutline(working, finer, options, sink), width, height,
                               options.refine);
}

}  // namespace

SubjectMask SubjectExtraction::extractForeground(const Photo& photo, const Segmenter& segmenter,
                                                 const TraceSink& trace) {
    if (photo.isEmpty()) throw PhotoAnalysisError::noSubjectFound();
    ProbabilityMap map;
    try {
        map = segmenter.segment(photo, trace);
    } catch (const PhotoAnalysisError&) {
        throw PhotoAnalysisError::noSubjectFound();
    } catch (const std::exception&) {
        // A segmentation library's own failure means no subject here.
        throw PhotoAnalysisError::noSubjectFound();
    }
    return maskFromProbability(map, photo.width(), photo.height());
}

SubjectMask SubjectExtraction::extract(const Photo& photo, const Segmenter& segmenter, const TraceSink& sink) {
    const StageTrace trace(sink);
    try {
        SubjectMask mask = extractForeground(photo, segmenter, sink);
        if (trace) trace("masque : donné par le segmenteur");
        return mask;
    } catch (const PhotoAnalysisError&) {
        if (trace) trace("masque : rien du segmenteur, le mur seul");
    }
    // The wall modelled as a smooth field, and the result judged like the
    // segmenter's: a band of wall is no subject.
    try {
        const cut_out::CutOutOptions options;
        const WallModel wall = cut_out::wallModel(photo, GrabCutSegmenter::Options{}, options.field, sink);
        if (wall.flat) {
            if (std::optional<SubjectMask> mask = flatWallSubject(photo, wall, options, sink)) {
                if (trace) trace("masque : donné par la couleur du fond d'un mur uni");
                return *std::move(mask);
            }
        }
        SubjectMask mask = maskFromProbability(fieldSubjectMap(wall, photo.width(), photo.height(), options, sink),
                                               photo.width(), photo.height());
        if (trace) trace("masque : donné par le champ du mur");
        return mask;
    } catch (const PhotoAnalysisError&) {
        if (trace) trace("masque : aucun sujet");
        throw PhotoAnalysisError::noSubjectFound();
    } catch (const std::exception&) {
        // An image library's own failure means no subject here.
        if (trace) trace("masque : aucun sujet, la bibliothèque d'images a échoué");
        throw PhotoAnalysisError::noSubjectFound();
    }
}

SubjectMask SubjectExtraction::maskFromProbability(const ProbabilityMap& map, int width, int height) {
    if (width <= 0 || height <= 0 || map.width != width || map.height != height)
        throw PhotoAnalysisError::noSubjectFound();
    const std::size_t valueSize = map.format == ProbabilityMap::Format::float32 ? 4 : 1;
    const std::size_t rowBytes = static_cast<std::size_t>(width) * valueSize;
    if (map.bytesPerRow < rowBytes ||
        map.bytes.size() < map.bytesPerRow * static_cast<std::size_t>(height - 1) + rowBytes)
        throw PhotoAnalysisError::noSubjectFound();

    // Byte maps go through a table of the same single-precision steps.
    std::array<std::uint8_t, 256> byteCoverage{};
    for (int b = 0; b < 256; ++b)
        byteCoverage[static_cast<std::size_t>(b)] = coverageOf(static_cast<float>(b) / 255.0f);
    SubjectMask mask{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height)};
    for (int y = 0; y < height; ++y) {
        const std::uint8_t* row = map.bytes.data() + map.bytesPerRow * static_cast<std::size_t>(y);
        std::uint8_t* out = mask.coverage.data() + static_cast<std::size_t>(y) * width;
        for (int x = 0; x < width; ++x) {
            float v;
            if (valueSize == 4) {
                std::memcpy(&v, row + static_cast<std::size_t>(x) * 4, 4);
            } else {
                out[x] = byteCoverage[row[x]];
                continue;
            }
            out[x] = coverageOf(v);
        }
    }
    return finishedMask(std::move(mask));
}

SubjectMask SubjectExtraction::extractByBackground(const Photo& photo, double tolerance) {
    return finishedMask(cut_out::backgroundMask(photo, tolerance));
}

}  // namespace photo_analysis
