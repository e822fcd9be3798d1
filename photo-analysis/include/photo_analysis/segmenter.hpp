#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "photo_analysis/photo.hpp"

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
};

// Finds nothing, ever: callers then fall back on the background colour, which
// keeps tests deterministic.
class NoSegmenter final : public Segmenter {
public:
    [[nodiscard]] ProbabilityMap segment(const Photo& photo) const override;
};

// GrabCut at a reduced working size (the photo shrunk first and laid over white
// at that size, which is the same as shrinking it over white), started from a border band of probable
// background, its mask cleaned up, checked for plausibility and brought back to
// the image's size with soft edges snapped to the photo's own edges.
class GrabCutSegmenter final : public Segmenter {
public:
    struct Options {
        int workingSide = 320;     // longer side GrabCut runs at
        int iterations = 2;        // GrabCut iterations
        double borderBand = 0.03;  // share of the working side started as probable background
        double dither = 6.0;       // standard deviation of the fixed noise added, 8-bit units
        int refineSide = 1024;     // longer side the edges are snapped at
    };

    GrabCutSegmenter() = default;
    explicit GrabCutSegmenter(Options options) : options_(options) {}
    const Options& options() const { return options_; }

    [[nodiscard]] ProbabilityMap segment(const Photo& photo) const override;

private:
    Options options_;
};

}  // namespace photo_analysis
