// Single-threaded costs of detail detection: the whole road from a 12 MP photo
// to its face details, stage by stage, and detection alone on a face at the
// working size. Run with OMP_THREAD_LIMIT=1 so that Tesseract stays on one
// thread too.
#include <benchmark/benchmark.h>

#include <opencv2/core.hpp>

#include "../tests/thermostat_face.hpp"
#include "detection/detail_detection.hpp"
#include "photo_analysis/feature_detection.hpp"
#include "photo_analysis/segmenter.hpp"
#include "photo_analysis/subject_extraction.hpp"
#include "photo_analysis/tesseract_recognizer.hpp"
#include "test_photo/image_files.hpp"
#include "test_photo/scene.hpp"

namespace {

using namespace photo_analysis;

const bool singleThreaded = (cv::setNumThreads(1), true);

// A thermostat turned by 20°, over a uniform background, as a 12 MP JPEG.
struct Road {
    Photo photo;
    SubjectMask mask;
    FaceCorners corners;
    std::optional<FeatureDetection::Face> face;
    std::unique_ptr<TextRecognizer> recognizer = makeTesseractRecognizer();
};

const Road& road() {
    static const Road r = [] {
        const test_photo::SceneOptions size = test_photo::twelveMegapixelScene();
        const test_photo::SceneOptions o = test_photo::thermostatScene(size.width, size.height, 20, 8);
        const test_photo::Scene scene = test_photo::renderScene(o);
        Road road;
        road.photo =
            Photo::decode(test_photo::encodeJpeg(test_photo::rgbaImage(scene.width, scene.height, scene.rgba), 90));
        road.mask = SubjectExtraction::extractForeground(road.photo, GrabCutSegmenter{});
        road.corners = {scene.faceCorners[0], scene.faceCorners[1], scene.faceCorners[2], scene.faceCorners[3]};
        road.face = FeatureDetection::face(road.photo, road.mask, road.corners);
        return road;
    }();
    return r;
}

void subjectMask12MP(benchmark::State& state) {
    const Road& r = road();
    for (auto _ : state) benchmark::DoNotOptimize(SubjectExtraction::extractForeground(r.photo, GrabCutSegmenter{}));
}
BENCHMARK(subjectMask12MP)->Unit(benchmark::kMillisecond)->Iterations(3);

void rectangleDetector12MP(benchmark::State& state) {
    const Road& r = road();
    for (auto _ : state) benchmark::DoNotOptimize(FeatureDetection::rectangleCandidates(r.photo, r.mask));
}
BENCHMARK(rectangleDetector12MP)->Unit(benchmark::kMillisecond);

void rectificationFromCorners12MP(benchmark::State& state) {
    const Road& r = road();
    for (auto _ : state) benchmark::DoNotOptimize(FeatureDetection::face(r.photo, r.mask, r.corners));
}
BENCHMARK(rectificationFromCorners12MP)->Unit(benchmark::kMillisecond);

void labAndMasks(benchmark::State& state) {
    const Road& r = road();
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            detail_detection::workingFace(RgbaView::of(r.face->image), r.face->shape, FeatureDetection::Options{}));
    }
}
BENCHMARK(labAndMasks)->Unit(benchmark::kMillisecond);

void contrastPasses(benchmark::State& state) {
    const Road& r = road();
    const FeatureDetection::Options options;
    const auto face = detail_detection::workingFace(RgbaView::of(r.face->image), r.face->shape, options);
    for (auto _ : state) benchmark::DoNotOptimize(detail_detection::markPixels(*face, options));
}
BENCHMARK(contrastPasses)->Unit(benchmark::kMillisecond);

void text(benchmark::State& state) {
    const Road& r = road();
    const FeatureDetection::Options options;
    const auto face = detail_detection::workingFace(RgbaView::of(r.face->image), r.face->shape, options);
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            detail_detection::textRectangles(RgbaView::of(r.face->image), *face, options, r.recognizer.get()));
    }
}
BENCHMARK(text)->Unit(benchmark::kMillisecond);

void marksAndFits(benchmark::State& state) {
    const Road& r = road();
    const FeatureDetection::Options options;
    const auto face = detail_detection::workingFace(RgbaView::of(r.face->image), r.face->shape, options);
    const detail_detection::MarkPixels pixels = detail_detection::markPixels(*face, options);
    const auto text = detail_detection::textRectangles(RgbaView::of(r.face->image), *face, options, r.recognizer.get());
    for (auto _ : state) {
        detail_detection::MarkPixels copy = pixels;
        benchmark::DoNotOptimize(detail_detection::features(*face, copy, text, options));
    }
}
BENCHMARK(marksAndFits)->Unit(benchmark::kMillisecond);

// The road after the mask: face with the detector's corners, then details
// with text.
void faceAndDetails12MP(benchmark::State& state) {
    const Road& r = road();
    for (auto _ : state) {
        const auto face = FeatureDetection::face(r.photo, r.mask);
        benchmark::DoNotOptimize(FeatureDetection::detect(RgbaView::of(face->image), face->shape,
                                                          FeatureDetection::Options{}, r.recognizer.get()));
    }
}
BENCHMARK(faceAndDetails12MP)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

// Detection without text on a 1080 × 720 face with rings, a light, ribs and labels.
void detectWithoutText1080x720(benchmark::State& state) {
    const testing::RenderedFace face = testing::renderFace(true);
    FeatureDetection::Options options;
    options.excludesText = false;
    for (auto _ : state)
        benchmark::DoNotOptimize(FeatureDetection::detect(face.view(), std::nullopt, options, nullptr));
}
BENCHMARK(detectWithoutText1080x720)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

}  // namespace
