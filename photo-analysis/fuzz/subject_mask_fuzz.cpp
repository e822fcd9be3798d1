// Masks from arbitrary pixels: the background path, the probability-map
// conversion with its clean-up, and the renderer on the result. Bytes: width
// and height (1…64 each), a tolerance byte, a side byte, then RGBA pixels and a
// probability map, both repeated to fill.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "photo_analysis/driver_image_renderer.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/subject_extraction.hpp"

using namespace photo_analysis;

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void render(const Photo& photo, const SubjectMask& mask, int side) {
    check(mask.width == photo.width() && mask.height == photo.height() && mask.isWellFormed());
    check(mask.boundingBox().has_value());
    try {
        const DriverImageRenderer::Rendering r = DriverImageRenderer{}.render(photo, mask, side);
        check(r.image.width == side && r.image.rgb.size() == static_cast<std::size_t>(side) * side * 3);
    } catch (const PhotoAnalysisError&) {
        std::abort();  // a mask with a box and a valid side always renders
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 5) return 0;
    const int width = 1 + data[0] % 64, height = 1 + data[1] % 64;
    const double tolerance = data[2] / 4.0;
    const int side = 1 + data[3] % 96;
    const std::uint8_t* rest = data + 4;
    const std::size_t restSize = size - 4;
    const std::size_t count = static_cast<std::size_t>(width) * height;

    std::vector<std::uint8_t> pixels(count * 4);
    for (std::size_t i = 0; i < pixels.size(); ++i) pixels[i] = rest[i % restSize];
    // Keep the colours premultiplied: no channel above its alpha.
    for (std::size_t i = 0; i < pixels.size(); i += 4)
        for (int c = 0; c < 3; ++c) pixels[i + c] = std::min(pixels[i + c], pixels[i + 3]);
    const Photo photo(width, height, std::move(pixels));

    try {
        render(photo, SubjectExtraction::extractByBackground(photo, tolerance), side);
    } catch (const PhotoAnalysisError& e) {
        check(e.kind() == PhotoAnalysisError::Kind::noSubjectFound);
    }

    ProbabilityMap map{width, height, static_cast<std::size_t>(width) + data[0] % 3, ProbabilityMap::Format::byte, {}};
    map.bytes.resize(map.bytesPerRow * static_cast<std::size_t>(height));
    for (std::size_t i = 0; i < map.bytes.size(); ++i) map.bytes[i] = rest[(i * 7 + 3) % restSize];
    try {
        const SubjectMask mask = SubjectExtraction::maskFromProbability(map, width, height);
        render(photo, mask, side);
    } catch (const PhotoAnalysisError& e) {
        check(e.kind() == PhotoAnalysisError::Kind::noSubjectFound);
    }
    return 0;
}
