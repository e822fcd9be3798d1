#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <utility>

#include "image_io/rgba_image.hpp"

namespace image_io {

enum class ImageFormat { png, jpeg, heif, tiff, webp, gif, bmp };

struct ImageHeader {
    int width = 0;
    int height = 0;
    ImageFormat format{};
    bool operator==(const ImageHeader&) const = default;
};

struct DecodeOptions {
    AlphaMode alpha = AlphaMode::premultiplied;
    bool applyOrientation = false;  // EXIF / eXIf / TIFF tag / HEIF transforms, only when asked; a HEIF
                                    // image is then also cropped to its clean aperture
    int maxSideHint = 0;            // > 0: a JPEG may be decoded scaled by 1/2..1/8 while its
                                    // longer side stays >= the hint (never below it)
};

// Format from the magic bytes, never from a name.
[[nodiscard]] std::optional<ImageFormat> sniffFormat(std::span<const std::uint8_t> bytes);

// Size as stored (before orientation); throws ImageIOError when unreadable or over the caps.
[[nodiscard]] ImageHeader readHeader(std::span<const std::uint8_t> bytes);

// Throws ImageIOError on anything unreadable, truncated, corrupt or over the caps (checked from
// the header before any pixel buffer exists).
[[nodiscard]] RgbaImage decode(std::span<const std::uint8_t> bytes, const DecodeOptions& = {});

// The size a width × height image takes when its longer side is brought down to `maxSide` (never
// enlarged): the shorter side rounded half away from zero, at least 1.
[[nodiscard]] std::pair<int, int> fittedSize(int width, int height, int maxSide);

// decode() with the orientation applied, shrunk when its longer side is above `maxSide` to
// fittedSize(), each pixel the area average of those it covers (in premultiplied alpha). PNG,
// JPEG and TIFF rows are averaged into the smaller image as they are decoded (a JPEG also decoded scaled
// by 1/2 to 1/8 where it stays at or above `maxSide`), so the full-size image never exists; the
// other formats are decoded whole first. Throws ImageIOError.
[[nodiscard]] RgbaImage decodeFitted(std::span<const std::uint8_t> bytes, int maxSide,
                                     AlphaMode alpha = AlphaMode::premultiplied);

// Streaming rows for PNG, JPEG and TIFF (other formats: decoded whole, then served by rows), image
// as stored (no orientation). Holds one row (a TIFF: one band of strips or tiles) at a time where
// the format allows. The bytes must stay
// alive while the reader is used.
class RowReader {
public:
    explicit RowReader(std::span<const std::uint8_t> bytes, AlphaMode = AlphaMode::premultiplied);  // throws
    ~RowReader();
    RowReader(const RowReader&) = delete;
    RowReader& operator=(const RowReader&) = delete;

    int width() const;
    int height() const;
    // The next row, width*4 RGBA bytes; throws ImageIOError on corrupt data or when every row has
    // been read. Valid until the next call.
    std::span<const std::uint8_t> nextRow();

    class Source;

private:
    std::unique_ptr<Source> source_;
    AlphaMode alpha_;
    int width_ = 0;
    int height_ = 0;
    int rowsRead_ = 0;
};

}  // namespace image_io
