#include "raster/lab.hpp"

#include <algorithm>
#include <array>
#include <bit>
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

// The cube root rounded correctly to a float: two Halley steps in double from
// an exponent-thirding guess (checked against the rounded double cube root for
// every float from 0.008856 to 1.2). Three per pixel: several times quicker
// than the library's float cube root, which is off by one unit in a tenth of
// those values.
float cubeRoot(float t) {
    const double x = t;
    double y = std::bit_cast<double>(std::bit_cast<std::uint64_t>(x) / 3 + 0x2A9F7893782DA1CEull);
    for (int step = 0; step < 2; ++step) {
        const double y3 = y * y * y;
        y = y * (y3 + 2 * x) / (2 * y3 + x);
    }
    return static_cast<float>(y);
}

float f(float t) {
    return t > 0.008856f ? cubeRoot(t) : 7.787f * t + 0.13793103f;
}

// Floats as unsigned keys in the same order: negative values flipped whole,
// positive ones with the sign bit set.
std::uint32_t orderKey(float value) {
    const std::uint32_t bits = std::bit_cast<std::uint32_t>(value);
    return (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
}

float fromOrderKey(std::uint32_t key) {
    return std::bit_cast<float>((key & 0x80000000u) != 0 ? key & 0x7FFFFFFFu : ~key);
}

// The element a full sort would put at index count div 2 (the upper of the two
// middle values), found by two counting passes over 16-bit halves of the keys
// rather than by sorting: face masks hold hundreds of thousands of pixels.
float medianOf(const std::vector<float>& values) {
    if (values.empty()) return 0;
    std::size_t rank = values.size() / 2;
    std::vector<std::uint32_t> counts(1u << 16, 0);
    for (const float v : values) ++counts[orderKey(v) >> 16];
    std::uint32_t high = 0;
    while (rank >= counts[high]) rank -= counts[high++];
    std::fill(counts.begin(), counts.end(), 0);
    for (const float v : values) {
        const std::uint32_t key = orderKey(v);
        if ((key >> 16) == high) ++counts[key & 0xFFFFu];
    }
    std::uint32_t low = 0;
    while (rank >= counts[low]) rank -= counts[low++];
    return fromOrderKey((high << 16) | low);
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
    // Neighbouring pixels often share a colour (the white around a cut-out subject).
    std::array<std::uint8_t, 3> previous{255, 255, 255};
    Lab previousLab = Lab::fromRGB(255, 255, 255);
    for (std::size_t i = 0; i + 2 < rgb->size(); i += 3) {
        const std::array<std::uint8_t, 3> colour{(*rgb)[i], (*rgb)[i + 1], (*rgb)[i + 2]};
        if (colour != previous) {
            previous = colour;
            previousLab = Lab::fromRGB(colour[0], colour[1], colour[2]);
        }
        result.pixels.push_back(previousLab);
    }
    return result;
}

Lab medianLab(const std::vector<bool>& mask, const std::vector<Lab>& pixels) {
    if (mask.size() < pixels.size()) return {};
    const std::size_t masked = static_cast<std::size_t>(
        std::count(mask.begin(), mask.begin() + static_cast<std::ptrdiff_t>(pixels.size()), true));
    std::vector<float> l;
    std::vector<float> a;
    std::vector<float> b;
    l.reserve(masked);
    a.reserve(masked);
    b.reserve(masked);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        if (!mask[i]) continue;
        l.push_back(pixels[i].l);
        a.push_back(pixels[i].a);
        b.push_back(pixels[i].b);
    }
    return {medianOf(l), medianOf(a), medianOf(b)};
}

namespace {

// One row of the summed-area tables of l, a, b and the masked count, moved down
// one row at a time: entry x + 1 of row y + 1 is the masked sum of row y up to
// column x plus entry x + 1 of row y, exactly as the whole tables would hold it.
// Two cursors (the window's top and bottom rows) replace tables of
// (width + 1) × (height + 1) doubles, which cost more to fault in than to use.
struct SummedRow {
    int row = 0;
    std::vector<double> l, a, b, count;

    explicit SummedRow(std::size_t width) : l(width + 1, 0), a(width + 1, 0), b(width + 1, 0), count(width + 1, 0) {}

    void advanceTo(int target, const std::vector<bool>& mask, const std::vector<Lab>& pixels) {
        const std::size_t width = l.size() - 1;
        for (; row < target; ++row) {
            double rl = 0, ra = 0, rb = 0, rc = 0;
            const std::size_t first = static_cast<std::size_t>(row) * width;
            for (std::size_t x = 0; x < width; ++x) {
                if (mask[first + x]) {
                    const Lab& p = pixels[first + x];
                    rl += p.l;
                    ra += p.a;
                    rb += p.b;
                    rc += 1;
                }
                l[x + 1] = rl + l[x + 1];
                a[x + 1] = ra + a[x + 1];
                b[x + 1] = rb + b[x + 1];
                count[x + 1] = rc + count[x + 1];
            }
        }
    }
};

}  // namespace

std::vector<Lab> localBackground(const std::vector<bool>& mask, int radius, int width, int height,
                                 const std::vector<Lab>& pixels) {
    if (!grid::holds(pixels.size(), width, height) || mask.size() < pixels.size()) return {};
    const Lab median = medianLab(mask, pixels);
    std::vector<Lab> result(pixels.size(), median);
    const std::size_t w = static_cast<std::size_t>(width);
    SummedRow top(w);
    SummedRow bottom(w);
    // A negative radius is an empty window; a huge one is the whole grid.
    const std::int64_t r = std::min<std::int64_t>(radius, std::int64_t{width} + height);
    for (std::int64_t y = 0; y < height; ++y) {
        const int y0 = static_cast<int>(std::max<std::int64_t>(y - r, 0));
        const int y1 = static_cast<int>(std::min<std::int64_t>(y + r + 1, height));
        if (y1 <= y0) continue;
        top.advanceTo(y0, mask, pixels);
        bottom.advanceTo(y1, mask, pixels);
        for (std::int64_t x = 0; x < width; ++x) {
            const std::size_t x0 = static_cast<std::size_t>(std::max<std::int64_t>(x - r, 0));
            const std::size_t x1 = static_cast<std::size_t>(std::min<std::int64_t>(x + r + 1, width));
            if (x1 <= x0) continue;
            // T(x1, y1) − T(x0, y1) − T(x1, y0) + T(x0, y0), in that order.
            const double count = bottom.count[x1] - bottom.count[x0] - top.count[x1] + top.count[x0];
            if (!(count > 0)) continue;
            result[static_cast<std::size_t>(y) * w + static_cast<std::size_t>(x)] = {
                static_cast<float>((bottom.l[x1] - bottom.l[x0] - top.l[x1] + top.l[x0]) / count),
                static_cast<float>((bottom.a[x1] - bottom.a[x0] - top.a[x1] + top.a[x0]) / count),
                static_cast<float>((bottom.b[x1] - bottom.b[x0] - top.b[x1] + top.b[x0]) / count)};
        }
    }
    return result;
}

}  // namespace photo_analysis
