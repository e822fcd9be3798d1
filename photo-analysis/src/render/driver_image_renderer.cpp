#include "photo_analysis/driver_image_renderer.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>

#include "image_io/png_encoder.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "platform/resampling.hpp"

namespace photo_analysis {

namespace {

// Byte tables for the cut-out, indexed [a][b]: the photo's premultiplied colour
// C at alpha A over white, min(C + 255 × (1 − A / 255), 255) truncated; and a
// colour C premultiplied by coverage M, C × M / 255 rounded half away from zero.
struct CutOutTables {
    std::array<std::uint8_t, 256 * 256> overWhite{};
    std::array<std::uint8_t, 256 * 256> premultiplied{};
    CutOutTables() {
        for (int a = 0; a < 256; ++a) {
            for (int c = 0; c < 256; ++c) {
                const double white = std::min(c + 255.0 * (1.0 - a / 255.0), 255.0);
                overWhite[static_cast<std::size_t>(a * 256 + c)] = static_cast<std::uint8_t>(white);
                premultiplied[static_cast<std::size_t>(a * 256 + c)] =
                    static_cast<std::uint8_t>(std::round(c * static_cast<double>(a) / 255.0));
            }
        }
    }
};

std::vector<std::uint8_t> cutOut(const Photo& photo, const SubjectMask& mask, int bx, int by, int w, int h) {
    static const CutOutTables tables;  // constant once built
    std::vector<std::uint8_t> out(static_cast<std::size_t>(w) * static_cast<std::size_t>(h) * 4);
    const std::uint8_t* rgba = photo.pixels().data();
    const std::size_t width = static_cast<std::size_t>(photo.width());
    for (int y = 0; y < h; ++y) {
        const std::size_t sourceRow = static_cast<std::size_t>(by + y) * width + static_cast<std::size_t>(bx);
        const std::uint8_t* p = rgba + sourceRow * 4;
        const std::uint8_t* m = mask.coverage.data() + sourceRow;
        std::uint8_t* q = out.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(w) * 4;
        for (int x = 0; x < w; ++x, p += 4, q += 4) {
            const std::size_t alphaRow = static_cast<std::size_t>(p[3]) * 256;
            const std::size_t coverageRow = static_cast<std::size_t>(m[x]) * 256;
            for (int c = 0; c < 3; ++c) q[c] = tables.premultiplied[coverageRow + tables.overWhite[alphaRow + p[c]]];
            q[3] = m[x];
        }
    }
    return out;
}

}  // namespace

DriverImageRenderer::Rendering DriverImageRenderer::render(const Photo& photo, const SubjectMask& mask,
                                                           int side) const {
    if (side <= 0 || side > maxSide) throw PhotoAnalysisError::renderingFailed();
    if (photo.isEmpty() || !mask.isWellFormed() || mask.width != photo.width() || mask.height != photo.height())
        throw PhotoAnalysisError::renderingFailed();
    const std::optional<icon_geometry::Rect> box = mask.boundingBox();
    if (!box) throw PhotoAnalysisError::renderingFailed();
    const int bx = static_cast<int>(box->x), by = static_cast<int>(box->y);
    const int w = static_cast<int>(box->width), h = static_cast<int>(box->height);
    const double scale = (1.0 - 2.0 * margin) * side / std::max(w, h);
    if (!(scale > 0) || !std::isfinite(scale)) throw PhotoAnalysisError::renderingFailed();

    const std::vector<std::uint8_t> subject = cutOut(photo, mask, bx, by, w, h);
    // Only the stretch the subject can reach is drawn; the rest of the square is
    // white. Cubic enlargement reaches two source pixels beyond the box.
    const double originX = (side - scale * w) * 0.5, originY = (side - scale * h) * 0.5;
    const double reach = scale > 1.0 ? 2.0 * scale + 1.0 : 1.0;
    const auto within = [side](double v) { return static_cast<int>(std::clamp(v, 0.0, static_cast<double>(side))); };
    const int x0 = within(std::floor(originX - reach)), x1 = within(std::ceil(originX + scale * w + reach));
    const int y0 = within(std::floor(originY - reach)), y1 = within(std::ceil(originY + scale * h + reach));
    const int drawnWidth = x1 - x0, drawnHeight = y1 - y0;
    std::vector<float> drawn(static_cast<std::size_t>(drawnWidth) * static_cast<std::size_t>(drawnHeight) * 4, 0.0f);
    platform::drawScaled(subject, w, h, scale, originX - x0, originY - y0, drawnWidth, drawnHeight, drawn);

    // Premultiplied over opaque white: C + 255 − A.
    Rendering rendering{RgbImage{side, side, std::vector<std::uint8_t>(static_cast<std::size_t>(side) * side * 3, 255)},
                        scale};
    for (int y = 0; y < drawnHeight; ++y) {
        const float* p = &drawn[static_cast<std::size_t>(y) * static_cast<std::size_t>(drawnWidth) * 4];
        std::uint8_t* out =
            rendering.image.rgb.data() +
            (static_cast<std::size_t>(y0 + y) * static_cast<std::size_t>(side) + static_cast<std::size_t>(x0)) * 3;
        for (int x = 0; x < drawnWidth; ++x, p += 4, out += 3)
            for (int c = 0; c < 3; ++c)
                out[c] = static_cast<std::uint8_t>(std::clamp(std::round(p[c] + 255.0f - p[3]), 0.0f, 255.0f));
    }
    return rendering;
}

DriverImageRenderer::Rendering DriverImageRenderer::render(const Photo& photo, const SubjectMask& mask,
                                                           homey_project::DriverImageSize size) const {
    return render(photo, mask, homey_project::rawValue(size));
}

std::vector<std::uint8_t> DriverImageRenderer::pngData(const RgbImage& image) {
    if (image.width <= 0 || image.height <= 0 ||
        image.rgb.size() != static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3)
        throw PhotoAnalysisError::renderingFailed();
    try {
        return image_io::encodePngRgb(image.width, image.height, image.rgb);
    } catch (...) {
        throw PhotoAnalysisError::renderingFailed();
    }
}

}  // namespace photo_analysis
