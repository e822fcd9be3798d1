// A small model file must not make the icon slow: the dial thermostat with
// thousands of rings (and a knurl of thousands of lines) packed into a few
// millimetres of its side. Goal: under 50 ms for 10000 rings and 10000 knurl lines.
#include <benchmark/benchmark.h>

#include "icon_geometry/icon_model.hpp"
#include "icon_geometry/icon_svg.hpp"
#include "icon_geometry/model_template.hpp"

namespace {

using namespace icon_geometry;

IconModel denseDial(std::int64_t rings, std::int64_t knurl) {
    IconModel model = ModelTemplate(ModelTemplate::dialThermostat).model();
    RevolvedBody dial = *model.parts[1].solid.revolvedBody();
    dial.details = {RevolvedDetail::rings(-13, -1, rings)};
    if (knurl > 0) dial.details.push_back(RevolvedDetail::knurl(-13, -1, knurl));
    model.parts[1].solid = Solid::revolved(dial);
    return model;
}

void DenseRings(benchmark::State& state) {
    const IconModel model = denseDial(state.range(0), state.range(1));
    for (auto _ : state) benchmark::DoNotOptimize(iconSvg(model, Camera{}));
}
BENCHMARK(DenseRings)
    ->Args({500, 0})
    ->Args({2000, 0})
    ->Args({10000, 0})
    ->Args({10000, 10000})
    ->ArgNames({"rings", "knurl"})
    ->Unit(benchmark::kMillisecond);

}  // namespace
