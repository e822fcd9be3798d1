// PNG through libpng's low-level interface: every colour type and depth becomes 8-bit RGBA with
// straight alpha. Colour profiles and gAMA are ignored: stored values are taken as sRGB.
#include <png.h>
#include <zlib.h>

#include <array>
#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include "decode/decoders.hpp"
#include "decode/orientation.hpp"
#include "pixels/byte_order.hpp"
#include "pixels/pixels.hpp"

namespace image_io::detail {

namespace {

// Everything the libpng callbacks reach; owned by a C++ frame, used by the setjmp stages below.
// It frees libpng's structures itself, so that a reader whose constructor throws leaks nothing.
struct PngState {
    PngState() = default;
    PngState(const PngState&) = delete;
    PngState& operator=(const PngState&) = delete;
    ~PngState() {
        if (png != nullptr) png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr);
    }

    png_structp png = nullptr;
    png_infop info = nullptr;
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
    char message[256] = {};
    int passes = 1;
};

void readCallback(png_structp png, png_bytep out, std::size_t length) {
    auto* state = static_cast<PngState*>(png_get_io_ptr(png));
    if (length > state->size - state->position) png_error(png, "file is truncated");
    std::memcpy(out, state->data + state->position, length);
    state->position += length;
}

void errorCallback(png_structp png, png_const_charp message) {
    auto* state = static_cast<PngState*>(png_get_error_ptr(png));
    std::strncpy(state->message, message != nullptr ? message : "error", sizeof state->message - 1);
    png_longjmp(png, 1);
}

void warningCallback(png_structp, png_const_charp) {}

// The stages that call into libpng. A libpng error longjmps back to the setjmp here, so these
// frames hold nothing with a destructor; the C++ callers throw once they have returned.
bool createStage(PngState* state) {
    state->png = png_create_read_struct(PNG_LIBPNG_VER_STRING, state, errorCallback, warningCallback);
    if (state->png == nullptr) return false;
    state->info = png_create_info_struct(state->png);
    return state->info != nullptr;
}

bool readInfoStage(PngState* state) {
    png_structp png = state->png;
    png_infop info = state->info;
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_read_fn(png, state, readCallback);
    png_set_user_limits(png, static_cast<png_uint_32>(maxImageSide), static_cast<png_uint_32>(maxImageSide));
    // Text and profile chunks are never used: skip them rather than inflate them.
    static const png_byte ignored[] = {'i', 'C', 'C', 'P', 0,   'z', 'T', 'X', 't', 0,   'i', 'T', 'X',
                                       't', 0,   't', 'E', 'X', 't', 0,   's', 'P', 'L', 'T', 0};
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, ignored, 5);
    png_read_info(png, info);
    return true;
}

