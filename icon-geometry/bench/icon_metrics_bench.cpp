#include <benchmark/benchmark.h>

#include <vector>

#include "icon_geometry/face_shape.hpp"
#include "icon_geometry/ink_mask.hpp"
#include "platform/platform_path.hpp"

using namespace icon_geometry;

namespace {

BezierPath moved(const BezierPath& path, double x, double y) {
    return path.translated(x, y);
}

// A wall panel as the drawing makes it: a 40-unit outline, 20-unit buttons and
// a separator, two filled indicators and a pictogram stroke, united into one body.
std::vector<BezierPath> realisticIcon() {
    std::vector<Region> ink;
    const auto stroke = [&](const BezierPath& path, double width) { ink.push_back(Region::stroked(path, width)); };
    const auto fill = [&](const BezierPath& path) { ink.push_back(Region::filled(path, FillRule::evenOdd)); };
    stroke(moved(FaceShape::roundedRectanglePath(860, 860, 90), 480, 480), 40);
    stroke(moved(FaceShape::roundedRectanglePath(300, 300, 40), 300, 560), 20);
    stroke(moved(FaceShape::roundedRectanglePath(300, 300, 40), 660, 560), 20);
    stroke(BezierPath{{Subpath{{120, 360}, {PathSegment::line({840, 360})}, false}}}, 20);
    fill(moved(FaceShape::ellipsePath(36, 36), 300, 220));
    fill(moved(FaceShape::ellipsePath(36, 36), 660, 220));
    stroke(BezierPath{{Subpath{{250, 600}, {PathSegment::line({300, 530}), PathSegment::line({350, 600})}, false}}},
           20);
    return {Region::unionOf(ink).outline()};
}

// Eight 118-unit bars with 2-unit gaps: wide ink where every cell is a ridge
// cell, the case that painting every disc turns into seconds.
std::vector<BezierPath> wideBars() {
    std::vector<BezierPath> bars;
    for (int i = 0; i < 8; ++i) {
        const double x = 1 + i * 120.0;
        bars.push_back(BezierPath{
            {Subpath{{x, 0},
                     {PathSegment::line({x + 118, 0}), PathSegment::line({x + 118, 960}), PathSegment::line({x, 960})},
                     true}}});
    }
    return bars;
}

void thinnestStroke(benchmark::State& state, const std::vector<BezierPath>& paths) {
    for (auto _ : state) benchmark::DoNotOptimize(IconMetrics::thinnestStroke(paths));
}

void strokeWidths(benchmark::State& state, const std::vector<BezierPath>& paths) {
    const InkMask mask(paths, 960);
    for (auto _ : state) benchmark::DoNotOptimize(IconMetrics::strokeWidths(mask.side, mask.ink, 120));
}

void inkMask(benchmark::State& state, const std::vector<BezierPath>& paths) {
    for (auto _ : state) benchmark::DoNotOptimize(InkMask(paths, 960));
}

void distanceTransform(benchmark::State& state) {
    const InkMask mask(realisticIcon(), 960);
    for (auto _ : state) benchmark::DoNotOptimize(DistanceTransform::distances(mask.ink, 960, 960));
}

}  // namespace

BENCHMARK_CAPTURE(thinnestStroke, realisticIcon, realisticIcon())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(thinnestStroke, wideBars, wideBars())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(strokeWidths, realisticIcon, realisticIcon())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(strokeWidths, wideBars, wideBars())->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(inkMask, realisticIcon, realisticIcon())->Unit(benchmark::kMillisecond);
BENCHMARK(distanceTransform)->Unit(benchmark::kMillisecond);
