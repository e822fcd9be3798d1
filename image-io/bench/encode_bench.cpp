// Encoding a driver image at each of its three sides (75, 500 and 1000 px, a photo-like device on a
// clear background) as PNG and as JPEG laid on white: what a driver write spends per image.
#include <benchmark/benchmark.h>

#include <vector>

#include "image_io/jpeg_encoder.hpp"
#include "image_io/png_encoder.hpp"
#include "support/writers.hpp"

namespace {

using namespace image_io;

RgbaImage driverImage(int side) {
    RgbaImage image{side, side, AlphaMode::straight, writers::photoLike(side, side)};
    // The renderer leaves the border clear around the device.
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x)
            if (x < side / 10 || y < side / 10 || x >= side - side / 10 || y >= side - side / 10)
                image.pixels[(static_cast<std::size_t>(y) * side + x) * 4 + 3] = 0;
    return image;
}

void encodePng(benchmark::State& state) {
    const RgbaImage image = driverImage(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(encodePngRgba(image));
}

void encodeJpeg(benchmark::State& state) {
    const RgbaImage image = driverImage(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(encodeJpegOnWhite(image));
}

}  // namespace

BENCHMARK(encodePng)->Arg(75)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
BENCHMARK(encodeJpeg)->Arg(75)->Arg(500)->Arg(1000)->Unit(benchmark::kMillisecond);
