#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

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
// pixels count as white).
class Segmenter {
public:
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
};

// Finds nothing, ever: callers then fall back on the background colour, which
// keeps tests deterministic.
class NoSegmenter final : public Segmenter {
public:
    using Segmenter::segment;
    [[nodiscard]] ProbabilityMap segment(const Photo& photo) const override;
};

// The subject at a reduced working size (the photo shrunk first and laid over
// white at that size, which is the same as shrinking it over white). On a plain
// or graded wall the wall is modelled as a smooth field fitted to the border
// band, and GrabCut starts from what departs from it; on a textured wall, told
// apart by the band's noise about the field, GrabCut starts from a border band
// of probable background. The first result the plausibility gate accepts is
// brought back to the image's size with soft edges snapped to the photo's own.
class GrabCutSegmenter final : public Segmenter {
public:
    struct Options {
        int workingSide = 320;        // longer side GrabCut runs at
        int iterations = 2;           // GrabCut iterations
        double borderBand = 0.03;     // share of the working side started as probable background
        double dither = 6.0;          // standard deviation of the fixed noise added, 8-bit units
        int refineSide = 1024;        // longer side the edges are snapped at
        double fieldBand = 0.04;      // share of the working side the wall's field is fitted to
        double texturedNoise = 8.0;   // band noise about the field above which a wall is textured, 8-bit units
        double fieldSmoothing = 1.0;  // pixels at the working size over which departures are averaged
    };

    GrabCutSegmenter() = default;
    explicit GrabCutSegmenter(Options options) : options_(options) {}
    const Options& options() const { return options_; }

    [[nodiscard]] ProbabilityMap segment(const Photo& photo) const override;
    // Traces the wall it finds, the routes it tries, what each stage keeps or
    // drops and which route gave the map.
    [[nodiscard]] ProbabilityMap segment(const Photo& photo, const TraceSink& trace) const override;

private:
    Options options_;
};

}  // namespace photo_analysis
