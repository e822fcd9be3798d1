#include "icon_geometry/raster.hpp"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace icon_geometry {

namespace {

// 64 MB of mask at most; larger requests are refused rather than attempted.
constexpr int maxSide = 8192;
// cairo holds device coordinates in 24.8 fixed point; beyond about ±8e6 they wrap.
constexpr double deviceLimit = 4e6;

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};

void addPath(cairo_t* context, const BezierPath& path, const AffineTransform& toPixels) {
    const auto device = [&toPixels](Vector2 p) {
        const Vector2 d = toPixels.apply(p);
        return Vector2{std::clamp(d.x, -deviceLimit, deviceLimit), std::clamp(d.y, -deviceLimit, deviceLimit)};
    };
    for (const Subpath& subpath : path.subpaths) {
        if (subpath.segments.empty() || !subpath.isFinite()) continue;
        const Vector2 start = device(subpath.start);
        cairo_move_to(context, start.x, start.y);
        for (const PathSegment& segment : subpath.segments) {
            if (const auto* line = segment.asLine()) {
                const Vector2 to = device(line->to);
                cairo_line_to(context, to.x, to.y);
            } else {
                const auto& c = *segment.asCubic();
                const Vector2 c1 = device(c.control1);
                const Vector2 c2 = device(c.control2);
                const Vector2 to = device(c.to);
                cairo_curve_to(context, c1.x, c1.y, c2.x, c2.y, to.x, to.y);
            }
        }
        if (subpath.isClosed) cairo_close_path(context);
    }
}

}  // namespace

// cairo is y-down like the canvas and the photos, so no flip is needed. Each
// path is filled on its own, as separate fills overlap without cancelling.
std::vector<std::uint8_t> rasterizeEvenOdd(const std::vector<BezierPath>& paths, int width, int height,
                                           const AffineTransform& toPixels, Antialiasing antialiasing) {
    if (width <= 0 || width > maxSide || height <= 0 || height > maxSide) return {};
    const auto rowBytes = static_cast<std::size_t>(width);
    std::vector<std::uint8_t> pixels(rowBytes * static_cast<std::size_t>(height), 0);
    if (paths.empty()) return pixels;

    const std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
        cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return pixels;
    const std::unique_ptr<cairo_t, ContextDeleter> context(cairo_create(surface.get()));
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) return pixels;

    cairo_set_antialias(context.get(),
                        antialiasing == Antialiasing::none ? CAIRO_ANTIALIAS_NONE : CAIRO_ANTIALIAS_DEFAULT);
    cairo_set_fill_rule(context.get(), CAIRO_FILL_RULE_EVEN_ODD);
    cairo_set_source_rgba(context.get(), 0, 0, 0, 1);
    for (const BezierPath& path : paths) {
        cairo_new_path(context.get());
        addPath(context.get(), path, toPixels);
        cairo_fill(context.get());
    }
    cairo_surface_flush(surface.get());
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) return pixels;

    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    if (data == nullptr) return pixels;
    for (int row = 0; row < height; ++row) {
        std::memcpy(pixels.data() + static_cast<std::size_t>(row) * rowBytes,
                    data + static_cast<std::ptrdiff_t>(row) * stride, rowBytes);
    }
    return pixels;
}

std::vector<std::uint8_t> rasterizeEvenOdd(const std::vector<BezierPath>& paths, int side, double canvasSide) {
    if (side <= 0 || side > maxSide) return {};
    if (!(canvasSide > 0) || !std::isfinite(canvasSide)) {
        return std::vector<std::uint8_t>(static_cast<std::size_t>(side) * static_cast<std::size_t>(side), 0);
    }
    const double scale = static_cast<double>(side) / canvasSide;
    return rasterizeEvenOdd(paths, side, side, AffineTransform::scale(scale, scale));
}

}  // namespace icon_geometry
