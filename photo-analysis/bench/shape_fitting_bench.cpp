#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "photo_analysis/shape_fitting.hpp"

namespace {

using photo_analysis::Vector2;

// The pixel boundary of a turned rounded rectangle, as a mask gives it.
std::vector<Vector2> roundedRectangleBoundary(int count) {
    const double side = count / 4.6;  // about `count` boundary pixels for a 1.5 : 1 box
    const double w = side * 1.4, h = side, r = 0.12 * h, turn = 0.12;
    std::vector<Vector2> points;
    const double a = w / 2 - r, b = h / 2 - r;
    for (int i = 0; i < count; ++i) {
        const double t = 2 * std::numbers::pi * i / count;
        const double c = std::cos(t), s = std::sin(t);
        // A point on the rounded box in direction t, snapped to a pixel centre.
        const double x = std::clamp(c * (a + r) * 1.5, -a, a) + r * c;
        const double y = std::clamp(s * (b + r) * 1.5, -b, b) + r * s;
        const double px = 2000 + x * std::cos(turn) - y * std::sin(turn);
        const double py = 1500 + x * std::sin(turn) + y * std::cos(turn);
        points.push_back({std::floor(px) + 0.5, std::floor(py) + 0.5});
    }
    return points;
}

void BM_FitRoundedRectangleBoundary(benchmark::State& state) {
    const auto points = roundedRectangleBoundary(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(photo_analysis::ShapeFitting::fit(points));
}
BENCHMARK(BM_FitRoundedRectangleBoundary)->Arg(2000)->Arg(8000)->Arg(30000)->Unit(benchmark::kMillisecond);

}  // namespace
