#include "icon_geometry/ink_mask.hpp"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <unordered_map>

#include "icon_geometry/raster.hpp"

namespace icon_geometry {

InkMask::InkMask(const std::vector<BezierPath>& paths, std::int64_t side, double canvasSide) {
    if (side < 0 || side > maximumSide) return;
    this->side = side;
    const auto cells = static_cast<std::size_t>(side * side);
    ink.assign(cells, false);
    if (!(canvasSide > 0) || !std::isfinite(canvasSide)) return;
    const std::vector<std::uint8_t> grey = rasterizeEvenOdd(paths, static_cast<int>(side), canvasSide);
    if (grey.size() != cells) return;
    for (std::size_t i = 0; i < cells; ++i) ink[i] = grey[i] >= 128;
}

double inkOverlap(const InkMask& a, const InkMask& b) {
    if (a.side != b.side) return 0;
    if (b.ink.empty()) return 1;
    std::int64_t both = 0;
    std::int64_t either = 0;
    for (std::size_t i = 0; i < b.ink.size(); ++i) {
        const bool inA = i < a.ink.size() && a.ink[i];
        both += inA && b.ink[i];
        either += inA || b.ink[i];
    }
    if (either == 0) return 1;
    return static_cast<double>(both) / static_cast<double>(either);
}

namespace {

// Stands for infinity in the transform: the float 999,999,995,904.
constexpr float farAway = 1e12f;

float squareOf(std::int64_t i) {
    return static_cast<float>(i * i);
}

// The one-dimensional squared distance transform of f over m positions by
// Felzenszwalb and Huttenlocher's algorithm: the lower envelope of the
// parabolas rooted at each position, in 32-bit arithmetic. v and z are scratch of at least m and m + 1 entries.
void transform1D(const float* f, float* out, std::int64_t m, std::int64_t* v, float* z) {
    if (m <= 0) return;
    constexpr float infinity = std::numeric_limits<float>::infinity();
    std::int64_t k = 0;
    v[0] = 0;
    z[0] = -infinity;
    z[1] = infinity;
    for (std::int64_t q = 1; q < m; ++q) {
        const float raised = f[q] + squareOf(q);
        float s = 0;
        while (true) {
            const std::int64_t vk = v[k];
            s = (raised - (f[vk] + squareOf(vk))) / static_cast<float>(2 * q - 2 * vk);
            if (s <= z[k]) {
                --k;  // z[0] is -infinity, so k stays at 0 or above
                continue;
            }
            break;
        }
        ++k;
        v[k] = q;
        z[k] = s;
        z[k + 1] = infinity;
    }
    k = 0;
    for (std::int64_t q = 0; q < m; ++q) {
        while (z[k + 1] < static_cast<float>(q)) ++k;
        out[q] = squareOf(q - v[k]) + f[v[k]];
    }
}

// A grid of width × height cells, read through a predicate so that callers
// need not build one.
template <class IsTrue>
struct Grid {
    IsTrue isTrue;
    std::int64_t width;
    std::int64_t height;
};
template <class IsTrue>
Grid(IsTrue, std::int64_t, std::int64_t) -> Grid<IsTrue>;

// The exact Euclidean distance transform (Felzenszwalb–Huttenlocher: lower
// envelopes of parabolas), columns first, then rows, in place in `values`.
// Columns are taken a cache line's worth at a time so that the pass over them
// reads memory in order.
template <class IsTrue>
void envelopeSquaredDistances(const Grid<IsTrue>& grid, float* values) {
    const std::int64_t width = grid.width, height = grid.height;
    for (std::int64_t i = 0; i < width * height; ++i) values[i] = grid.isTrue(i) ? 0.0f : farAway;
    constexpr std::int64_t block = 16;
    const std::int64_t longest = std::max(width, height);
    std::vector<float> columns(static_cast<std::size_t>(block * height));
    std::vector<float> out(static_cast<std::size_t>(longest));
    std::vector<float> z(static_cast<std::size_t>(longest) + 1);
    std::vector<std::int64_t> v(static_cast<std::size_t>(longest));
    for (std::int64_t x0 = 0; x0 < width; x0 += block) {
        const std::int64_t count = std::min(block, width - x0);
        for (std::int64_t y = 0; y < height; ++y)
            for (std::int64_t b = 0; b < count; ++b) columns[b * height + y] = values[y * width + x0 + b];
        for (std::int64_t b = 0; b < count; ++b) {
            float* column = columns.data() + b * height;
            transform1D(column, out.data(), height, v.data(), z.data());
            std::copy(out.begin(), out.begin() + height, column);
        }
        for (std::int64_t y = 0; y < height; ++y)
            for (std::int64_t b = 0; b < count; ++b) values[y * width + x0 + b] = columns[b * height + y];
    }
    for (std::int64_t y = 0; y < height; ++y) {
        float* row = values + y * width;
        std::copy(row, row + width, out.begin());
        transform1D(out.data(), row, width, v.data(), z.data());
    }
}

// The defined transform of a grid without any true cell. Every column starts
// alike and every row after the first pass is constant, so one column and one
// row per distinct value do the work of all of them.
void farSquaredDistances(std::int64_t width, std::int64_t height, float* values) {
    const std::int64_t longest = std::max(width, height);
    std::vector<float> z(static_cast<std::size_t>(longest) + 1);
    std::vector<std::int64_t> v(static_cast<std::size_t>(longest));
    const std::vector<float> far(static_cast<std::size_t>(longest), farAway);
    std::vector<float> column(static_cast<std::size_t>(height));
    transform1D(far.data(), column.data(), height, v.data(), z.data());
    std::unordered_map<std::uint32_t, std::vector<float>> rows;
    for (std::int64_t y = 0; y < height; ++y) {
        auto [it, added] = rows.try_emplace(std::bit_cast<std::uint32_t>(column[y]));
        if (added) {
            const std::vector<float> constant(static_cast<std::size_t>(width), column[y]);
            it->second.resize(static_cast<std::size_t>(width));
            transform1D(constant.data(), it->second.data(), width, v.data(), z.data());
        }
        std::copy(it->second.begin(), it->second.end(), values + y * width);
    }
}

// Grids up to this side keep every value of the defined transform an integer
// below 2^24, where its 32-bit arithmetic is exact: any exact transform gives
// the same numbers.
constexpr std::int64_t exactSide = 2048;

// The exact squared transform in integers and without division, in place in
// `values`: the distance along each column by two sweeps over the rows (kept in
// `values` as small whole floats), then the lower envelope of the parabolas of
// each row, crossings compared by cross-multiplication; each finished row
// replaces the column distances it was made from. Needs at least one true cell.
template <class IsTrue>
void exactSquaredDistances(const Grid<IsTrue>& grid, float* values) {
    const std::int64_t width = grid.width, height = grid.height;
    constexpr float none = 536870912.0f;  // 2^29: no true cell in the column
    for (std::int64_t y = 0; y < height; ++y) {
        float* row = values + y * width;
        const float* above = y > 0 ? row - width : nullptr;
        for (std::int64_t x = 0; x < width; ++x)
            row[x] = grid.isTrue(y * width + x) ? 0.0f : (above ? std::min(above[x] + 1.0f, none) : none);
    }
    for (std::int64_t y = height - 2; y >= 0; --y) {
        const float* below = values + (y + 1) * width;
        float* row = values + y * width;
        for (std::int64_t x = 0; x < width; ++x) row[x] = std::min(row[x], below[x] + 1.0f);
    }

    std::vector<std::int64_t> apex(static_cast<std::size_t>(width));    // column of each envelope parabola
    std::vector<std::int64_t> lifted(static_cast<std::size_t>(width));  // its squared column distance
    for (std::int64_t y = 0; y < height; ++y) {
        float* row = values + y * width;
        // Parabola i is (q − i)² + h(i); the crossing of parabolas a < b lies at
        // ((h(b) + b²) − (h(a) + a²)) / (2(b − a)).
        std::int64_t k = -1;
        for (std::int64_t i = 0; i < width; ++i) {
            if (row[i] >= none) continue;
            const auto g = static_cast<std::int64_t>(row[i]);
            const std::int64_t hi = g * g;
            const std::int64_t ai = hi + i * i;
            while (k >= 1) {
                const std::int64_t v = apex[k], u = apex[k - 1];
                const std::int64_t av = lifted[k] + v * v, au = lifted[k - 1] + u * u;
                // Pop while the crossing of v and i is not after that of u and v.
                if ((ai - av) * (v - u) <= (av - au) * (i - v))
                    --k;
                else
                    break;
            }
            ++k;
            apex[k] = i;
            lifted[k] = hi;
        }
        const std::int64_t last = k;
        k = 0;
        for (std::int64_t q = 0; q < width; ++q) {
            while (k < last) {
                const std::int64_t a = apex[k], b = apex[k + 1];
                if ((lifted[k + 1] + b * b) - (lifted[k] + a * a) < 2 * q * (b - a))
                    ++k;
                else
                    break;
            }
            row[q] = static_cast<float>((q - apex[k]) * (q - apex[k]) + lifted[k]);
        }
    }
}

// Squared distances to the nearest true cell, as the defined transform gives
// them, written into `values` (width × height floats).
template <class IsTrue>
void squaredDistances(const Grid<IsTrue>& grid, float* values) {
    bool anyTrue = false;
    for (std::int64_t i = 0; i < grid.width * grid.height && !anyTrue; ++i) anyTrue = grid.isTrue(i);
    if (!anyTrue)
        farSquaredDistances(grid.width, grid.height, values);
    else if (grid.width <= exactSide && grid.height <= exactSide)
        exactSquaredDistances(grid, values);
    else
        envelopeSquaredDistances(grid, values);
}

// The painted half-widths of a ridge disc of radius d, row by row: for a row
// offset j, the columns within u(j) = ⌊√(d² − j²)⌋ of the centre, in float
// arithmetic. Tables are made per distinct radius, up to the grid's side.
class DiscSpans {
public:
    explicit DiscSpans(std::int64_t side) : side_(side) {}

