#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "image_io/image.hpp"

// The format decoders behind decode(), readHeader() and RowReader.
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

// Each decoder checks the caps from its header before any pixel buffer exists and throws
// ImageIOError for anything it cannot read. `options.alpha` and `applyOrientation` are hints: the
// caller converts the alpha and applies `orientation`.
StoredSize pngSize(Bytes bytes);
DecodedImage decodePng(Bytes bytes, const DecodeOptions& options);
StoredSize jpegSize(Bytes bytes);
DecodedImage decodeJpeg(Bytes bytes, const DecodeOptions& options);
StoredSize heifSize(Bytes bytes);
DecodedImage decodeHeif(Bytes bytes, const DecodeOptions& options);
StoredSize tiffSize(Bytes bytes);
DecodedImage decodeTiff(Bytes bytes, const DecodeOptions& options);
StoredSize webpSize(Bytes bytes);
DecodedImage decodeWebp(Bytes bytes, const DecodeOptions& options);
StoredSize gifSize(Bytes bytes);
DecodedImage decodeGif(Bytes bytes, const DecodeOptions& options);
StoredSize bmpSize(Bytes bytes);
DecodedImage decodeBmp(Bytes bytes, const DecodeOptions& options);

// Rows of an image as stored, in straight alpha, one at a time.
class RowSource {
public:
    virtual ~RowSource() = default;
    virtual int width() const = 0;
    virtual int height() const = 0;
    // Fills width*4 bytes with the next row (straight alpha); throws ImageIOError.
    virtual void readRow(std::uint8_t* row) = 0;
};

std::unique_ptr<RowSource> pngRows(Bytes bytes);
std::unique_ptr<RowSource> jpegRows(Bytes bytes);

}  // namespace image_io::detail
