// The live-edit path of the inspector, per device template: a setter, its bounds
// check, the change signal and the icon document the canvas redraws from. Set
// against the projector's own time for the same two models, the difference is
// what the editor adds inside a 16.7 ms frame.
#include <benchmark/benchmark.h>

#include <QObject>
#include <array>

#include "glyphsmith_state/driver_editor.hpp"
#include "icon_geometry/icon_svg.hpp"
#include "icon_geometry/model_template.hpp"

namespace {

using glyphsmith_state::DriverEditor;
using icon_geometry::IconModel;
using icon_geometry::ModelTemplate;

const icon_geometry::Camera brand = icon_geometry::Camera::defaultCamera();

ModelTemplate templateOf(const benchmark::State& state) {
    return ModelTemplate::allCases[static_cast<std::size_t>(state.range(0))];
}

// The live edit of a template: the face's depth, or the turn of a revolved main body.
void edit(DriverEditor& editor, double value) {
    if (editor.model().hasExtrudedPrimaryBody()) {
        editor.setDepth(10 + value);
    } else {
        editor.setPartTurn(0, value);
    }
}

// The two models the edit alternates between.
std::array<IconModel, 2> editedModels(ModelTemplate t) {
    std::array<IconModel, 2> models;
    for (int i = 0; i < 2; ++i) {
        DriverEditor editor(t.model());
        edit(editor, i);
        models[static_cast<std::size_t>(i)] = editor.model();
    }
    return models;
}

void BM_ProjectorOnly(benchmark::State& state) {
    const std::array<IconModel, 2> models = editedModels(templateOf(state));
    std::size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(icon_geometry::iconSvg(models[i++ % 2], brand));
    state.SetLabel(std::string(templateOf(state).rawValue()));
}

void BM_LiveEdit(benchmark::State& state) {
    DriverEditor editor(templateOf(state).model());
    benchmark::IterationCount redraws = 0;
    QObject::connect(&editor, &DriverEditor::modelChanged, [&] {
        benchmark::DoNotOptimize(editor.iconSvg(brand));
        ++redraws;
    });
    int i = 0;
    for (auto _ : state) edit(editor, ++i % 2);
    state.SetLabel(std::string(templateOf(state).rawValue()));
    if (redraws != state.iterations()) state.SkipWithError("an edit did not redraw");
}

// What the editor adds: the setter, the bounds check and the signal.
void BM_EditOverhead(benchmark::State& state) {
    DriverEditor editor(templateOf(state).model());
    int i = 0;
    for (auto _ : state) edit(editor, ++i % 2);
    state.SetLabel(std::string(templateOf(state).rawValue()));
}

BENCHMARK(BM_ProjectorOnly)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveEdit)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditOverhead)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

}  // namespace
