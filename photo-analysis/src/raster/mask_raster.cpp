#include "platform/cairo_raster.hpp"
#include "raster/lab.hpp"

namespace photo_analysis {

std::vector<bool> rasterizeMask(const icon_geometry::BezierPath& path, int width, int height) {
    const std::vector<std::uint8_t> cells =
        platform::coverage({path}, width, height, {width / 2.0, height / 2.0}, static_cast<double>(height), {});
    std::vector<bool> mask(cells.size(), false);
    for (std::size_t i = 0; i < cells.size(); ++i) mask[i] = cells[i] >= 128;
    return mask;
}

}  // namespace photo_analysis
