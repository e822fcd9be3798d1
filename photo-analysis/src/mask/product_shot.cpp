#include "mask/product_shot.hpp"

#include <cmath>
#include <cstddef>
#include <cstdint>

#include "mask/background_colour.hpp"
#include "mask/clean_up.hpp"
#include "mask/outline_weighing.hpp"
#include "mask/stage_trace.hpp"

namespace photo_analysis::cut_out {

bool isProductShot(const Photo& photo, const ProductShotOptions& options, const TraceSink& sink) {
    if (photo.isEmpty()) return false;
    const std::array<double, 3> colour = backgroundColour(photo);
    const std::size_t width = static_cast<std::size_t>(photo.width());
    const std::size_t height = static_cast<std::size_t>(photo.height());
    const std::uint8_t* rgba = photo.pixels().data();
    std::size_t border = 0, stray = 0;
    const auto count = [&](std::size_t x, std::size_t y) {
        const std::uint8_t* p = rgba + (y * width + x) * 4;
        double squared = 0;
        for (std::size_t c = 0; c < 3; ++c) {
            const double d = p[c] + 255.0 - p[3] - colour[c];
            squared += d * d;
        }
        ++border;
        stray += std::sqrt(squared) > options.flatLevels;
    };
    for (std::size_t x = 0; x < width; ++x) count(x, 0), count(x, height - 1);
    for (std::size_t y = 0; y < height; ++y) count(0, y), count(width - 1, y);
    const double share = static_cast<double>(stray) / static_cast<double>(border);
    const bool flat = share <= options.strayShare;
    if (const StageTrace trace(sink); trace)
        trace("  bord : " + percent(share) + " à plus de " + traced(options.flatLevels, 1) + " niveaux de sa couleur" +
              (flat ? ", une couleur unie : une photo de produit" : ""));
    return flat;
}

SubjectMask productSubject(const Photo& photo, const ProductShotOptions& options, const WeighingOptions& weighing,
                           const TraceSink& sink) {
    SubjectMask mask = finishedMask(backgroundMask(photo, options.tolerance, sink));
    weighOutline(photo, backgroundColour(photo), mask.coverage, weighing, sink);
    return mask;
}

}  // namespace photo_analysis::cut_out
