// The live-edit path of the inspector, per device template: a setter, its bounds
// check, the change signal and the icon document the canvas redraws from. Set
// against the projector's own time for the same model, the difference is what
// the editor adds inside a 16.7 ms frame.
#include <benchmark/benchmark.h>

#include <QObject>

#include "glyphsmith_state/driver_editor.hpp"
#include "icon_geometry/model_template.hpp"

namespace {

using glyphsmith_state::DriverEditor;
using icon_geometry::ModelTemplate;

const icon_geometry::Camera brand = icon_geometry::Camera::defaultCamera();

void BM_ProjectorOnly(benchmark::State& state) {
    const icon_geometry::IconModel model = ModelTemplate(ModelTemplate::allCases[state.range(0)]).model();
    for (auto _ : state) benchmark::DoNotOptimize(model.svg(brand));
    state.SetLabel(std::string(ModelTemplate(ModelTemplate::allCases[state.range(0)]).rawValue()));
}

void BM_LiveEdit(benchmark::State& state) {
    DriverEditor editor(ModelTemplate(ModelTemplate::allCases[state.range(0)]).model());
    benchmark::IterationCount redraws = 0;
    QObject::connect(&editor, &DriverEditor::modelChanged, [&] {
        benchmark::DoNotOptimize(editor.iconSvg(brand));
        ++redraws;
    });
    // A revolved main body has no face to edit: its live edit is the part's turn.
    const bool extruded = editor.model().hasExtrudedPrimaryBody();
    double value = 0;
    for (auto _ : state) {
        value = value == 0 ? 1 : 0;
        if (extruded) {
            editor.setDepth(10 + value);
        } else {
            editor.setPartTurn(0, value);
        }
    }
    state.SetLabel(std::string(ModelTemplate(ModelTemplate::allCases[state.range(0)]).rawValue()));
    if (redraws != state.iterations()) state.SkipWithError("an edit did not redraw");
}

// The bounds check alone, on the largest template.
void BM_EditWithoutRedraw(benchmark::State& state) {
    DriverEditor editor(ModelTemplate(ModelTemplate::allCases[state.range(0)]).model());
    double value = 0;
    for (auto _ : state) {
        value = value == 0 ? 1 : 0;
        editor.setPartTurn(0, value);
    }
    state.SetLabel(std::string(ModelTemplate(ModelTemplate::allCases[state.range(0)]).rawValue()));
}

BENCHMARK(BM_ProjectorOnly)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LiveEdit)->DenseRange(0, 6)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EditWithoutRedraw)->DenseRange(0, 6)->Unit(benchmark::kMicrosecond);

}  // namespace
