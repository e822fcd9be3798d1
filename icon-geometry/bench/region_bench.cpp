#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "icon_geometry/cubic.hpp"
#include "platform/platform_path.hpp"

using namespace icon_geometry;

namespace {

constexpr double pi = std::numbers::pi;

void addQuarter(PlatformPath& path, Vector2 centre, double r, double from) {
    const double k = Cubic::circleKappa * r;
    const Vector2 a{std::cos(from), std::sin(from)};
    const Vector2 b{std::cos(from + pi / 2), std::sin(from + pi / 2)};
    path.addLineTo(centre + a * r);
    path.addCurveTo(centre + a * r + b * k, centre + b * r + a * k, centre + b * r);
}

void addRoundedRect(PlatformPath& path, double x, double y, double w, double h, double r) {
    path.moveTo({x + r, y});
    addQuarter(path, {x + w - r, y + r}, r, -pi / 2);
    addQuarter(path, {x + w - r, y + h - r}, r, 0);
    addQuarter(path, {x + r, y + h - r}, r, pi / 2);
    addQuarter(path, {x + r, y + r}, r, pi);
    path.closeSubpath();
}

void addCircle(PlatformPath& path, Vector2 c, double r) {
    addRoundedRect(path, c.x - r, c.y - r, 2 * r, 2 * r, r);
}

PlatformPath roundedRect(double x, double y, double w, double h, double r) {
    PlatformPath path;
    addRoundedRect(path, x, y, w, h, r);
    return path;
}

PlatformPath circle(Vector2 c, double r) {
    PlatformPath path;
    addCircle(path, c, r);
    return path;
}

PlatformPath polyline(std::initializer_list<Vector2> points) {
    PlatformPath path;
    bool first = true;
    for (const Vector2 p : points) {
        if (first) {
            path.moveTo(p);
        } else {
            path.addLineTo(p);
        }
        first = false;
    }
    return path;
}

// A device face of fifty elements as the drawing composes it: outline and screen
// strokes, buttons, separators, chevrons, a cable, a dot grid, two ring fills,
// and socket holes cut out.
struct Body {
    std::vector<std::pair<PlatformPath, double>> strokes;
    std::vector<PlatformPath> fills;  // even-odd
    std::vector<PlatformPath> holes;
};

Body realisticBody() {
    Body body;
    body.strokes.push_back({roundedRect(180, 130, 600, 700, 80), 40});
    body.strokes.push_back({roundedRect(260, 210, 440, 260, 30), 20});
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) body.strokes.push_back({circle({300.0 + 120 * i, 560.0 + 80 * j}, 26), 20});
    }
    for (int i = 0; i < 6; ++i) {
        const double x = 250.0 + 90 * i;
        body.strokes.push_back({polyline({{x, 790}, {x + 40, 790}}), 20});
    }
    body.strokes.push_back({polyline({{430, 300}, {480, 250}, {530, 300}}), 20});
    body.strokes.push_back({polyline({{430, 380}, {480, 430}, {530, 380}}), 20});
    body.strokes.push_back({polyline({{300, 330}, {380, 330}, {380, 400}}), 20});
    body.strokes.push_back({polyline({{780, 600}, {830, 620}, {850, 680}, {840, 760}, {860, 850}, {900, 930}}), 40});
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 5; ++j) body.fills.push_back(circle({590.0 + 22 * i, 250.0 + 22 * j}, 7));
    }
    for (const double x : {340.0, 620.0}) {
        PlatformPath ring = circle({x, 720}, 30);
        addCircle(ring, {x, 720}, 14);
        body.fills.push_back(ring);
    }
    for (int i = 0; i < 4; ++i) body.holes.push_back(circle({420.0 + 40 * i, 720}, 10));
    return body;
}

Region bodyRegion(const Body& body) {
    std::vector<Region> ink;
    ink.reserve(body.strokes.size() + body.fills.size());
    for (const auto& [path, width] : body.strokes) ink.push_back(Region::stroked(path, width));
    for (const PlatformPath& path : body.fills) ink.push_back(Region::filled(path, FillRule::evenOdd));
    std::vector<Region> holes;
    for (const PlatformPath& path : body.holes) holes.push_back(Region::filled(path, FillRule::evenOdd));
    return Region::unionOf(ink).subtracting(Region::unionOf(holes));
}

void BM_RealisticBodyToOutline(benchmark::State& state) {
    const Body body = realisticBody();
    for (auto _ : state) {
        PlatformPath outline = bodyRegion(body).path();
        benchmark::DoNotOptimize(outline);
    }
    state.counters["elements"] = static_cast<double>(body.strokes.size() + body.fills.size() + body.holes.size());
}
BENCHMARK(BM_RealisticBodyToOutline)->Unit(benchmark::kMillisecond);

void BM_RealisticBodyRegionOnly(benchmark::State& state) {
    const Body body = realisticBody();
    for (auto _ : state) {
        Region region = bodyRegion(body);
        benchmark::DoNotOptimize(region);
    }
}
BENCHMARK(BM_RealisticBodyRegionOnly)->Unit(benchmark::kMillisecond);

void BM_RealisticBodyRefitOnly(benchmark::State& state) {
    const Region region = bodyRegion(realisticBody());
    for (auto _ : state) {
        PlatformPath outline = region.path();
        benchmark::DoNotOptimize(outline);
    }
}
BENCHMARK(BM_RealisticBodyRefitOnly)->Unit(benchmark::kMillisecond);

}  // namespace
