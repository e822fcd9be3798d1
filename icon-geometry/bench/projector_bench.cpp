// The main road of the engine: a template model to its icon document, as the
// app's live preview redraws it on every edit.
#include <benchmark/benchmark.h>

#include "icon_geometry/icon_svg.hpp"
#include "icon_geometry/model_template.hpp"
#include "projection/icon_projector.hpp"

namespace {

using namespace icon_geometry;

void TemplateIcon(benchmark::State& state) {
    const ModelTemplate t(ModelTemplate::allCases[static_cast<std::size_t>(state.range(0))]);
    const IconModel model = t.model();
    state.SetLabel(std::string(t.rawValue()));
    for (auto _ : state) benchmark::DoNotOptimize(iconSvg(model, Camera{}));
}
BENCHMARK(TemplateIcon)
    ->DenseRange(0, static_cast<int>(ModelTemplate::allCases.size()) - 1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
