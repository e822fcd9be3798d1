// Writes the image decoder's seed corpus into the folder named on the command line: a few small
// files of each format in its common layouts, and damaged ones (truncated, a bomb header).
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "bmp_bytes.hpp"
#include "support/writers.hpp"

using namespace image_io;
using writers::Bytes;

namespace {

std::vector<std::uint8_t> pattern(int width, int height, int channels) {
    std::vector<std::uint8_t> samples;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            for (int c = 0; c < channels; ++c)
                samples.push_back(static_cast<std::uint8_t>((x * 40 + y * 25 + c * 90) % 256));
        }
    }
    return samples;
}

std::vector<std::uint16_t> wide(const std::vector<std::uint8_t>& samples, int bits) {
    std::vector<std::uint16_t> out;
    for (const std::uint8_t s : samples)
        out.push_back(bits == 16 ? static_cast<std::uint16_t>(s * 257) : s >> (8 - bits));
    return out;
}

writers::PngSpec png(int colourType, int bits, int channels) {
    writers::PngSpec spec;
    spec.width = 7;
    spec.height = 5;
    spec.colourType = colourType;
    spec.bitDepth = bits;
    spec.samples = wide(pattern(7, 5, channels), bits);
    return spec;
}

writers::TiffSpec tiff(int photometric, int channels, int bits, int compression) {
    writers::TiffSpec spec;
    spec.width = 9;
    spec.height = 6;
    spec.photometric = photometric;
    spec.samplesPerPixel = channels;
    spec.bitsPerSample = bits;
    spec.compression = compression;
    spec.samples = wide(pattern(9, 6, channels), bits);
    return spec;
}

