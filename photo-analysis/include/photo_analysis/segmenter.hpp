#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "photo_analysis/cut_out_options.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis {

// A per-pixel subject probability as a segmentation yields it: height rows of
// bytesPerRow bytes, each row holding width values of 32-bit floats (0…1) or
// bytes (0…255).
struct ProbabilityMap {
    enum class Format { float32, byte };

    int width = 0;
    int height = 0;
    std::size_t bytesPerRow = 0;
    Format format = Format::byte;
    std::vector<std::uint8_t> bytes;
};

// A source of subject probabilities for a photo seen over white (transparent
// pixels count as white): the platform's foreground mask. It carries the
// options of the cut-out the background path runs when it finds nothing.
class Segmenter {
public:
    explicit Segmenter(CutOutOptions options = {}) : options_(options) {}
    virtual ~Segmenter() = default;
    // A map at the photo's size; throws PhotoAnalysisError (noSubjectFound) when
    // no plausible subject is found.
    [[nodiscard]] virtual ProbabilityMap segment(const Photo& photo) const = 0;
    // The same, with FACE_DEBUG in the environment tracing its decisions to the
    // sink; a segmenter that has none to trace finds its map as above.
    [[nodiscard]] virtual ProbabilityMap segment(const Photo& photo, const TraceSink& trace) const {
        (void)trace;
        return segment(photo);
    }
    // Whether the segmenter is itself a stage of the cut-out: the cut-out it
    // runs then tries every way the background path has, and its refusal is final.
    virtual bool isCutOutStage() const { return false; }
    const CutOutOptions& cutOutOptions() const { return options_; }

private:
    CutOutOptions options_;
};

// Finds nothing, ever: callers then fall back on the background path, which
// keeps tests deterministic.
class NoSegmenter final : public Segmenter {
public:
    using Segmenter::segment;
    using Segmenter::Segmenter;
    [[nodiscard]] ProbabilityMap segment(const Photo& photo) const override;
};

// The cut-out with GrabCut one of its stages: on a plain or graded wall the
// wall is modelled as a smooth field fitted to the border band and GrabCut
// starts from what departs from it, its shadows taken off; on a textured wall,
// told apart by the band's noise about the field, GrabCut starts from a border
// band of probable background. The first result the plausibility gate accepts
// is brought back to the image's size with soft edges snapped to the photo's
// own. A photo with real transparency and a product shot on one flat colour
// need no GrabCut: their alpha and their background colour tell the subject.
class GrabCutSegmenter final : public Segmenter {
public:
    using Segmenter::Segmenter;
    bool isCutOutStage() const override { return true; }

    [[nodiscard]] ProbabilityMap segment(const Photo& photo) const override;
    // Traces the wall it finds, the routes it tries, what each stage keeps or
    // drops and which route gave the map.
    [[nodiscard]] ProbabilityMap segment(const Photo& photo, const TraceSink& trace) const override;
};

}  // namespace photo_analysis
