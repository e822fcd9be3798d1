#include "platform/cairo_raster.hpp"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>

namespace photo_analysis::platform {

namespace {

// cairo keeps device coordinates in 24.8 fixed point; beyond about ±8e6 they wrap.
constexpr double deviceLimit = 4e6;
constexpr std::int64_t maximumCells = std::int64_t{16} << 20;

struct SurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct ContextDeleter {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};

bool finite(icon_geometry::Vector2 p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

bool finite(const icon_geometry::Subpath& subpath) {
    if (!finite(subpath.start)) return false;
    for (const icon_geometry::PathSegment& segment : subpath.segments) {
        if (const auto* cubic = segment.asCubic()) {
            if (!finite(cubic->control1) || !finite(cubic->control2) || !finite(cubic->to)) return false;
        } else if (!finite(segment.end())) {
            return false;
        }
    }
    return true;
}

void addPath(cairo_t* context, const icon_geometry::BezierPath& path, icon_geometry::Vector2 offset, double scale) {
    const auto device = [&](icon_geometry::Vector2 p) {
        return icon_geometry::Vector2{std::clamp(offset.x + scale * p.x, -deviceLimit, deviceLimit),
                                      std::clamp(offset.y + scale * p.y, -deviceLimit, deviceLimit)};
    };
    for (const icon_geometry::Subpath& subpath : path.subpaths) {
        if (subpath.segments.empty() || !finite(subpath)) continue;
        const icon_geometry::Vector2 start = device(subpath.start);
        cairo_move_to(context, start.x, start.y);
        for (const icon_geometry::PathSegment& segment : subpath.segments) {
            if (const auto* cubic = segment.asCubic()) {
                const auto c1 = device(cubic->control1);
                const auto c2 = device(cubic->control2);
                const auto to = device(cubic->to);
                cairo_curve_to(context, c1.x, c1.y, c2.x, c2.y, to.x, to.y);
            } else {
                const auto to = device(segment.end());
                cairo_line_to(context, to.x, to.y);
            }
        }
        if (subpath.isClosed) cairo_close_path(context);
    }
}

}  // namespace

std::vector<std::uint8_t> coverage(const std::vector<icon_geometry::BezierPath>& paths, int width, int height,
                                   icon_geometry::Vector2 offset, double scale, Paint paint) {
    if (width <= 0 || height <= 0 || std::int64_t{width} * height > maximumCells) return {};
    std::vector<std::uint8_t> cells(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
    if (!finite(offset) || !std::isfinite(scale)) return cells;

    const std::unique_ptr<cairo_surface_t, SurfaceDeleter> surface(
        cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return {};
    const std::unique_ptr<cairo_t, ContextDeleter> context(cairo_create(surface.get()));
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) return {};

    cairo_set_source_rgba(context.get(), 0, 0, 0, 1);
    for (const icon_geometry::BezierPath& path : paths) addPath(context.get(), path, offset, scale);
    if (paint.mode == Paint::Mode::fillEvenOdd) {
        cairo_set_fill_rule(context.get(), CAIRO_FILL_RULE_EVEN_ODD);
        cairo_fill(context.get());
    } else {
        cairo_set_line_width(context.get(), paint.lineWidth);
        cairo_stroke(context.get());
    }
    cairo_surface_flush(surface.get());
    if (cairo_status(context.get()) != CAIRO_STATUS_SUCCESS) return {};

    const unsigned char* data = cairo_image_surface_get_data(surface.get());
    if (data == nullptr) return {};
    const int stride = cairo_image_surface_get_stride(surface.get());
    for (int row = 0; row < height; ++row) {
        std::memcpy(cells.data() + static_cast<std::size_t>(row) * static_cast<std::size_t>(width),
                    data + static_cast<std::ptrdiff_t>(row) * stride, static_cast<std::size_t>(width));
    }
    return cells;
}

}  // namespace photo_analysis::platform
