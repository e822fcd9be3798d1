#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

#include "image_io/image.hpp"

// The format decoders behind decode(), readHeader() and RowReader: one entry a format.
namespace image_io::detail {

using Bytes = std::span<const std::uint8_t>;

struct StoredSize {
    int width = 0;
    int height = 0;
};

// An image as a decoder made it: alpha straight or premultiplied as the format stores it, and
// the orientation still to be applied (1 when there is none, or the decoder applied it itself).
struct DecodedImage {
    RgbaImage image;
    int orientation = 1;
};

// Rows of an image as stored, one at a time, in the alpha mode alpha() says.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Fills width*4 bytes with the next row; throws ImageIOError.
    virtual void readRow(std::uint8_t* row) = 0;
    virtual AlphaMode alpha() const { return AlphaMode::straight; }
    // The orientation the file stores, known once every row has been read.
    virtual int orientation() { return 1; }
};

// One format. `recognises` looks at the magic bytes only. `size` and `decode` check the caps
// from the header before any pixel buffer exists and throw ImageIOError for anything they cannot
// read; `options.alpha` and `applyOrientation` are hints: the caller converts the alpha and
// applies `orientation`. `rows` is null for a format that is decoded whole, then served by rows;
// it heeds `options.maxSideHint` only.
struct Decoder {
    ImageFormat format;
    // What a pixel costs to decode against the cheapest formats: a file may claim that many
    // times fewer pixels.
    int pixelCost;
    bool (*recognises)(Bytes bytes);
    StoredSize (*size)(Bytes bytes);
    DecodedImage (*decode)(Bytes bytes, const DecodeOptions& options);
    std::unique_ptr<RowSource> (*rows)(Bytes bytes, const DecodeOptions& options);
};

extern const Decoder pngDecoder;
extern const Decoder jpegDecoder;
extern const Decoder heifDecoder;
extern const Decoder tiffDecoder;
extern const Decoder webpDecoder;
extern const Decoder gifDecoder;
extern const Decoder bmpDecoder;

// The decoder whose magic bytes these are, or null.
[[nodiscard]] const Decoder* findDecoder(Bytes bytes);

// Whether `bytes` holds `magic` at `at`.
[[nodiscard]] bool hasMagic(Bytes bytes, std::string_view magic, std::size_t at = 0);

}  // namespace image_io::detail
