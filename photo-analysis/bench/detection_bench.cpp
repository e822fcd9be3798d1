// Single-threaded costs of the detection toolkit at the working size of a face
// (1080 × 720). Run the Tesseract case with OMP_THREAD_LIMIT=1 for comparison
// with the other machines' figures.
#include <benchmark/benchmark.h>

#include <cmath>
#include <random>

#include "../tests/thermostat_face.hpp"
#include "detection/pictogram_matcher.hpp"
#include "photo_analysis/tesseract_recognizer.hpp"
#include "platform/cairo_raster.hpp"
#include "raster/components.hpp"
#include "raster/lab.hpp"

using namespace photo_analysis;

namespace {

constexpr int W = 1080;
constexpr int H = 720;

std::vector<std::uint8_t> noisyImage(int width, int height) {
    std::mt19937 random(3);
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    for (std::size_t i = 0; i < rgba.size(); i += 4) {
        for (int k = 0; k < 3; ++k) rgba[i + k] = static_cast<std::uint8_t>(random() % 256);
        rgba[i + 3] = 255;
    }
    return rgba;
}

// Fifty marks: rings, bars and dots spread over the face.
std::vector<bool> fiftyMarks() {
    std::vector<icon_geometry::BezierPath> paths;
    for (int i = 0; i < 50; ++i) {
        const double x = 60 + (i % 10) * 100;
        const double y = 70 + (i / 10) * 140;
        icon_geometry::PathBuilder builder;
        if (i % 3 == 0) {
            builder.moveTo({x - 30, y});
            builder.lineTo({x + 30, y + 10});
        } else {
            for (int k = 0; k <= 24; ++k) {
                const double a = k * 2 * M_PI / 24;
                const double r = i % 3 == 1 ? 25 : 8;
                const icon_geometry::Vector2 p{x + r * std::cos(a), y + r * std::sin(a)};
                k == 0 ? builder.moveTo(p) : builder.lineTo(p);
            }
        }
        paths.push_back(builder.finish());
    }
    const auto grey = platform::coverage(paths, W, H, {0, 0}, 1, {platform::Paint::Mode::stroke, 5});
    std::vector<bool> mask(grey.size());
    for (std::size_t i = 0; i < grey.size(); ++i) mask[i] = grey[i] >= 128;
    return mask;
}

void labImageOfAPhoto(benchmark::State& state) {
    const std::vector<std::uint8_t> rgba = noisyImage(900, 600);
    for (auto _ : state) benchmark::DoNotOptimize(labImage(RgbaView{900, 600, rgba}, H));
}
BENCHMARK(labImageOfAPhoto)->Unit(benchmark::kMillisecond);

void localBackgroundAtRadius(benchmark::State& state) {
    const std::vector<std::uint8_t> rgba = noisyImage(W, H);
    const std::vector<Lab> pixels = labImage(RgbaView{W, H, rgba}, H)->pixels;
    std::mt19937 random(5);
    std::vector<bool> mask(pixels.size());
    for (std::size_t i = 0; i < mask.size(); ++i) mask[i] = random() % 4 != 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(localBackground(mask, static_cast<int>(state.range(0)), W, H, pixels));
    }
}
BENCHMARK(localBackgroundAtRadius)->Arg(2)->Arg(300)->Unit(benchmark::kMillisecond);

void labellingThinningAndStrokesOfFiftyMarks(benchmark::State& state) {
    const std::vector<bool> mask = fiftyMarks();
    for (auto _ : state) {
        const Components components(mask, W, H);
        const std::vector<bool> skeleton = thin(mask, W, H);
        benchmark::DoNotOptimize(skeletonPolylines(skeleton, W, H));
        benchmark::DoNotOptimize(components);
    }
}
BENCHMARK(labellingThinningAndStrokesOfFiftyMarks)->Unit(benchmark::kMillisecond);

void strokePathsOfFiftyMarks(benchmark::State& state) {
    const std::vector<bool> mask = fiftyMarks();
    for (auto _ : state) benchmark::DoNotOptimize(strokePaths(mask, W, H, 13));
}
BENCHMARK(strokePathsOfFiftyMarks)->Unit(benchmark::kMillisecond);

void matcherOnTenGroups(benchmark::State& state) {
    std::vector<icon_geometry::BezierPath> paths;
    for (int i = 0; i < 10; ++i) {
        const icon_geometry::Pictogram pictogram =
            i % 2 ? icon_geometry::Pictogram::wifi : icon_geometry::Pictogram::sun;
        for (auto& path : pictogram.contours({100.0 + (i % 5) * 200, 200.0 + (i / 5) * 300}, 55)) {
            paths.push_back(std::move(path));
        }
    }
    const auto grey = platform::coverage(paths, W, H, {0, 0}, 1, {platform::Paint::Mode::stroke, 4});
    std::vector<bool> mask(grey.size());
    for (std::size_t i = 0; i < grey.size(); ++i) mask[i] = grey[i] >= 128;
    const Components marks(mask, W, H);
    for (auto _ : state) benchmark::DoNotOptimize(PictogramMatcher::match(marks.list, {}, W, H));
}
BENCHMARK(matcherOnTenGroups)->Unit(benchmark::kMillisecond);

void tesseractOnAFace(benchmark::State& state) {
    const auto recognizer = makeTesseractRecognizer();
    const testing::RenderedFace face = testing::renderFace(true);
    for (auto _ : state) benchmark::DoNotOptimize(TextLines::recognize(*recognizer, face.view(), W, H));
}
BENCHMARK(tesseractOnAFace)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
