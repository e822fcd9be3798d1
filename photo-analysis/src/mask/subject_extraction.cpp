#include "photo_analysis/subject_extraction.hpp"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <vector>

#include "mask/background_colour.hpp"
#include "mask/clean_up.hpp"
#include "mask/cut_out.hpp"
#include "mask/stage_trace.hpp"
#include "photo_analysis/photo_analysis_error.hpp"

namespace photo_analysis {

namespace {

// 255 for 1 and above and for NaN, else 255 × max(v, 0) truncated.
std::uint8_t coverageOf(float v) {
    if (!(v < 1.0f)) return 255;
    return static_cast<std::uint8_t>(255.0f * std::max(v, 0.0f));
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
    const cut_out::StageTrace trace(sink);
    // A segmenter that is a stage of the cut-out runs it whole, once; any other
    // has its turn first, the background path after.
    const bool stage = segmenter.isCutOutStage();
    if (!stage) {
        try {
            SubjectMask mask = extractForeground(photo, segmenter, sink);
            if (trace) trace("masque : donné par le segmenteur");
            return mask;
        } catch (const PhotoAnalysisError&) {
            if (trace) trace("masque : rien du segmenteur, le fond seul");
        }
    }
    try {
        SubjectMask mask = cut_out::run(photo, segmenter.cutOutOptions(),
                                        stage ? cut_out::Segmentation::grabCut : cut_out::Segmentation::none, sink);
        if (trace) trace(stage ? "masque : donné par la découpe avec GrabCut" : "masque : donné par le fond");
        return mask;
    } catch (const std::exception&) {
        // No subject; an image library's own failure means none here either.
        if (trace) trace("masque : aucun sujet");
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