Bytes truncated(Bytes bytes) {
    bytes.resize(bytes.size() * 2 / 3);
    return bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::filesystem::path folder = argv[1];
    std::filesystem::create_directories(folder);
    int written = 0;
    const auto save = [&](const std::string& name, const Bytes& bytes) {
        std::ofstream(folder / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        ++written;
    };

    // PNG
    for (const int bits : {1, 2, 4, 8, 16}) save("png-grey" + std::to_string(bits), writers::writePng(png(0, bits, 1)));
    save("png-rgb16", writers::writePng(png(2, 16, 3)));
    save("png-grey-alpha", writers::writePng(png(4, 8, 2)));
    writers::PngSpec palette = png(3, 4, 1);
    for (int i = 0; i < 16; ++i)
        palette.palette.push_back({static_cast<std::uint8_t>(i * 16), 50, static_cast<std::uint8_t>(255 - i * 16)});
    palette.paletteAlpha = {0, 64, 128};
    save("png-palette-trns", writers::writePng(palette));
    writers::PngSpec interlaced = png(6, 8, 4);
    interlaced.interlaced = true;
    interlaced.exifOrientation = 6;
    save("png-rgba-interlaced-exif", writers::writePng(interlaced));
    save("png-truncated", truncated(writers::writePng(png(2, 8, 3))));
    Bytes bomb = writers::writePng(png(2, 8, 3));
    bomb[16] = 0;
    bomb[17] = 1;
    bomb[18] = 0x11;
    bomb[19] = 0x70;  // 70000 wide (the header checksum now fails too)
    save("png-bomb", bomb);

    // JPEG
    const auto jpeg = [](int components, bool progressive, int orientation, bool arithmetic = false) {
        writers::JpegSpec spec;
        spec.width = 16;
        spec.height = 8;
        spec.components = components;
        spec.samples = pattern(16, 8, components);
        spec.quality = 50;
        spec.progressive = progressive;
        spec.exifOrientation = orientation;
        spec.arithmetic = arithmetic;
        return writers::writeJpeg(spec);
    };
    save("jpeg-grey", jpeg(1, false, 0));
    save("jpeg-rgb-exif", jpeg(3, false, 6));
    save("jpeg-progressive", jpeg(3, true, 0));
    save("jpeg-cmyk", jpeg(4, false, 0));
    save("jpeg-truncated", truncated(jpeg(3, false, 0)));
    save("jpeg-arithmetic", jpeg(3, false, 0, true));
    save("jpeg-progressive-arithmetic", jpeg(3, true, 0, true));

    // TIFF
    save("tiff-grey", writers::writeTiff(tiff(1, 1, 8, 1)));
    writers::TiffSpec tiffPalette = tiff(3, 1, 8, 32773);
    tiffPalette.colourMap = {std::vector<std::uint16_t>(256, 1000), std::vector<std::uint16_t>(256, 30000),
                             std::vector<std::uint16_t>(256, 65535)};
    save("tiff-palette-packbits", writers::writeTiff(tiffPalette));
    save("tiff-rgb16-deflate", writers::writeTiff(tiff(2, 3, 16, 8)));
    save("tiff-cmyk-lzw", writers::writeTiff(tiff(5, 4, 8, 5)));
    writers::TiffSpec alpha = tiff(2, 4, 8, 1);
    alpha.extraSample = 2;
    alpha.orientation = 6;
    save("tiff-unassociated-alpha-oriented", writers::writeTiff(alpha));
    writers::TiffSpec tiled = tiff(2, 3, 8, 5);
    tiled.width = 20;
    tiled.height = 18;
    tiled.samples = wide(pattern(20, 18, 3), 8);
    tiled.tileSide = 16;
    save("tiff-tiled-lzw", writers::writeTiff(tiled));
    writers::TiffSpec fax = tiff(0, 1, 1, 4);
    fax.width = 24;
    fax.height = 6;
    fax.samples.assign(24 * 6, 0);
    for (int y = 0; y < 6; ++y)
        fax.samples[static_cast<std::size_t>(y) * 24] = static_cast<std::uint16_t>(0x3C << (y % 3));
    save("tiff-g4", writers::writeTiff(fax));

    // WebP
    const std::vector<std::uint8_t> rgba = pattern(8, 8, 4);
    save("webp-lossless-alpha", writers::writeWebpLossless(8, 8, rgba));
    save("webp-lossy-exif", writers::addWebpExif(writers::writeWebpLossy(8, 8, rgba, 30), 3));
    save("webp-animated", writers::writeWebpAnimation(4, 4, {pattern(4, 4, 4), std::vector<std::uint8_t>(64, 200)}));
    save("webp-truncated", truncated(writers::writeWebpLossless(8, 8, rgba)));

    // GIF
    writers::GifFrame frame;
    frame.left = 1;
    frame.top = 1;
    frame.width = 6;
    frame.height = 9;
    frame.interlaced = true;
    frame.transparentIndex = 2;
    for (const std::uint8_t v : pattern(6, 9, 1)) frame.indices.push_back(v % 4);
    writers::GifFrame second = frame;
    second.interlaced = false;
    second.localColours = {{1, 2, 3}, {4, 5, 6}, {7, 8, 9}, {10, 11, 12}};
    const std::vector<std::array<std::uint8_t, 3>> colours = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    save("gif-interlaced-transparent", writers::writeGif(8, 11, colours, {frame}));
    save("gif-two-frames", writers::writeGif(8, 11, colours, {second, frame}));
    save("gif-truncated", truncated(writers::writeGif(8, 11, colours, {frame})));
    save("gif-screen-around-frame", writers::writeGif(40, 30, colours, {frame}));

    // BMP
    test::BmpSpec bmp8{40, 5, 3, 8, 0, {{0, 0, 0}, {255, 255, 255}, {255, 0, 0}, {0, 0, 255}}, {}, {}};
    for (int y = 0; y < 3; ++y) bmp8.pixelData.insert(bmp8.pixelData.end(), {0, 1, 2, 3, 1, 0, 0, 0});
    save("bmp-8-bit-bottom-up", test::bmpFile(bmp8));
    test::BmpSpec bmp1 = bmp8;
    bmp1.bits = 1;
    bmp1.palette.resize(2);
    bmp1.pixelData = {0xA8, 0, 0, 0, 0x50, 0, 0, 0, 0xF8, 0, 0, 0};
    save("bmp-1-bit", test::bmpFile(bmp1));
    test::BmpSpec bmp24{40, 3, -2, 24, 0, {}, {}, {}};
    bmp24.pixelData = pattern(12, 2, 1);
    save("bmp-24-bit-top-down", test::bmpFile(bmp24));
    test::BmpSpec bmp32{108, 3, 2, 32, 3, {}, {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000}, pattern(3, 2, 4)};
    save("bmp-32-bit-fields", test::bmpFile(bmp32));
    test::BmpSpec bmp16{40, 2, 2, 16, 3, {}, {0xF800, 0x07E0, 0x001F, 0}, pattern(4, 2, 1)};
    save("bmp-16-bit-565", test::bmpFile(bmp16));
    test::BmpSpec rle8 = bmp8;
    rle8.compression = 1;
    rle8.pixelData = {2, 1, 0, 0, 3, 2, 0, 1};
    save("bmp-rle8", test::bmpFile(rle8));

    // HEIC, when this machine can write one.
    // Sizes off the coding blocks are written as a grid of one tile; a turn or a mirror as
    // transform properties; 10 bits where the encoder has them.
    if (const auto heic = writers::writeHeic(16, 16, pattern(16, 16, 3))) save("heic", *heic);
    if (const auto heic = writers::writeHeic(24, 20, pattern(24, 20, 3), 6)) save("heic-grid-turned", *heic);
    if (const auto heic = writers::writeHeic(16, 16, pattern(16, 16, 3), 2, 10)) save("heic-10-bit-mirror", *heic);

    std::printf("wrote %d seeds\n", written);
    return 0;
}