bool setTransformsStage(PngState* state) {
    png_structp png = state->png;
    png_infop info = state->info;
    if (setjmp(png_jmpbuf(png))) return false;
    const int colorType = png_get_color_type(png, info);
    const int bitDepth = png_get_bit_depth(png, info);
    const bool hasTransparency = png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    if (colorType == PNG_COLOR_TYPE_PALETTE) png_set_palette_to_rgb(png);
    if (colorType == PNG_COLOR_TYPE_GRAY && bitDepth < 8) png_set_expand_gray_1_2_4_to_8(png);
    if (hasTransparency) png_set_tRNS_to_alpha(png);
    if (bitDepth == 16) png_set_scale_16(png);
    if (colorType == PNG_COLOR_TYPE_GRAY || colorType == PNG_COLOR_TYPE_GRAY_ALPHA) png_set_gray_to_rgb(png);
    if ((colorType & PNG_COLOR_MASK_ALPHA) == 0 && !hasTransparency) png_set_filler(png, 0xFF, PNG_FILLER_AFTER);
    state->passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool readRowStage(PngState* state, png_bytep row) {
    if (setjmp(png_jmpbuf(state->png))) return false;
    png_read_row(state->png, row, nullptr);
    return true;
}

bool readImageStage(PngState* state, png_bytepp rows) {
    if (setjmp(png_jmpbuf(state->png))) return false;
    png_read_image(state->png, rows);
    return true;
}

bool readEndStage(PngState* state) {
    if (setjmp(png_jmpbuf(state->png))) return false;
    png_read_end(state->png, state->info);
    return true;
}

// Whether the IDAT chunks inflate to at least `needed` bytes, found without keeping them.
bool inflatesToAtLeast(Bytes bytes, std::uint64_t needed) {
    z_stream stream{};
    if (inflateInit(&stream) != Z_OK) return false;
    std::array<std::uint8_t, 65536> sink{};
    std::uint64_t produced = 0;
    int status = Z_OK;
    for (std::size_t at = 8; at + 12 <= bytes.size() && produced < needed && status == Z_OK;) {
        const std::uint64_t length = bigEndian32(bytes, at);
        if (length > bytes.size() - at - 12) break;
        if (std::memcmp(bytes.data() + at + 4, "IDAT", 4) == 0) {
            stream.next_in = const_cast<Bytef*>(bytes.data() + at + 8);
            stream.avail_in = static_cast<uInt>(length);
            while (stream.avail_in > 0 && produced < needed && status == Z_OK) {
                stream.next_out = sink.data();
                stream.avail_out = static_cast<uInt>(sink.size());
                status = inflate(&stream, Z_NO_FLUSH);
                produced += sink.size() - stream.avail_out;
                if (status == Z_BUF_ERROR) status = Z_OK;  // no progress possible: the next chunk
                if (status == Z_OK && stream.avail_out == sink.size() && stream.avail_in > 0) break;
            }
        }
        at += 12 + length;
    }
    inflateEnd(&stream);
    return produced >= needed;
}

// The bytes an Adam7-interlaced image's seven passes hold, filter bytes included.
std::uint64_t interlacedDataSize(std::uint64_t width, std::uint64_t height, std::uint64_t bitsPerPixel) {
    static constexpr int passes[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8}, {2, 0, 4, 4},
                                         {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::uint64_t total = 0;
    for (const auto& [x0, y0, dx, dy] : passes) {
        const std::uint64_t columns = width > static_cast<std::uint64_t>(x0) ? (width - x0 + dx - 1) / dx : 0;
        const std::uint64_t rows = height > static_cast<std::uint64_t>(y0) ? (height - y0 + dy - 1) / dy : 0;
        if (columns > 0) total += rows * (1 + (columns * bitsPerPixel + 7) / 8);
    }
    return total;
}

bool recognisesPng(Bytes bytes) {
    return hasMagic(bytes, "\x89PNG\r\n\x1a\n");
}

// The sides of the header chunk, which a PNG holds first, judged against the caps as soon as they
// are there: an image refused for its size names the size it declares, even when what follows
// is missing.
void checkDeclaredSize(Bytes bytes) {
    if (bytes.size() < 24 || !hasMagic(bytes, "IHDR", 12)) return;
    const std::uint32_t width = bigEndian32(bytes, 16);
    const std::uint32_t height = bigEndian32(bytes, 20);
    if (width > PNG_UINT_31_MAX || height > PNG_UINT_31_MAX) return;  // libpng refuses it
    checkImageSize(width, height);
}

// A PNG being read: the libpng structures, freed on every way out.
class PngReading {
public:
    explicit PngReading(Bytes bytes) {
        state_.data = bytes.data();
        state_.size = bytes.size();
        if (!recognisesPng(bytes)) throw ImageIOError(ImageErrorKind::unknownFormat, "not a PNG file");
        checkDeclaredSize(bytes);
        if (!createStage(&state_)) throw ImageIOError(ImageErrorKind::damaged, "PNG: out of memory");
        check(readInfoStage(&state_));
        checkImageSize(png_get_image_width(state_.png, state_.info), png_get_image_height(state_.png, state_.info));
    }
    PngReading(const PngReading&) = delete;
    PngReading& operator=(const PngReading&) = delete;

    StoredSize size() const {
        return {static_cast<int>(png_get_image_width(state_.png, state_.info)),
                static_cast<int>(png_get_image_height(state_.png, state_.info))};
    }

    void startRows() {
        checkInterlacedData();
        check(setTransformsStage(&state_));
        if (png_get_rowbytes(state_.png, state_.info) != static_cast<std::size_t>(size().width) * 4) {
            throw ImageIOError(ImageErrorKind::unsupported, "PNG: unexpected row layout");
        }
    }
    bool interlaced() const { return state_.passes > 1; }

    void readRow(std::uint8_t* row) { check(readRowStage(&state_, row)); }

    void readImage(std::vector<std::uint8_t>& pixels) {
        const StoredSize stored = size();
        pixels.resize(rgbaBytes(stored.width, stored.height));
        std::vector<png_bytep> rows(static_cast<std::size_t>(stored.height));
        for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = pixels.data() + y * stored.width * 4;
        check(readImageStage(&state_, rows.data()));
    }

    // The eXIf orientation, read after the pixels so that a chunk after the image data counts too.
    int orientation() {
        // A damaged tail after complete pixels does not spoil the image.
        readEndStage(&state_);
        png_uint_32 length = 0;
        png_bytep exif = nullptr;
        if (png_get_eXIf_1(state_.png, state_.info, &length, &exif) == 0 || exif == nullptr) return 1;
        return exifOrientation({exif, length});
    }

private:
    void check(bool succeeded) const {
        if (!succeeded) throw ImageIOError(ImageErrorKind::damaged, std::string("PNG: ") + state_.message);
    }

    // An interlaced image is read whole: a header claiming a huge one must be backed by its data
    // before the buffer for it is made.
    void checkInterlacedData() const {
        if (png_get_interlace_type(state_.png, state_.info) != PNG_INTERLACE_ADAM7) return;
        const std::uint64_t bitsPerPixel =
            std::uint64_t{png_get_channels(state_.png, state_.info)} * png_get_bit_depth(state_.png, state_.info);
        const StoredSize stored = size();
        if (!inflatesToAtLeast(Bytes(state_.data, state_.size),
                               interlacedDataSize(static_cast<std::uint64_t>(stored.width),
                                                  static_cast<std::uint64_t>(stored.height), bitsPerPixel))) {
            throw ImageIOError(ImageErrorKind::damaged, "PNG: not enough image data");
        }
    }

    PngState state_;
};

class PngRows final : public RowSource {
public:
    explicit PngRows(Bytes bytes) : reading_(bytes) {
        reading_.startRows();
        size_ = reading_.size();
        // An interlaced image has no complete row before the last pass: it is read whole.
        if (reading_.interlaced()) reading_.readImage(whole_);
    }
    int width() const override { return size_.width; }
    int height() const override { return size_.height; }
    int orientation() override { return reading_.orientation(); }
    void readRow(std::uint8_t* row) override {
        if (whole_.empty()) {
            reading_.readRow(row);
        } else {
            const std::size_t stride = static_cast<std::size_t>(size_.width) * 4;
            std::memcpy(row, whole_.data() + static_cast<std::size_t>(next_++) * stride, stride);
        }
    }

private:
    PngReading reading_;
    StoredSize size_;
    std::vector<std::uint8_t> whole_;
    int next_ = 0;
};

StoredSize pngSize(Bytes bytes) {
    return PngReading(bytes).size();
}

DecodedImage decodePng(Bytes bytes, const DecodeOptions& options) {
    PngReading reading(bytes);
    reading.startRows();
    DecodedImage decoded;
    const StoredSize stored = reading.size();
    decoded.image.width = stored.width;
    decoded.image.height = stored.height;
    decoded.image.alpha = AlphaMode::straight;
    if (reading.interlaced()) {
        reading.readImage(decoded.image.pixels);
    } else {
        const std::size_t height = static_cast<std::size_t>(stored.height);
        const std::size_t stride = static_cast<std::size_t>(stored.width) * 4;
        for (std::size_t y = 0; y < height; ++y) {
            growForRows(decoded.image.pixels, stride, y + 1, height);
            reading.readRow(decoded.image.pixels.data() + y * stride);
        }
    }
    if (options.applyOrientation) decoded.orientation = reading.orientation();
    return decoded;
}

std::unique_ptr<RowSource> pngRows(Bytes bytes, const DecodeOptions&) {
    return std::make_unique<PngRows>(bytes);
}

}  // namespace

const Decoder pngDecoder{ImageFormat::png, 1, recognisesPng, pngSize, decodePng, pngRows};

}  // namespace image_io::detail
