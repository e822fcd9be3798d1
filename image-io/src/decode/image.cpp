#include "image_io/image.hpp"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "decode/decoders.hpp"
#include "decode/orientation.hpp"
#include "pixels/pixels.hpp"

namespace image_io {

namespace detail {

bool hasMagic(Bytes bytes, std::string_view magic, std::size_t at) {
    return bytes.size() >= at + magic.size() && std::memcmp(bytes.data() + at, magic.data(), magic.size()) == 0;
}

const Decoder* findDecoder(Bytes bytes) {
    // In the order the magic bytes are tried: the loosest checks last.
    static constexpr std::array table = {&pngDecoder,  &jpegDecoder, &gifDecoder, &webpDecoder,
                                         &tiffDecoder, &heifDecoder, &bmpDecoder};
    for (const Decoder* decoder : table) {
        if (decoder->recognises(bytes)) return decoder;
    }
    return nullptr;
}

}  // namespace detail

namespace {

const detail::Decoder& decoderOf(std::span<const std::uint8_t> bytes) {
    const detail::Decoder* decoder = detail::findDecoder(bytes);
    if (decoder == nullptr) throw ImageIOError(ImageErrorKind::unknownFormat, "not an image in a known format");
    return *decoder;
}

// The size the header declares, refused when the file is too small to hold it.
detail::StoredSize backedSize(const detail::Decoder& decoder, std::span<const std::uint8_t> bytes) {
    const detail::StoredSize size = decoder.size(bytes);
    detail::checkBacked(std::int64_t{size.width} * size.height * decoder.pixelCost, bytes.size(),
                        {size.width, size.height});
    return size;
}

}  // namespace

std::optional<ImageFormat> sniffFormat(std::span<const std::uint8_t> bytes) {
    const detail::Decoder* decoder = detail::findDecoder(bytes);
    if (decoder == nullptr) return std::nullopt;
    return decoder->format;
}

ImageHeader readHeader(std::span<const std::uint8_t> bytes) {
    const detail::Decoder& decoder = decoderOf(bytes);
    const detail::StoredSize size = backedSize(decoder, bytes);
    return {size.width, size.height, decoder.format};
}

RgbaImage decode(std::span<const std::uint8_t> bytes, const DecodeOptions& options) {
    const detail::Decoder& decoder = decoderOf(bytes);
    (void)backedSize(decoder, bytes);
    detail::DecodedImage decoded = decoder.decode(bytes, options);
    RgbaImage image = std::move(decoded.image);
    convertAlpha(image, options.alpha);
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

    // The row as the decoder gives it, or already in the mode asked when decoded whole.
    std::uint8_t* read(int y) {
        const std::size_t stride = static_cast<std::size_t>(width()) * 4;
        if (!rows_) return whole_.pixels.data() + static_cast<std::size_t>(y) * stride;
        // A decoder that failed once is left in no state to go on.
        if (broken_) throw ImageIOError(ImageErrorKind::damaged, "image data could not be read");
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
    AlphaMode alpha() const { return rows_ ? rows_->alpha() : whole_.alpha; }

private:
    std::unique_ptr<detail::RowSource> rows_;
    RgbaImage whole_;
    std::vector<std::uint8_t> row_;
    bool broken_ = false;
};

RowReader::RowReader(std::span<const std::uint8_t> bytes, AlphaMode alpha) : alpha_(alpha) {
    const detail::Decoder& decoder = decoderOf(bytes);
    if (decoder.rows != nullptr) {
        (void)backedSize(decoder, bytes);
        source_ = std::make_unique<Source>(decoder.rows(bytes, {}));
    } else {
        source_ = std::make_unique<Source>(decode(bytes, {.alpha = alpha}));
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
    if (rowsRead_ >= height_) throw ImageIOError(ImageErrorKind::damaged, "no rows left");
    std::uint8_t* row = source_->read(rowsRead_);
    const std::span<std::uint8_t> bytes(row, static_cast<std::size_t>(width_) * 4);
    if (source_->alpha() != alpha_) {
        if (alpha_ == AlphaMode::premultiplied) {
            premultiply(bytes);
        } else {
            unpremultiply(bytes);
        }
    }
    ++rowsRead_;
    return bytes;
}

}  // namespace image_io
