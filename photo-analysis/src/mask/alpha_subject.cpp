#include "mask/alpha_subject.hpp"

#include <cstddef>
#include <cstdint>

#include "mask/stage_trace.hpp"

namespace photo_analysis::cut_out {

std::optional<SubjectMask> alphaSubject(const Photo& photo, const AlphaOptions& options, const TraceSink& sink) {
    if (photo.isEmpty()) return std::nullopt;
    const std::size_t width = static_cast<std::size_t>(photo.width());
    const std::size_t height = static_cast<std::size_t>(photo.height());
    const std::uint8_t* rgba = photo.pixels().data();
    const auto alpha = [&](std::size_t x, std::size_t y) { return rgba[(y * width + x) * 4 + 3]; };
    std::size_t border = 0, opaque = 0;
    const auto count = [&](std::size_t x, std::size_t y) {
        ++border;
        opaque += alpha(x, y) >= options.transparentAlpha;
    };
    for (std::size_t x = 0; x < width; ++x) count(x, 0), count(x, height - 1);
    for (std::size_t y = 0; y < height; ++y) count(0, y), count(width - 1, y);
    if (static_cast<double>(opaque) > options.opaqueBorderShare * static_cast<double>(border)) return std::nullopt;
    SubjectMask mask{photo.width(), photo.height(), std::vector<std::uint8_t>(width * height)};
    bool shows = false;
    for (std::size_t i = 0; i < mask.coverage.size(); ++i) {
        mask.coverage[i] = rgba[i * 4 + 3];
        shows = shows || mask.coverage[i] >= SubjectMask::insideThreshold;
    }
    if (!shows) return std::nullopt;
    if (const StageTrace trace(sink); trace)
        trace("  transparence : bord transparent, le masque est l'alpha de la photo");
    return mask;
}

}  // namespace photo_analysis::cut_out
