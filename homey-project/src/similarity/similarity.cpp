#include "homey_project/similarity.hpp"

#include <vector>

#include "bytes.hpp"
#include "icon_geometry/icon_geometry_error.hpp"
#include "icon_geometry/svg_document.hpp"
#include "image_io/image.hpp"

namespace homey_project::Similarity {
namespace {

// The overlap, in units of 1/17 of a source column (or 1/16 of a source row),
// of source cell `s` of `n` with each target cell of `m`: source cell s spans
// [s·m, s·m + m) and target cell t spans [t·n, t·n + n), so every overlap is an
// integer and the area average is exact.
struct Spread {
    int first = 0;  // the first target cell met
    std::vector<std::uint64_t> weights;
};

std::vector<Spread> spreads(int n, int m) {
    std::vector<Spread> result(static_cast<std::size_t>(n));
    for (int s = 0; s < n; ++s) {
        const std::uint64_t lo = static_cast<std::uint64_t>(s) * m;
        const std::uint64_t hi = lo + m;
        Spread& spread = result[static_cast<std::size_t>(s)];
        spread.first = static_cast<int>(lo / n);
        for (int t = spread.first; t < m; ++t) {
            const std::uint64_t tlo = static_cast<std::uint64_t>(t) * n;
            const std::uint64_t thi = tlo + n;
            if (tlo >= hi) break;
            spread.weights.push_back(std::min(hi, thi) - std::max(lo, tlo));
        }
    }
    return result;
}

}  // namespace

std::optional<icon_geometry::InkMask> inkMask(std::string_view svg) {
    try {
        const icon_geometry::SVGDocument document = icon_geometry::SVGDocument::parse(asBytes(svg));
        const std::vector<icon_geometry::BezierPath> paths = document.drawablePaths();
        if (paths.empty()) return std::nullopt;
        return icon_geometry::InkMask(paths, maskSide, canvasSide);
    } catch (const icon_geometry::IconGeometryError&) {
        return std::nullopt;
    }
}

std::optional<double> iconOverlap(std::string_view svgA, std::string_view svgB) {
    const std::optional<icon_geometry::InkMask> a = inkMask(svgA);
    if (!a) return std::nullopt;
    const std::optional<icon_geometry::InkMask> b = inkMask(svgB);
    if (!b) return std::nullopt;
    return icon_geometry::inkOverlap(*a, *b);
}

std::optional<DifferenceHash> differenceHash(std::string_view imageBytes) {
    try {
        image_io::RowReader reader(asBytes(imageBytes), image_io::AlphaMode::premultiplied);
        const int width = reader.width();
        const int height = reader.height();
        if (width <= 0 || height <= 0) return std::nullopt;
        const std::vector<Spread> columns = spreads(width, hashWidth);
        const std::vector<Spread> rows = spreads(height, hashHeight);

        std::array<std::uint64_t, hashWidth * hashHeight> sums{};
        std::array<std::uint64_t, hashWidth> rowSums{};
        for (int y = 0; y < height; ++y) {
            const std::span<const std::uint8_t> row = reader.nextRow();
            if (row.size() < static_cast<std::size_t>(width) * 4) return std::nullopt;
            rowSums.fill(0);
            for (int x = 0; x < width; ++x) {
                const std::uint8_t* p = row.data() + static_cast<std::size_t>(x) * 4;
                // Premultiplied colour over white: c + (255 − alpha), never above 255
                // for well-formed data; clamp what is not.
                const unsigned alpha = p[3];
                const auto over = [alpha](unsigned c) { return std::min(255u, c + 255u - alpha); };
                const unsigned grey = (299 * over(p[0]) + 587 * over(p[1]) + 114 * over(p[2]) + 500) / 1000;
                const Spread& spread = columns[static_cast<std::size_t>(x)];
                for (std::size_t k = 0; k < spread.weights.size(); ++k)
                    rowSums[static_cast<std::size_t>(spread.first) + k] += grey * spread.weights[k];
            }
            const Spread& spread = rows[static_cast<std::size_t>(y)];
            for (std::size_t k = 0; k < spread.weights.size(); ++k) {
                const std::size_t target = (static_cast<std::size_t>(spread.first) + k) * hashWidth;
                for (std::size_t c = 0; c < hashWidth; ++c) sums[target + c] += rowSums[c] * spread.weights[k];
            }
        }

        // Each target cell received a total weight of width × height.
        const std::uint64_t area = static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height);
        std::array<std::uint8_t, hashWidth * hashHeight> grey{};
        for (std::size_t i = 0; i < sums.size(); ++i)
            grey[i] = static_cast<std::uint8_t>((2 * sums[i] + area) / (2 * area));

        DifferenceHash hash{};
        for (int r = 0; r < hashHeight; ++r)
            for (int c = 0; c < hashWidth - 1; ++c)
                hash[static_cast<std::size_t>(r * 16 + c)] =
                    grey[static_cast<std::size_t>(r * hashWidth + c)] <
                            grey[static_cast<std::size_t>(r * hashWidth + c + 1)]
                        ? 1
                        : 0;
        return hash;
    } catch (const image_io::ImageIOError&) {
        return std::nullopt;
    }
}

double hashDistance(const DifferenceHash& a, const DifferenceHash& b) {
    std::size_t differing = 0;
    for (std::size_t i = 0; i < a.size(); ++i) differing += a[i] != b[i] ? 1 : 0;
    return static_cast<double>(differing) / static_cast<double>(a.size());
}

std::optional<double> imageDistance(std::string_view imageA, std::string_view imageB) {
    const std::optional<DifferenceHash> a = differenceHash(imageA);
    if (!a) return std::nullopt;
    const std::optional<DifferenceHash> b = differenceHash(imageB);
    if (!b) return std::nullopt;
    return hashDistance(*a, *b);
}

}  // namespace homey_project::Similarity
