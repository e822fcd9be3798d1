// Decoding a 12-megapixel photo-like image (4000 × 3000, gradients, shapes and grain) in each
// format a photo commonly arrives in. The files are written once, at start-up.
#include <benchmark/benchmark.h>

#include <optional>
#include <vector>

#include "image_io/image.hpp"
#include "image_io/png_encoder.hpp"
#include "support/writers.hpp"

namespace {

using namespace image_io;

constexpr int photoWidth = 4000;
constexpr int photoHeight = 3000;

const std::vector<std::uint8_t>& photo() {
    static const std::vector<std::uint8_t> pixels = writers::photoLike(photoWidth, photoHeight);
    return pixels;
}

std::vector<std::uint8_t> rgb() {
    std::vector<std::uint8_t> out;
    out.reserve(photo().size() / 4 * 3);
    for (std::size_t i = 0; i < photo().size(); i += 4)
        out.insert(out.end(), {photo()[i], photo()[i + 1], photo()[i + 2]});
    return out;
}

const writers::Bytes& file(ImageFormat format) {
    static const writers::Bytes png = encodePngRgb(photoWidth, photoHeight, rgb());
    static const writers::Bytes jpeg = [] {
        writers::JpegSpec spec;
        spec.width = photoWidth;
        spec.height = photoHeight;
        spec.samples = rgb();
        spec.quality = 90;
        return writers::writeJpeg(spec);
    }();
    static const writers::Bytes tiff = [] {
        writers::TiffSpec spec;
        spec.width = photoWidth;
        spec.height = photoHeight;
        spec.compression = 5;
        for (const std::uint8_t v : rgb()) spec.samples.push_back(v);
        return writers::writeTiff(spec);
    }();
    static const writers::Bytes webp = writers::writeWebpLossy(photoWidth, photoHeight, photo(), 80);
    switch (format) {
        case ImageFormat::png:
            return png;
        case ImageFormat::jpeg:
            return jpeg;
        case ImageFormat::tiff:
            return tiff;
        default:
            return webp;
    }
}

void decodePhoto(benchmark::State& state, ImageFormat format) {
    const writers::Bytes& bytes = file(format);
    for (auto _ : state) {
        RgbaImage image = decode(bytes);
        benchmark::DoNotOptimize(image.pixels.data());
    }
    state.counters["file_MB"] = static_cast<double>(bytes.size()) / 1e6;
}

void rowsOfPhoto(benchmark::State& state, ImageFormat format) {
    const writers::Bytes& bytes = file(format);
    for (auto _ : state) {
        RowReader reader(bytes);
        for (int y = 0; y < reader.height(); ++y) benchmark::DoNotOptimize(reader.nextRow().data());
    }
}

// A photo shrunk while it is decoded, as photos are on their way to their working size.
void fitPhoto(benchmark::State& state, ImageFormat format) {
    const writers::Bytes& bytes = file(format);
    for (auto _ : state) {
        RgbaImage image = decodeFitted(bytes, 2000);
        benchmark::DoNotOptimize(image.pixels.data());
    }
}

// A 3 Mpx HEIC (written once: HEVC encoding is slow), its coded data checked and decoded.
void decodeHeic(benchmark::State& state) {
    static const std::optional<writers::Bytes> heic = [] {
        std::vector<std::uint8_t> rgb;
        const std::vector<std::uint8_t> rgba = writers::photoLike(2000, 1500);
        for (std::size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
        return writers::writeHeic(2000, 1500, rgb);
    }();
    if (!heic) {
        state.SkipWithError("libheif has no HEVC encoder here");
        return;
    }
    for (auto _ : state) {
        RgbaImage image = decode(*heic);
        benchmark::DoNotOptimize(image.pixels.data());
    }
    state.counters["file_MB"] = static_cast<double>(heic->size()) / 1e6;
}

BENCHMARK_CAPTURE(decodePhoto, png_12MP, ImageFormat::png)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(decodePhoto, jpeg_12MP, ImageFormat::jpeg)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(decodePhoto, tiff_lzw_12MP, ImageFormat::tiff)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(decodePhoto, webp_lossy_12MP, ImageFormat::webp)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(rowsOfPhoto, png_12MP, ImageFormat::png)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(rowsOfPhoto, jpeg_12MP, ImageFormat::jpeg)->Unit(benchmark::kMillisecond)->MinTime(2);

BENCHMARK_CAPTURE(fitPhoto, png_12MP_to_2000, ImageFormat::png)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(fitPhoto, jpeg_12MP_to_2000, ImageFormat::jpeg)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK_CAPTURE(fitPhoto, tiff_lzw_12MP_to_2000, ImageFormat::tiff)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(decodeHeic)->Unit(benchmark::kMillisecond)->MinTime(2);

}  // namespace
