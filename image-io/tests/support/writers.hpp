#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// Image files written at run time by each format's own library, for the tests, the fuzz seeds
// and the benchmarks (no binary fixtures).
namespace image_io::writers {

using Bytes = std::vector<std::uint8_t>;

// An EXIF block (TIFF header, no "Exif" prefix) holding only an orientation.
Bytes exifWithOrientation(int orientation);

struct PngSpec {
    int width = 1;
    int height = 1;
    int colourType = 2;  // PNG colour type: 0 grey, 2 RGB, 3 palette, 4 grey+alpha, 6 RGBA
    int bitDepth = 8;
    bool interlaced = false;
    std::vector<std::uint16_t> samples;  // row by row, pixel by pixel, channel by channel, as stored
    std::vector<std::array<std::uint8_t, 3>> palette;
    std::vector<std::uint8_t> paletteAlpha;                      // tRNS of a palette image
    std::optional<std::array<std::uint16_t, 3>> transparentKey;  // tRNS of grey (first value) or RGB
    int exifOrientation = 0;                                     // 0: no eXIf chunk
};
Bytes writePng(const PngSpec& spec);

struct JpegSpec {
    int width = 1;
    int height = 1;
    int components = 3;  // 1 grey, 3 RGB, 4 CMYK
    std::vector<std::uint8_t> samples;
    int quality = 95;
    bool adobeMarker = true;  // CMYK only: false writes plain (not inverted) inks without the marker
    bool ycck = false;        // CMYK only: stored as YCCK
    bool progressive = false;
    bool arithmetic = false;          // arithmetic coding instead of Huffman
    bool scanPerCoefficient = false;  // progressive: each coefficient of each component in two scans of its own
    int exifOrientation = 0;
};
Bytes writeJpeg(const JpegSpec& spec);

struct TiffSpec {
    int width = 1;
    int height = 1;
    int photometric = 2;  // TIFF photometric: 0/1 grey, 2 RGB, 3 palette, 5 separated (CMYK)
    int samplesPerPixel = 3;
    int bitsPerSample = 8;
    int compression = 1;   // 1 none, 5 LZW, 8 Deflate, 32773 PackBits
    int extraSample = -1;  // -1 none, else the EXTRASAMPLES kind (1 associated, 2 unassociated alpha)
    int tileSide = 0;      // > 0: tiles of that side (a multiple of 16)
    int orientation = 0;   // 0: no tag
    std::vector<std::uint16_t> samples;
    std::array<std::vector<std::uint16_t>, 3> colourMap;
};
Bytes writeTiff(const TiffSpec& spec);

// RGBA straight pixels.
Bytes writeWebpLossless(int width, int height, const std::vector<std::uint8_t>& rgba);
Bytes writeWebpLossy(int width, int height, const std::vector<std::uint8_t>& rgba, float quality = 90);
Bytes addWebpExif(const Bytes& webp, int orientation);
Bytes writeWebpAnimation(int width, int height, const std::vector<std::vector<std::uint8_t>>& frames);

struct GifFrame {
    int left = 0;
    int top = 0;
    int width = 1;
    int height = 1;
    bool interlaced = false;
    int transparentIndex = -1;
    std::vector<std::uint8_t> indices;  // rows top to bottom (written interlaced when asked)
    std::vector<std::array<std::uint8_t, 3>> localColours;
};
Bytes writeGif(int screenWidth, int screenHeight, const std::vector<std::array<std::uint8_t, 3>>& globalColours,
               const std::vector<GifFrame>& frames);

// HEIC from straight RGB (8-bit values, stored at `bitDepth`); std::nullopt when libheif has no
// HEVC encoder here, or none for that depth.
std::optional<Bytes> writeHeic(int width, int height, const std::vector<std::uint8_t>& rgb, int orientation = 1,
                               int bitDepth = 8);

// A photo-like RGBA image (gradients, shapes and fine texture), deterministic.
std::vector<std::uint8_t> photoLike(int width, int height);

}  // namespace image_io::writers
