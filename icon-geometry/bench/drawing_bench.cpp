// Ink composition of a realistic body: a thermostat face of about fifty strokes,
// fills and holes, and the same face in front of a wall plate.
#include <benchmark/benchmark.h>

#include "drawing/ink_region.hpp"
#include "icon_geometry/face_detail.hpp"
#include "icon_geometry/icon_drawing.hpp"
#include "icon_geometry/svg_writer.hpp"

using namespace icon_geometry;

namespace {

IconBody thermostatFace() {
    const double scale = 6.5;
    const AffineTransform toCanvas = AffineTransform::translation(480, 500).scaledBy(scale, scale);
    const std::vector<FaceDetail> details{
        FaceDetail::screen({0, -30}, 70, 36, 5),
        FaceDetail::pictogram(Pictogram::thermometer, {-24, -30}, 14),
        FaceDetail::pictogram(Pictogram::sun, {22, -30}, 14),
        FaceDetail::button(FaceShape::capsule(16, 9), {-27, 8}, DetailStyle::automatic),
        FaceDetail::button(FaceShape::capsule(16, 9), {-9, 8}, DetailStyle::automatic),
        FaceDetail::button(FaceShape::capsule(16, 9), {9, 8}, DetailStyle::automatic),
        FaceDetail::button(FaceShape::superellipse(16, 9, 4), {27, 8}, DetailStyle::automatic),
        FaceDetail::pictogram(Pictogram::minus, {-27, 8}, 6),
        FaceDetail::pictogram(Pictogram::plus, {-9, 8}, 6),
        FaceDetail::pictogram(Pictogram::power, {27, 8}, 6),
        FaceDetail::indicator({0, 24}, 2, DetailStyle::fill),
        FaceDetail::dotGrid({-30, 44}, 6, 6, 2.4, 1.1, true, DetailStyle::fill),
        FaceDetail::separator({-60, 30}, {60, 30}),
        FaceDetail::slot({8, 44}, {44, 44}, 4),
        FaceDetail::imported(FaceShape::ellipsePath(4, 4).translated(0, -62), DetailStyle::hole),
    };
    IconBody body;
    body.elements.push_back(IconElement::stroke(FaceShape::superellipse(820, 820, 5).outline().translated(480, 500),
                                                StrokeWeight::outer()));
    for (const FaceDetail& d : details)
        for (const IconElement& e : d.geometry(scale)) body.elements.push_back(e.applying(toCanvas));
    body.occluder = FaceShape::superellipse(860, 860, 5).outline().translated(480, 500);
    return body;
}

IconDrawing plateAndFace() {
    const BezierPath plate = FaceShape::roundedRectanglePath(900, 900, 90).translated(480, 480);
    return IconDrawing{{IconBody{{IconElement::stroke(plate, StrokeWeight::outer())}, plate}, thermostatFace()}};
}

void BodyInk(benchmark::State& state) {
    const IconBody body = thermostatFace();
    state.counters["elements"] = static_cast<double>(body.elements.size());
    for (auto _ : state) benchmark::DoNotOptimize(inkRegion(body));
}
BENCHMARK(BodyInk)->Unit(benchmark::kMillisecond);

void DrawingDocument(benchmark::State& state) {
    const IconDrawing drawing = plateAndFace();
    for (auto _ : state) benchmark::DoNotOptimize(SVGWriter::drawingDocument(drawing));
}
BENCHMARK(DrawingDocument)->Unit(benchmark::kMillisecond);

void DetailGeometry(benchmark::State& state) {
    const FaceDetail grid = FaceDetail::dotGrid({0, 0}, 64, 64, 1, 0.5, true, DetailStyle::automatic);
    for (auto _ : state) benchmark::DoNotOptimize(grid.geometry(6));
}
BENCHMARK(DetailGeometry)->Unit(benchmark::kMicrosecond);

}  // namespace
