#include "detection/ribs.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "raster/grid.hpp"

namespace photo_analysis {

namespace Ribs {

namespace {

// trunc(fraction × length) for a length already known to be finite and
// bounded by the grid.
int truncated(double value) {
    return static_cast<int>(std::trunc(value));
}

}  // namespace

std::optional<Band> find(const std::vector<Lab>& pixels, const std::vector<bool>& mask, int width, int height,
                         bool across, double scale) {
    if (!grid::holds(pixels.size(), width, height) || mask.size() < pixels.size()) return std::nullopt;
    if (!std::isfinite(scale) || !(scale > 0)) return std::nullopt;
    const int n = across ? height : width;
    const int c = across ? width : height;
    const auto at = [&](int i, int j) {
        return across ? static_cast<std::size_t>(i) * static_cast<std::size_t>(width) + static_cast<std::size_t>(j)
                      : static_cast<std::size_t>(j) * static_cast<std::size_t>(width) + static_cast<std::size_t>(i);
    };
    // A scale far beyond the grid only widens windows past its ends.
    const double s = std::min(scale, 1e8);

    const double nan = std::numeric_limits<double>::quiet_NaN();
    std::vector<double> profile(static_cast<std::size_t>(n), nan);
    const int a = truncated(0.15 * c);
    const int b = truncated(0.85 * c);
    if (a != b) {
        for (int i = 0; i < n; ++i) {
            double sum = 0;
            int count = 0;
            for (int j = a; j < b; ++j) {
                const std::size_t p = at(i, j);
                if (!mask[p]) continue;
                sum += pixels[p].l;
                ++count;
            }
            if (count > 0.3 * c) profile[i] = sum / count;
        }
    }

    const int d = std::max(3, truncated(std::min(0.05 * s, 1e8)));
    std::vector<double> detrended(static_cast<std::size_t>(n), 0);
    for (int i = 0; i < n; ++i) {
        if (std::isnan(profile[i])) continue;
        double sum = 0;
        int count = 0;
        for (int k = std::max(0, i - d); k <= std::min(i + d, n - 1); ++k) {
            if (std::isnan(profile[k])) continue;
            sum += profile[k];
            ++count;
        }
        detrended[i] = profile[i] - sum / count;
    }

    const int e = std::max(4, truncated(std::min(0.04 * s, 1e8)));
    std::vector<bool> ribbed(static_cast<std::size_t>(n), false);
    for (int i = 0; i < n; ++i) {
        if (std::isnan(profile[i])) continue;
        const int from = std::max(0, i - e);
        const int to = std::min(i + e, n - 1);
        double squares = 0;
        int crossings = 0;
        for (int k = from; k <= to; ++k) {
            squares += detrended[k] * detrended[k];
            if (k > from && ((detrended[k - 1] < 0) != (detrended[k] < 0))) ++crossings;
        }
        const double rms = std::sqrt(squares / (to - from + 1));
        ribbed[i] = rms > 1.2 && crossings > 5;
    }

    int start = 0;
    int length = 0;
    for (int i = 0; i < n;) {
        if (!ribbed[i]) {
            ++i;
            continue;
        }
        int j = i;
        while (j < n && ribbed[j]) ++j;
        if (j - i > length) {
            start = i;
            length = j - i;
        }
        i = j;
    }
    if (length == 0 || length < 0.12 * s) return std::nullopt;

    int lo = c;
    int hi = 0;
    for (int i = start; i < start + length; ++i) {
        for (int j = 0; j < c; ++j) {
            if (!mask[at(i, j)]) continue;
            lo = std::min(lo, j);
            hi = std::max(hi, j);
        }
    }
    if (lo >= hi) return std::nullopt;

    const int inset = truncated((hi - lo) * 0.04);
    const int u = lo + inset;
    const int v = hi - inset;
    const int count = static_cast<int>(std::clamp(std::round(length / (0.07 * s)), 3.0, 7.0));

    Band band;
    const PixelRange along{start, start + length};
    const PixelRange crossing{u, std::max(v, u + 1)};
    band.rows = across ? along : crossing;
    band.columns = across ? crossing : along;
    for (int k = 0; k < count; ++k) {
        const double p = start + (k + 0.5) * length / count;
        icon_geometry::PathBuilder builder;
        if (across) {
            builder.moveTo({static_cast<double>(u), p});
            builder.lineTo({static_cast<double>(v), p});
        } else {
            builder.moveTo({p, static_cast<double>(u)});
            builder.lineTo({p, static_cast<double>(v)});
        }
        band.lines.push_back(builder.finish());
    }
    return band;
}

}  // namespace Ribs

namespace FeatureDetection::ButtonEdges {

namespace {

struct Bar {
    double length = 0;     // the longer box side
    double thickness = 0;  // the shorter one
    bool lying = false;
    double alongCentre = 0;   // box centre along the bar
    double acrossCentre = 0;  // and across it
};

Bar barOf(const Components::Component& mark) {
    const double w = mark.maxX - mark.minX + 1;
    const double h = mark.maxY - mark.minY + 1;
    Bar bar;
    bar.lying = h <= w;
    bar.length = std::max(w, h);
    bar.thickness = std::min(w, h);
    const double cx = (mark.minX + mark.maxX) / 2.0;
    const double cy = (mark.minY + mark.maxY) / 2.0;
    bar.alongCentre = bar.lying ? cx : cy;
    bar.acrossCentre = bar.lying ? cy : cx;
    return bar;
}

}  // namespace

std::vector<Pair> pairs(const std::vector<Components::Component>& marks, const std::set<std::size_t>& excluded,
                        double smallestMark, double scale) {
    std::vector<Pair> result;
    std::vector<Bar> bars;
    std::vector<bool> isBar;
    for (const Components::Component& mark : marks) {
        const Bar bar = barOf(mark);
        bars.push_back(bar);
        isBar.push_back(2 * smallestMark <= bar.length && bar.length <= 0.25 * scale &&
                        bar.thickness <= 0.45 * bar.length);
    }
    std::vector<bool> paired(marks.size(), false);
    for (std::size_t i = 0; i < marks.size(); ++i) {
        if (excluded.count(i) != 0 || paired[i] || !isBar[i]) continue;
        const Bar& bi = bars[i];
        std::optional<std::size_t> partner;
        double best = 0;
        for (std::size_t j = i + 1; j < marks.size(); ++j) {
            if (excluded.count(j) != 0 || paired[j] || !isBar[j]) continue;
            const Bar& bj = bars[j];
            if (bj.lying != bi.lying) continue;
            if (!(std::max(bi.length, bj.length) * 0.7 <= std::min(bi.length, bj.length))) continue;
            if (!(std::abs(bi.alongCentre - bj.alongCentre) < 0.15 * bi.length)) continue;
            const double dist = std::abs(bi.acrossCentre - bj.acrossCentre);
            if (!(std::max(bi.thickness, bj.thickness) < dist && dist < 1.5 * bi.length)) continue;
            if (!partner || dist < best) {
                partner = j;
                best = dist;
            }
        }
        if (!partner) continue;
        const std::size_t j = *partner;
        paired[i] = paired[j] = true;
        const Components::Component& mi = marks[i];
        const Components::Component& mj = marks[j];
        const double x0 = std::min(mi.minX, mj.minX);
        const double x1 = std::max(mi.maxX, mj.maxX) + 1;
        const double y0 = std::min(mi.minY, mj.minY);
        const double y1 = std::max(mi.maxY, mj.maxY) + 1;
        const double thickness = std::min(0.03 * scale, static_cast<double>(mi.pixels.size()) / bi.length);
        result.push_back({i, j, {(x0 + x1) / 2, (y0 + y1) / 2}, {x1 - x0 - thickness, y1 - y0 - thickness}});
    }
    return result;
}

}  // namespace FeatureDetection::ButtonEdges
}  // namespace photo_analysis