    // ⌊d⌋ for the non-negative, finite radii met here.
    static std::int64_t reach(float d) { return static_cast<std::int64_t>(d); }

    // Valid until the next table is made.
    const std::int32_t* of(float d) {
        const std::size_t at = offsetOf(d);  // may grow the tables: before taking their address
        return spans_.data() + at;
    }

    // Whether the disc of radius d, moved by (ax, ay) with ax, ay in {0, 1}, lies
    // inside the disc of radius outer as painted. Discs are symmetric, so the
    // signs of the offset do not matter.
    bool nests(float d, float outer, int ax, int ay) {
        // Few distinct pairs recur over and over: remember answers in a small
        // direct-mapped table.
        const std::uint64_t key =
            std::uint64_t{std::bit_cast<std::uint32_t>(d)} << 32 | std::bit_cast<std::uint32_t>(outer);
        const auto offset = static_cast<std::uint8_t>(ax * 2 + ay);
        Memo& memo = memos_[((key + offset) * 0x9e3779b97f4a7c15ULL) >> (64 - memoBits)];
        if (memo.offset == offset && memo.key == key) return memo.nests;
        const std::int64_t reachInner = reach(d);
        const std::int64_t reachOuter = reach(outer);
        if (reachInner > side_ || reachOuter > side_) return false;
        const std::size_t innerAt = offsetOf(d);
        const std::size_t aroundAt = offsetOf(outer);
        const std::int32_t* inner = spans_.data() + innerAt;
        const std::int32_t* around = spans_.data() + aroundAt;
        bool result = true;
        for (std::int64_t dy = -reachInner; dy <= reachInner && result; ++dy) {
            const std::int64_t j = dy + ay < 0 ? -(dy + ay) : dy + ay;
            result = j <= reachOuter && inner[dy < 0 ? -dy : dy] + ax <= around[j];
        }
        memo = {key, offset, result};
        return result;
    }

private:
    std::size_t offsetOf(float d) {
        const auto [it, added] = offsets_.try_emplace(std::bit_cast<std::uint32_t>(d), spans_.size());
        if (added) {
            const std::int64_t rows = std::min(reach(d), side_) + 1;
            for (std::int64_t j = 0; j < rows; ++j) {
                const float left = d * d - squareOf(j);
                spans_.push_back(left > 0 ? static_cast<std::int32_t>(std::sqrt(left)) : 0);
            }
        }
        return it->second;
    }

