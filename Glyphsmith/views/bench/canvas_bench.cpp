// The canvas while a slider drags: from a change of the model to the repainted
// canvas (the icon drawn for the preview and for the validation, the validator,
// the tiles' rasters or the mask), for every template at the default camera, in
// each drawn preview mode; and the main window from nothing to its first paint.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QStandardPaths>

#include "app_fixture.hpp"
#include "glyphsmith_views/action_registry.hpp"
#include "glyphsmith_views/canvas_view.hpp"
#include "glyphsmith_views/main_window.hpp"
#include "icon_geometry/model_template.hpp"

namespace {

using glyphsmith_state::PreviewMode;

void canvasFrame(benchmark::State& state) {
    const auto modelTemplate = icon_geometry::ModelTemplate::allCases[static_cast<std::size_t>(state.range(0))];
    const auto mode = static_cast<PreviewMode>(state.range(1));
    glyphsmith_views_testing::AppFixture fixture;
    fixture.app->session().setPreviewMode(mode);
    glyphsmith_views::ActionRegistry actions(*fixture.app);
    glyphsmith_views::CanvasView canvas(*fixture.app, actions);
    // The canvas column of a 1280-pixel-wide window.
    canvas.resize(720, 700);
    QImage frame(canvas.size(), QImage::Format_ARGB32_Premultiplied);
    auto& editor = fixture.store().currentEditor();
    editor.applyTemplate(modelTemplate);
    auto model = editor.model();
    int step = 0;
    for (auto _ : state) {
        // A yaw slider moving by a tenth of a degree about the default camera.
        auto camera = icon_geometry::Camera::defaultCamera();
        camera.yawDegrees += (step++ % 2) * 0.1;
        model.camera = camera;
        editor.setModel(model);
        canvas.render(&frame);
        benchmark::DoNotOptimize(frame.constBits());
    }
    state.SetLabel(std::string(icon_geometry::ModelTemplate(modelTemplate).rawValue()) + " " +
                   std::string(glyphsmith_state::rawValue(mode)));
}
BENCHMARK(canvasFrame)->ArgsProduct({benchmark::CreateDenseRange(0, 6, 1), {0, 1, 2}})->Unit(benchmark::kMillisecond);

void mainWindowFirstPaint(benchmark::State& state) {
    for (auto _ : state) {
        glyphsmith_views_testing::AppFixture fixture;
        glyphsmith_views::ActionRegistry actions(*fixture.app);
        glyphsmith_views::MainWindow window(*fixture.app, actions);
        window.resize(1280, 800);
        QImage frame(window.size(), QImage::Format_ARGB32_Premultiplied);
        window.render(&frame);
        benchmark::DoNotOptimize(frame.constBits());
    }
}
BENCHMARK(mainWindowFirstPaint)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QStandardPaths::setTestModeEnabled(true);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
