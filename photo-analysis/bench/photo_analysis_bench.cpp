// The photo-to-driver-images path on a 12 MP JPEG, one thread: decoding, the
// subject mask (the cut-out with GrabCut, as the callers take it) and the three
// driver images with their PNG bytes; the subject mask on each kind of wall, on
// a product shot, and on a photo where every way is refused.
#include <benchmark/benchmark.h>

#include <map>
#include <opencv2/core.hpp>

#include "homey_project/driver_image_check.hpp"
#include "photo_analysis/driver_image_renderer.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/subject_extraction.hpp"
#include "test_photo/image_files.hpp"
#include "test_photo/scene.hpp"

namespace {

using namespace photo_analysis;

struct Fixture {
    test_photo::Scene scene;
    std::vector<std::uint8_t> jpeg;
    Photo photo;
};

// A light device turned by 25° on the given wall (a wall a few levels off the
// device's white for the plain and graded ones).
const Fixture& fixture(test_photo::Background backdrop) {
    const auto make = [](test_photo::Background b) {
        test_photo::SceneOptions options = test_photo::twelveMegapixelScene();
        options.backdrop = b;
        options.yawDegrees = 25;
        options.pitchDegrees = 8;
        if (b != test_photo::Background::uniform) options.background = {0.89, 0.89, 0.88};
        Fixture f{test_photo::renderScene(options), {}, {}};
        f.jpeg = test_photo::encodeJpeg(test_photo::rgbaImage(f.scene.width, f.scene.height, f.scene.rgba), 80);
        f.photo = Photo::decode(f.jpeg);
        return f;
    };
    static std::map<test_photo::Background, Fixture> made;
    auto found = made.find(backdrop);
    if (found == made.end()) found = made.emplace(backdrop, make(backdrop)).first;
    return found->second;
}

SubjectMask subjectOf(const Photo& photo) {
    return SubjectExtraction::extract(photo, GrabCutSegmenter{});
}

void BM_PhotoToDriverImages(benchmark::State& state) {
    const Fixture& f = fixture(test_photo::Background::uniform);
    double iou = 0;
    for (auto _ : state) {
        const Photo photo = Photo::decode(f.jpeg);
        const SubjectMask mask = subjectOf(photo);
        for (homey_project::DriverImageSize size : homey_project::allDriverImageSizes)
            benchmark::DoNotOptimize(
                DriverImageRenderer::pngData(DriverImageRenderer{}.render(photo, mask, size).image));
        iou = mask.overlap(f.scene.truth);
    }
    state.counters["iou"] = iou;
}
BENCHMARK(BM_PhotoToDriverImages)->Unit(benchmark::kMillisecond)->Iterations(5)->Repetitions(3)->ReportAggregatesOnly();

void BM_Decode(benchmark::State& state) {
    const Fixture& f = fixture(test_photo::Background::uniform);
    for (auto _ : state) benchmark::DoNotOptimize(Photo::decode(f.jpeg));
}
BENCHMARK(BM_Decode)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_GrabCut(benchmark::State& state) {
    const Fixture& f = fixture(static_cast<test_photo::Background>(state.range(0)));
    double iou = 0;
    for (auto _ : state) iou = SubjectExtraction::extractForeground(f.photo, GrabCutSegmenter{}).overlap(f.scene.truth);
    state.counters["iou"] = iou;
}
BENCHMARK(BM_GrabCut)
    ->Arg(static_cast<int>(test_photo::Background::uniform))
    ->Arg(static_cast<int>(test_photo::Background::textured))
    ->Arg(static_cast<int>(test_photo::Background::gradientTopBottom))
    ->Arg(static_cast<int>(test_photo::Background::castShadow))
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);

// The callers' fallback without a segmenter on the given wall.
void fallbackOn(benchmark::State& state, test_photo::Background backdrop) {
    const Fixture& f = fixture(backdrop);
    double iou = 0;
    for (auto _ : state) iou = SubjectExtraction::extract(f.photo, NoSegmenter{}).overlap(f.scene.truth);
    state.counters["iou"] = iou;
}

// The field on a graded wall.
void BM_FieldFallback(benchmark::State& state) {
    fallbackOn(state, test_photo::Background::gradientTopBottom);
}
BENCHMARK(BM_FieldFallback)->Unit(benchmark::kMillisecond)->Iterations(5);

// On a plain wall: the field, its shadows taken off, without GrabCut.
void BM_PlainWallFallback(benchmark::State& state) {
    fallbackOn(state, test_photo::Background::uniform);
}
BENCHMARK(BM_PlainWallFallback)->Unit(benchmark::kMillisecond)->Iterations(5);

// A maker's photo of a white product on flat white: the background colour at
// the photo's own size, judged, its outline weighed.
void BM_ProductShot(benchmark::State& state) {
    static const Fixture product = [] {
        test_photo::SceneOptions options = test_photo::twelveMegapixelScene();
        options.yawDegrees = 25;
        options.pitchDegrees = 8;
        options.background = {1.03, 1.03, 1.03};
        Fixture f{test_photo::renderScene(options), {}, {}};
        f.jpeg = test_photo::encodeJpeg(test_photo::rgbaImage(f.scene.width, f.scene.height, f.scene.rgba), 90);
        f.photo = Photo::decode(f.jpeg);
        return f;
    }();
    double iou = 0;
    for (auto _ : state) iou = subjectOf(product.photo).overlap(product.scene.truth);
    state.counters["iou"] = iou;
}
BENCHMARK(BM_ProductShot)->Unit(benchmark::kMillisecond)->Iterations(5);

// Granite filling the frame: every way tried, every way refused.
void BM_EveryWayRefused(benchmark::State& state) {
    static const Photo granite = test_photo::noDevicePhoto(test_photo::NoDevice::granite, 4000, 3000);
    for (auto _ : state) {
        try {
            benchmark::DoNotOptimize(SubjectExtraction::extract(granite, GrabCutSegmenter{}));
            state.SkipWithError("a subject in granite");
        } catch (const PhotoAnalysisError&) {
        }
    }
}
BENCHMARK(BM_EveryWayRefused)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_BackgroundPath(benchmark::State& state) {
    const Fixture& f = fixture(test_photo::Background::uniform);
    double iou = 0;
    for (auto _ : state)
        iou =
            SubjectExtraction::extractByBackground(f.photo, SubjectExtraction::defaultTolerance).overlap(f.scene.truth);
    state.counters["iou"] = iou;
}
BENCHMARK(BM_BackgroundPath)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_RenderWithPng(benchmark::State& state) {
    const Fixture& f = fixture(test_photo::Background::uniform);
    const SubjectMask mask = subjectOf(f.photo);
    for (auto _ : state)
        benchmark::DoNotOptimize(DriverImageRenderer::pngData(
            DriverImageRenderer{}.render(f.photo, mask, static_cast<int>(state.range(0))).image));
}
BENCHMARK(BM_RenderWithPng)->Arg(75)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
    cv::setNumThreads(1);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
