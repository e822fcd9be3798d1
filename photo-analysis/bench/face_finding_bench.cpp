#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>

#include "photo_analysis/feature_detection.hpp"
#include "test_photo/scene.hpp"

namespace {

using namespace photo_analysis;

// Measured on one thread, as the engine is meant to run.
const bool singleThreaded = (cv::setNumThreads(1), true);

// A 12 MP photo of a device turned by 30°, rendered once.
const test_photo::Scene& twelveMegapixelScene() {
    static const test_photo::Scene scene = [] {
        test_photo::SceneOptions o;
        o.width = 4000;
        o.height = 3000;
        o.faceWidthMm = 120;
        o.faceHeightMm = 80;
        o.cornerRadiusMm = 6;
        o.subjectSize = 0.467;
        o.yawDegrees = 30;
        o.pitchDegrees = 10;
        return test_photo::renderScene(o);
    }();
    return scene;
}

void BM_RectangleCandidates12MP(benchmark::State& state) {
    const auto& scene = twelveMegapixelScene();
    const Photo photo = scene.photo();
    for (auto _ : state) benchmark::DoNotOptimize(FeatureDetection::rectangleCandidates(photo, scene.truth));
}
BENCHMARK(BM_RectangleCandidates12MP)->Unit(benchmark::kMillisecond);

void BM_FaceWithDetectedCorners12MP(benchmark::State& state) {
    const auto& scene = twelveMegapixelScene();
    const Photo photo = scene.photo();
    for (auto _ : state) benchmark::DoNotOptimize(FeatureDetection::face(photo, scene.truth));
}
BENCHMARK(BM_FaceWithDetectedCorners12MP)->Unit(benchmark::kMillisecond);

// Corners whose rectification fails send the face to the outline fit.
void BM_FaceFromOutlineFit12MP(benchmark::State& state) {
    const auto& scene = twelveMegapixelScene();
    const Photo photo = scene.photo();
    const FaceCorners sliver{{100, 1500}, {3900, 1500}, {3900, 1502}, {100, 1502}};
    for (auto _ : state) benchmark::DoNotOptimize(FeatureDetection::face(photo, scene.truth, sliver));
}
BENCHMARK(BM_FaceFromOutlineFit12MP)->Unit(benchmark::kMillisecond);

}  // namespace
