#include "photo_analysis/lab.hpp"

#include <algorithm>
#include <array>
#include <cmath>

#include "platform/over_white.hpp"
#include "raster/grid.hpp"

namespace photo_analysis {

namespace {

float linearised(int component) {
    const float c = static_cast<float>(component) / 255.0f;
    return c <= 0.04045f ? c / 12.92f : std::pow((c + 0.055f) / 1.055f, 2.4f);
}

// The linearisation of every 8-bit value, computed once: the same floats as
// computing them per pixel.
const std::array<float, 256>& linearTable() {
    static const std::array<float, 256> table = [] {
        std::array<float, 256> t{};
        for (int i = 0; i < 256; ++i) t[i] = linearised(i);
        return t;
    }();
    return table;
}

float f(float t) {
    return t > 0.008856f ? std::cbrt(t) : 7.787f * t + 0.13793103f;
}

float medianOf(std::vector<float>& values) {
    if (values.empty()) return 0;
    const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
    std::nth_element(values.begin(), middle, values.end());
    return *middle;
}

}  // namespace

Lab Lab::fromRGB(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    const std::array<float, 256>& table = linearTable();
    const float r = table[red];
    const float g = table[green];
    const float b = table[blue];
    const float x = (0.4124f * r + 0.3576f * g + 0.1805f * b) / 0.95047f;
    const float y = 0.2126f * r + 0.7152f * g + 0.0722f * b;
    const float z = (0.0193f * r + 0.1192f * g + 0.9505f * b) / 1.08883f;
    const float fy = f(y);
    return {116.0f * fy - 16.0f, 500.0f * (f(x) - fy), 200.0f * (fy - f(z))};
}

float colourDifference(const Lab& p, const Lab& q) {
    const float dl = p.l - q.l;
    const float da = p.a - q.a;
    const float db = p.b - q.b;
    return std::sqrt(dl * dl + da * da + db * db);
}

std::optional<LabImage> labImage(const RgbaView& image, int workingHeight) {
    if (image.width <= 0 || image.height <= 0) return std::nullopt;
    if (image.pixels.size() < grid::cellCount(image.width, image.height) * 4) return std::nullopt;
    const double rows = std::max(workingHeight, 16);
    const double columns = std::max(std::round(static_cast<double>(image.width) / image.height * rows), 16.0);
    if (rows > maximumLabSide || columns > maximumLabSide || rows * columns > static_cast<double>(maximumLabPixels)) {
        return std::nullopt;
    }
    LabImage result;
    result.width = static_cast<int>(columns);
    result.height = static_cast<int>(rows);
    const std::optional<std::vector<std::uint8_t>> rgb = platform::overWhite(image, result.width, result.height);
    if (!rgb) return std::nullopt;
    result.pixels.reserve(grid::cellCount(result.width, result.height));
    for (std::size_t i = 0; i + 2 < rgb->size(); i += 3) {
        result.pixels.push_back(Lab::fromRGB((*rgb)[i], (*rgb)[i + 1], (*rgb)[i + 2]));
    }
    return result;
}

Lab medianLab(const std::vector<bool>& mask, const std::vector<Lab>& pixels) {
    if (mask.size() < pixels.size()) return {};
    std::vector<float> l;
    std::vector<float> a;
    std::vector<float> b;
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (!mask[i]) continue;
        l.push_back(pixels[i].l);
        a.push_back(pixels[i].a);
        b.push_back(pixels[i].b);
    }
    return {medianOf(l), medianOf(a), medianOf(b)};
}

std::vector<Lab> localBackground(const std::vector<bool>& mask, int radius, int width, int height,
                                 const std::vector<Lab>& pixels) {
    if (!grid::holds(pixels.size(), width, height) || mask.size() < pixels.size()) return {};
    const Lab median = medianLab(mask, pixels);
    std::vector<Lab> result(pixels.size(), median);
    const std::size_t tw = static_cast<std::size_t>(width) + 1;
    const std::size_t tableSize = tw * (static_cast<std::size_t>(height) + 1);
    std::vector<double> sl(tableSize, 0), sa(tableSize, 0), sb(tableSize, 0), sc(tableSize, 0);
    const std::size_t w = static_cast<std::size_t>(width);
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
        double rl = 0, ra = 0, rb = 0, rc = 0;
        for (std::size_t x = 0; x < w; ++x) {
            const std::size_t p = y * w + x;
            if (mask[p]) {
                rl += pixels[p].l;
                ra += pixels[p].a;
                rb += pixels[p].b;
                rc += 1;
            }
            const std::size_t t = (y + 1) * tw + x + 1;
            sl[t] = rl + sl[t - tw];
            sa[t] = ra + sa[t - tw];
            sb[t] = rb + sb[t - tw];
            sc[t] = rc + sc[t - tw];
        }
    }
    // A negative radius is an empty window; a huge one is the whole grid.
    const std::int64_t r = std::min<std::int64_t>(radius, std::int64_t{width} + height);
    for (std::int64_t y = 0; y < height; ++y) {
        const std::size_t y0 = static_cast<std::size_t>(std::max<std::int64_t>(y - r, 0));
        const std::size_t y1 = static_cast<std::size_t>(std::min<std::int64_t>(y + r + 1, height));
        for (std::int64_t x = 0; x < width; ++x) {
            const std::size_t x0 = static_cast<std::size_t>(std::max<std::int64_t>(x - r, 0));
            const std::size_t x1 = static_cast<std::size_t>(std::min<std::int64_t>(x + r + 1, width));
            if (x1 <= x0 || y1 <= y0) continue;
            const std::size_t a = y0 * tw + x0, b = y0 * tw + x1, c = y1 * tw + x0, d = y1 * tw + x1;
            const double count = sc[d] - sc[c] - sc[b] + sc[a];
            if (!(count > 0)) continue;
            result[static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)] = {
                static_cast<float>((sl[d] - sl[c] - sl[b] + sl[a]) / count),
                static_cast<float>((sa[d] - sa[c] - sa[b] + sa[a]) / count),
                static_cast<float>((sb[d] - sb[c] - sb[b] + sb[a]) / count)};
        }
    }
    return result;
}

}  // namespace photo_analysis
