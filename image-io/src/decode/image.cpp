#include "image_io/image.hpp"

#include <algorithm>
#include <cstring>
#include <string_view>

#include "decode/decoders.hpp"
#include "decode/pixels.hpp"

namespace image_io {

namespace {

bool startsWith(std::span<const std::uint8_t> bytes, std::string_view magic, std::size_t at = 0) {
    return bytes.size() >= at + magic.size() && std::memcmp(bytes.data() + at, magic.data(), magic.size()) == 0;
}

// An ISO base media file whose major or compatible brands name a HEIF image.
bool isHeif(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 16 || !startsWith(bytes, "ftyp", 4)) return false;
    const std::size_t boxSize = (std::size_t{bytes[0]} << 24) | (bytes[1] << 16) | (bytes[2] << 8) | bytes[3];
    const std::size_t end = std::min(boxSize, bytes.size());
    static constexpr std::string_view brands[] = {"heic", "heix", "heim", "heis", "hevc",
                                                  "hevx", "mif1", "msf1", "avif", "avis"};
    const auto named = [&](std::size_t at) {
        return std::any_of(std::begin(brands), std::end(brands),
                           [&](std::string_view brand) { return startsWith(bytes, brand, at); });
    };
    if (named(8)) return true;
    for (std::size_t at = 16; at + 4 <= end; at += 4) {
        if (named(at)) return true;
    }
    return false;
}

bool isBmp(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < 18 || !startsWith(bytes, "BM")) return false;
    const std::uint32_t infoSize = bytes[14] | (bytes[15] << 8) | (bytes[16] << 16) | (std::uint32_t{bytes[17]} << 24);
    return infoSize == 12 || infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 64 || infoSize == 108 ||
           infoSize == 124;
}

ImageFormat formatOf(std::span<const std::uint8_t> bytes) {
    const std::optional<ImageFormat> format = sniffFormat(bytes);
    if (!format) throw ImageIOError("not an image in a known format");
    return *format;
}

detail::DecodedImage decodeStored(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
    switch (formatOf(bytes)) {
        case ImageFormat::png:
            return detail::decodePng(bytes, options);
        case ImageFormat::jpeg:
            return detail::decodeJpeg(bytes, options);
        case ImageFormat::heif:
            return detail::decodeHeif(bytes, options);
        case ImageFormat::tiff:
            return detail::decodeTiff(bytes, options);
        case ImageFormat::webp:
            return detail::decodeWebp(bytes, options);
        case ImageFormat::gif:
            return detail::decodeGif(bytes, options);
        case ImageFormat::bmp:
            return detail::decodeBmp(bytes, options);
    }
    throw ImageIOError("not an image in a known format");
}

}  // namespace

std::optional<ImageFormat> sniffFormat(std::span<const std::uint8_t> bytes) {
    if (startsWith(bytes, "\x89PNG\r\n\x1a\n")) return ImageFormat::png;
    if (startsWith(bytes, "\xFF\xD8\xFF")) return ImageFormat::jpeg;
    if (startsWith(bytes, "GIF87a") || startsWith(bytes, "GIF89a")) return ImageFormat::gif;
    if (startsWith(bytes, "RIFF") && startsWith(bytes, "WEBP", 8)) return ImageFormat::webp;
    if (startsWith(bytes, std::string_view("II*\0", 4)) || startsWith(bytes, std::string_view("MM\0*", 4)) ||
        startsWith(bytes, std::string_view("II+\0", 4)) || startsWith(bytes, std::string_view("MM\0+", 4))) {
        return ImageFormat::tiff;
    }
    if (isHeif(bytes)) return ImageFormat::heif;
    if (isBmp(bytes)) return ImageFormat::bmp;
    return std::nullopt;
}

ImageHeader readHeader(std::span<const std::uint8_t> bytes) {
    const ImageFormat format = formatOf(bytes);
    detail::StoredSize size;
    switch (format) {
        case ImageFormat::png:
            size = detail::pngSize(bytes);
            break;
        case ImageFormat::jpeg:
            size = detail::jpegSize(bytes);
            break;
        case ImageFormat::heif:
            size = detail::heifSize(bytes);
            break;
        case ImageFormat::tiff:
            size = detail::tiffSize(bytes);
            break;
        case ImageFormat::webp:
            size = detail::webpSize(bytes);
            break;
        case ImageFormat::gif:
            size = detail::gifSize(bytes);
            break;
        case ImageFormat::bmp:
            size = detail::bmpSize(bytes);
            break;
    }
    return {size.width, size.height, format};
}

RgbaImage decode(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
    detail::DecodedImage decoded = decodeStored(bytes, options);
    RgbaImage image = std::move(decoded.image);
    detail::convertAlpha(image, options.alpha);
    if (options.applyOrientation) image = detail::orient(std::move(image), decoded.orientation);
    return image;
}

// Rows from a streaming decoder, or from an image decoded whole.
class RowReader::Source {
public:
    explicit Source(std::unique_ptr<detail::RowSource> rows) : rows_(std::move(rows)) {}
    explicit Source(RgbaImage whole) : whole_(std::move(whole)) {}

    int width() const { return rows_ ? rows_->width() : whole_.width; }
    int height() const { return rows_ ? rows_->height() : whole_.height; }

    // The row in straight alpha, or already in the mode asked when decoded whole.
    std::uint8_t* read(int y) {
        const std::size_t stride = static_cast<std::size_t>(width()) * 4;
        if (!rows_) return whole_.pixels.data() + static_cast<std::size_t>(y) * stride;
        // A decoder that failed once is left in no state to go on.
        if (broken_) throw ImageIOError("image data could not be read");
        row_.resize(stride);
        try {
            rows_->readRow(row_.data());
        } catch (...) {
            broken_ = true;
            throw;
        }
        return row_.data();
    }
    bool streams() const { return rows_ != nullptr; }

private:
    std::unique_ptr<detail::RowSource> rows_;
    RgbaImage whole_;
    std::vector<std::uint8_t> row_;
    bool broken_ = false;
};

RowReader::RowReader(std::span<const std::uint8_t> bytes, AlphaMode alpha) : alpha_(alpha) {
    switch (formatOf(bytes)) {
        case ImageFormat::png:
            source_ = std::make_unique<Source>(detail::pngRows(bytes));
            break;
        case ImageFormat::jpeg:
            source_ = std::make_unique<Source>(detail::jpegRows(bytes));
            break;
        default:
            source_ = std::make_unique<Source>(decode(bytes, {.alpha = alpha}));
            break;
    }
    width_ = source_->width();
    height_ = source_->height();
}

RowReader::~RowReader() = default;

int RowReader::width() const {
    return width_;
}
int RowReader::height() const {
    return height_;
}

std::span<const std::uint8_t> RowReader::nextRow() {
    if (rowsRead_ >= height_) throw ImageIOError("no rows left");
    std::uint8_t* row = source_->read(rowsRead_);
    const std::span<std::uint8_t> bytes(row, static_cast<std::size_t>(width_) * 4);
    if (source_->streams() && alpha_ == AlphaMode::premultiplied) detail::premultiply(bytes);
    ++rowsRead_;
    return bytes;
}

}  // namespace image_io