    std::int64_t side_;
    std::unordered_map<std::uint32_t, std::size_t> offsets_;
    std::vector<std::int32_t> spans_;
    struct Memo {
        std::uint64_t key = 0;
        std::uint8_t offset = 0;  // 0 while empty: real offsets are 1 to 3
        bool nests = false;
    };
    static constexpr int memoBits = 12;
    std::vector<Memo> memos_ = std::vector<Memo>(std::size_t{1} << memoBits);
};

// Next unpainted column at or after x in one row, skipping painted runs.
std::uint16_t nextUnpainted(std::uint16_t* row, std::uint16_t x) {
    while (row[x] != x) {
        row[x] = row[row[x]];
        x = row[x];
    }
    return x;
}

}  // namespace

namespace DistanceTransform {

std::vector<float> distances(const std::vector<bool>& grid, std::int64_t width, std::int64_t height) {
    if (width < 0 || height < 0 || (width > 0 && height > std::numeric_limits<std::int64_t>::max() / width) ||
        grid.size() != static_cast<std::size_t>(width * height))
        return {};
    std::vector<float> values(grid.size());
    squaredDistances(Grid{[&](std::int64_t i) { return bool(grid[static_cast<std::size_t>(i)]); }, width, height},
                     values.data());
    for (float& value : values) value = std::sqrt(value);
    return values;
}

}  // namespace DistanceTransform

namespace IconMetrics {

// Memory is the cost that shows here (first touches of fresh pages), so the
// work keeps to the depths, the widths, one bit per cell and a 16-bit painting
// index.
std::vector<float> strokeWidths(std::int64_t n, const std::vector<bool>& ink, float cap) {
    if (n < 0 || n > InkMask::maximumSide || ink.size() != static_cast<std::size_t>(n * n))
        return std::vector<float>(ink.size(), 0.0f);
    const auto cells = static_cast<std::size_t>(n * n);
    const auto inked = [&](std::int64_t i) { return bool(ink[static_cast<std::size_t>(i)]); };

    // D: distance of every cell to the nearest cell without ink.
    std::vector<float> depth(cells);
    squaredDistances(Grid{[&](std::int64_t i) { return !inked(i); }, n, n}, depth.data());
    for (float& value : depth) value = std::sqrt(value);

    // Ink within half the cap of a deep cell is as wide as the cap.
    const float half = cap * 0.5f;
    std::vector<float> widths(cells);
    squaredDistances(Grid{[&](std::int64_t i) { return depth[static_cast<std::size_t>(i)] >= half; }, n, n},
                     widths.data());
    for (std::size_t i = 0; i < cells; ++i) widths[i] = ink[i] && std::sqrt(widths[i]) <= half ? cap : 0.0f;

    // Ridge cells: inked, shallower than half, and no shallower than both
    // neighbours along a row or along a column.
    std::vector<bool> ridge(cells, false);
    for (std::int64_t y = 1; y + 1 < n; ++y) {
        for (std::int64_t x = 1; x + 1 < n; ++x) {
            const std::int64_t i = y * n + x;
            const float d = depth[i];
            if (!(d < half) || !inked(i)) continue;
            ridge[i] = (depth[i - 1] <= d && depth[i + 1] <= d) || (depth[i - n] <= d && depth[i + n] <= d);
        }
    }

    // A ridge disc that lies inside the disc of a deeper neighbouring ridge cell
    // paints nothing that the deeper one does not outbid: leave it out. What
    // remains follows the medial axis, so the work grows with the ink, not with
    // the ink times the square of the stroke width.
    DiscSpans spans(n);
    std::vector<std::pair<float, std::int64_t>> painters;
    for (std::int64_t y = 1; y + 1 < n; ++y) {
        for (std::int64_t x = 1; x + 1 < n; ++x) {
            const std::int64_t i = y * n + x;
            if (!ridge[i]) continue;
            const float d = depth[i];
            bool nested = false;
            for (int oy = -1; oy <= 1 && !nested; ++oy) {
                for (int ox = -1; ox <= 1 && !nested; ++ox) {
                    const std::int64_t j = i - oy * n - ox;  // this cell sits at (ox, oy) from neighbour j
                    if ((ox == 0 && oy == 0) || !ridge[j] || !(depth[j] > d)) continue;
                    nested = spans.nests(d, depth[j], ox < 0 ? -ox : ox, oy < 0 ? -oy : oy);
                }
            }
            if (!nested) painters.emplace_back(d, i);
        }
    }
    std::vector<float>().swap(depth);

    // Widest discs first, equal radii in cell order so that neighbouring discs
    // paint the same rows one after the other. Each cell takes the first width
    // painted on it, which is the largest; cells already at the cap are final.
    std::sort(painters.begin(), painters.end(), [](const auto& a, const auto& b) {
        return a.first > b.first || (a.first == b.first && a.second < b.second);
    });
    const std::int64_t stride = n + 1;
    std::vector<std::uint16_t> unpainted(static_cast<std::size_t>(n * stride));
    for (std::int64_t y = 0; y < n; ++y) {
        std::uint16_t* row = unpainted.data() + y * stride;
        for (std::int64_t x = 0; x < n; ++x)
            row[x] = static_cast<std::uint16_t>(widths[y * n + x] == cap && inked(y * n + x) ? x + 1 : x);
        row[n] = static_cast<std::uint16_t>(n);
    }
    for (const auto& [d, i] : painters) {
        const std::int64_t y = i / n;
        const std::int64_t x = i % n;
        const std::int64_t reach = DiscSpans::reach(d);
        const float width = 2 * d - 1;
        const std::int32_t* halfWidths = spans.of(d);
        const std::int64_t top = std::max<std::int64_t>(0, y - reach);
        const std::int64_t bottom = std::min(n - 1, y + reach);
        for (std::int64_t row = top; row <= bottom; ++row) {
            const std::int64_t u = halfWidths[row < y ? y - row : row - y];
            const auto first = static_cast<std::uint16_t>(std::max<std::int64_t>(0, x - u));
            const auto last = static_cast<std::uint16_t>(std::min(x + u, n - 1));
            std::uint16_t* next = unpainted.data() + row * stride;
            float* target = widths.data() + row * n;
            for (std::uint16_t c = nextUnpainted(next, first); c <= last;
                 c = nextUnpainted(next, static_cast<std::uint16_t>(c + 1))) {
                target[c] = width;
                next[c] = static_cast<std::uint16_t>(c + 1);
            }
        }
    }
    return widths;
}

std::optional<double> thinnestStroke(const std::vector<BezierPath>& paths) {
    const InkMask mask(paths, 960, Canvas::side);
    std::vector<float> widths = strokeWidths(mask.side, mask.ink, 120.0f);
    // The inked cells' widths, gathered in place at the front.
    std::size_t count = 0;
    for (std::size_t i = 0; i < widths.size(); ++i)
        if (mask.ink[i]) widths[count++] = widths[i];
    if (count == 0) return std::nullopt;
    const auto index = static_cast<std::size_t>(static_cast<double>(count - 1) * 0.02);
    const auto nth = widths.begin() + static_cast<std::ptrdiff_t>(index);
    std::nth_element(widths.begin(), nth, widths.begin() + static_cast<std::ptrdiff_t>(count));
    return static_cast<double>(*nth);
}

EdgeContact edgeContact(const std::vector<BezierPath>& paths, double tolerance) {
    Rect bounds = Rect::null();
    for (const BezierPath& path : paths) bounds = bounds.united(path.bounds());
    if (bounds.isNull()) return {};
    return {bounds.minX() <= tolerance, bounds.minY() <= tolerance, bounds.maxX() >= Canvas::side - tolerance,
            bounds.maxY() >= Canvas::side - tolerance};
}

bool spansCanvas(const std::vector<BezierPath>& paths, double tolerance) {
    const EdgeContact contact = edgeContact(paths, tolerance);
    return (contact.left && contact.right) || (contact.top && contact.bottom);
}

}  // namespace IconMetrics
}  // namespace icon_geometry
