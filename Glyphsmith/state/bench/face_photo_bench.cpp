// The face photo's tools on a 12 megapixel frontal view: what a click costs the
// main thread (the fourth corner, a placed detail), and the work the fits and the
// driver images hand to the background, through the app's photo services.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "glyphsmith_state/analysis_photo_services.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state_testing/editor_fields.hpp"
#include "glyphsmith_state_testing/queued_task_runner.hpp"
#include "test_photo/scene.hpp"

using glyphsmith_state_testing::EditorFields;

namespace {

using glyphsmith_state::AnalysisPhotoServices;
using glyphsmith_state::DriverEditor;
using icon_geometry::Vector2;

struct FrontalView {
    test_photo::Scene scene;
    photo_analysis::Photo photo;
    photo_analysis::SubjectMask mask;
    icon_geometry::IconModel model;

    FrontalView() {
        test_photo::SceneOptions options = test_photo::twelveMegapixelScene();
        options.faceWidthMm = 120;
        options.faceHeightMm = 80;
        options.yawDegrees = 20;
        scene = test_photo::renderScene(options);
        photo = scene.photo();
        mask = services().subjectMask(photo);
        icon_geometry::ExtrudedBody body;
        body.face = icon_geometry::FaceShape::roundedRectangle(120, 80, 6);
        body.depth = 30;
        model = icon_geometry::IconModel::withSingleBody(std::move(body));
    }

    static const AnalysisPhotoServices& services() {
        static const AnalysisPhotoServices shared(std::make_unique<photo_analysis::NoSegmenter>());
        return shared;
    }
};

const FrontalView& view() {
    static const FrontalView shared;
    return shared;
}

// The main thread's share of the fourth corner click: the rectification, the
// copy of the mask handed to the background, the task queued.
void BM_FourthCornerClick(benchmark::State& state) {
    glyphsmith_state_testing::QueuedTaskRunner runner;
    DriverEditor editor(view().model, {std::make_shared<AnalysisPhotoServices>(), &runner});
    EditorFields(editor).setFacePhoto(view().photo);
    EditorFields(editor).setFaceMask(view().mask);
    editor.setKeepEnteredAspect(false);
    const auto& corners = view().scene.faceCorners;
    for (auto _ : state) {
        editor.setCorners({corners[0], corners[1], corners[2]});
        editor.setTool(glyphsmith_state::PhotoTool::corners());
        editor.handlePhotoClick(corners[3].x, corners[3].y);
        runner.dropAll();
    }
}
BENCHMARK(BM_FourthCornerClick)->Unit(benchmark::kMillisecond);

// A detail placed without corners: the subject's box, found once per mask.
void BM_PlaceClickOnTheSubjectBox(benchmark::State& state) {
    DriverEditor editor(view().model);
    EditorFields(editor).setFaceMask(view().mask);
    for (auto _ : state) benchmark::DoNotOptimize(editor.facePoint(2000, 1500));
}
BENCHMARK(BM_PlaceClickOnTheSubjectBox)->Unit(benchmark::kMicrosecond);

// A face-photo editor whose background work runs when the benchmark says.
struct QueuedEditor {
    glyphsmith_state_testing::QueuedTaskRunner runner;
    DriverEditor editor{
        view().model, {std::shared_ptr<const AnalysisPhotoServices>(&FrontalView::services(), [](auto*) {}), &runner}};

    QueuedEditor() {
        EditorFields(editor).setFacePhoto(view().photo);
        EditorFields(editor).setFaceMask(view().mask);
        editor.setKeepEnteredAspect(false);
    }
};

// The whole corner fit, its background work included: boundary points and radius.
void BM_CornerFitWhole(benchmark::State& state) {
    QueuedEditor queued;
    const auto& corners = view().scene.faceCorners;
    queued.editor.setCorners({corners.begin(), corners.end()});
    for (auto _ : state) {
        queued.editor.fitFaceToCorners();
        queued.runner.runAll();
    }
}
BENCHMARK(BM_CornerFitWhole)->Unit(benchmark::kMillisecond);

// The whole outline fit: boundary points and the three fitted shapes.
void BM_OutlineFitWhole(benchmark::State& state) {
    QueuedEditor queued;
    for (auto _ : state) {
        queued.editor.fitFaceOutline();
        queued.runner.runAll();
    }
}
BENCHMARK(BM_OutlineFitWhole)->Unit(benchmark::kMillisecond);

// The three driver images rendered, encoded and checked.
void BM_DriverImagesWhole(benchmark::State& state) {
    QueuedEditor queued;
    for (auto _ : state) {
        queued.editor.renderDriverImages();
        queued.runner.runAll();
    }
}
BENCHMARK(BM_DriverImagesWhole)->Unit(benchmark::kMillisecond);

}  // namespace
