#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

#include "icon_geometry/platform_path.hpp"
#include "platform/path_walk.hpp"

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

void addPath(cairo_t* context, const PlatformPath& path, double scale) {
    using Kind = PlatformPath::ElementKind;
    const auto device = [scale](Vector2 p) {
        return Vector2{std::clamp(p.x * scale, -deviceLimit, deviceLimit),
                       std::clamp(p.y * scale, -deviceLimit, deviceLimit)};
    };
    platform::forEachSubpath(path, [&](const platform::SubpathView& subpath) {
        if (!subpath.isFinite()) return;
        Vector2 current = device(subpath.start);
        cairo_move_to(context, current.x, current.y);
        for (const PlatformPath::Element& element : subpath.drawing) {
            switch (element.kind) {
                case Kind::lineTo: {
                    current = device(element.points[0]);
                    cairo_line_to(context, current.x, current.y);
                    break;
                }
                case Kind::quadCurveTo: {
                    // Raised to the cubic that draws the same curve.
                    const Vector2 q = device(element.points[0]);
                    const Vector2 end = device(element.points[1]);
                    const Vector2 c1 = current + (q - current) * (2.0 / 3.0);
                    const Vector2 c2 = end + (q - end) * (2.0 / 3.0);
                    cairo_curve_to(context, c1.x, c1.y, c2.x, c2.y, end.x, end.y);
                    current = end;
                    break;
                }
                case Kind::curveTo: {
                    const Vector2 c1 = device(element.points[0]);
                    const Vector2 c2 = device(element.points[1]);
                    current = device(element.points[2]);
                    cairo_curve_to(context, c1.x, c1.y, c2.x, c2.y, current.x, current.y);
                    break;
                }
                case Kind::moveTo:
                case Kind::closeSubpath:
                    break;
            }
        }
        if (subpath.isClosed) cairo_close_path(context);
    });
}

// Fills each path on its own (separate fills overlap without cancelling) by the
// even-odd rule into a width × height grey buffer; empty when the surface cannot
// be made. cairo is y-down like the canvas, so y = 0 lands in row 0 without a flip.
std::vector<std::uint8_t> fillEvenOdd(const std::vector<PlatformPath>& paths, int width, int height, double scale,
                                      cairo_antialias_t antialias) {
    if (width <= 0 || height <= 0 || width > maxSide || height > maxSide) return {};
    const std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
        cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return {};
    const std::unique_ptr<cairo_t, ContextDeleter> context(cairo_create(surface.get()));
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) return {};

    cairo_set_antialias(context.get(), antialias);
    cairo_set_fill_rule(context.get(), CAIRO_FILL_RULE_EVEN_ODD);
    cairo_set_source_rgba(context.get(), 0, 0, 0, 1);
    for (const PlatformPath& path : paths) {
        cairo_new_path(context.get());
        addPath(context.get(), path, scale);
        cairo_fill(context.get());
    }
    cairo_surface_flush(surface.get());
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) return {};

    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    const int stride = cairo_image_surface_get_stride(surface.get());
    if (data == nullptr) return {};
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int row = 0; row < height; ++row) {
        std::memcpy(pixels.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width),
                    data + static_cast<std::ptrdiff_t>(row) * stride, static_cast<std::size_t>(width));
    }
    return pixels;
}

}  // namespace

std::vector<std::uint8_t> rasterizeEvenOdd(const std::vector<PlatformPath>& paths, int side, double canvasSide) {
    if (side <= 0 || side > maxSide) return {};
    std::vector<std::uint8_t> blank(static_cast<std::size_t>(side) * static_cast<std::size_t>(side), 0);
    if (paths.empty() || !(canvasSide > 0) || !std::isfinite(canvasSide)) return blank;
    std::vector<std::uint8_t> pixels =
        fillEvenOdd(paths, side, side, static_cast<double>(side) / canvasSide, CAIRO_ANTIALIAS_NONE);
    return pixels.empty() ? blank : pixels;
}

std::vector<std::uint8_t> coverageEvenOdd(const PlatformPath& path, int width, int height) {
    return fillEvenOdd({path}, width, height, 1.0, CAIRO_ANTIALIAS_DEFAULT);
}

}  // namespace icon_geometry
