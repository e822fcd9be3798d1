// TIFF through libtiff's RGBA interface: the first image of the file, strips or tiles, every
// photometric interpretation libtiff turns into RGBA. libtiff's messages go to handlers of this
// file only (nothing is printed, no global handler is touched).
#include <tiffio.h>

#include <algorithm>
#include <bit>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "decode/decoders.hpp"
#include "pixels/pixels.hpp"

namespace image_io::detail {

namespace {

// A single allocation libtiff may make; pixel buffers are ours.
constexpr tmsize_t maxLibraryAllocation = tmsize_t{256} << 20;

struct MemoryFile {
    const std::uint8_t* data = nullptr;
    toff_t size = 0;
    toff_t position = 0;
    std::string message;
    bool decodingPixels = false;
    std::string damage;  // the first warning given while the pixels were decoded
};

tmsize_t readProc(thandle_t handle, void* out, tmsize_t count) {
    auto* file = static_cast<MemoryFile*>(handle);
    if (count <= 0 || file->position >= file->size) return 0;
    const toff_t available = file->size - file->position;
    const toff_t taken = std::min<toff_t>(available, static_cast<toff_t>(count));
    std::memcpy(out, file->data + file->position, static_cast<std::size_t>(taken));
    file->position += taken;
    return static_cast<tmsize_t>(taken);
}

tmsize_t writeProc(thandle_t, void*, tmsize_t) {
    return -1;
}

toff_t seekProc(thandle_t handle, toff_t offset, int whence) {
    auto* file = static_cast<MemoryFile*>(handle);
    std::int64_t base = 0;
    if (whence == SEEK_CUR) base = static_cast<std::int64_t>(file->position);
    if (whence == SEEK_END) base = static_cast<std::int64_t>(file->size);
    // A relative seek may come as a wrapped negative offset.
    const auto size = static_cast<std::int64_t>(file->size);
    const auto step = static_cast<std::int64_t>(offset);
    if (step > size || step < -size) return static_cast<toff_t>(-1);
    const std::int64_t target = base + step;
    if (target < 0 || target > size) return static_cast<toff_t>(-1);
    file->position = static_cast<toff_t>(target);
    return file->position;
}

int closeProc(thandle_t) {
    return 0;
}
toff_t sizeProc(thandle_t handle) {
    return static_cast<MemoryFile*>(handle)->size;
}
// The bytes are already in memory: libtiff reads them in place (it only reads when opened "r").
int mapProc(thandle_t handle, void** base, toff_t* size) {
    auto* file = static_cast<MemoryFile*>(handle);
    *base = const_cast<std::uint8_t*>(file->data);
    *size = file->size;
    return 1;
}
void unmapProc(thandle_t, void*, toff_t) {}

int errorHandler(TIFF*, void* userData, const char*, const char* format, va_list arguments) {
    auto* file = static_cast<MemoryFile*>(userData);
    if (file->message.empty()) {
        char text[256];
        std::vsnprintf(text, sizeof text, format, arguments);
        file->message = text;
    }
    return 1;  // handled: libtiff's global handler stays silent
}

// Warnings about the directory (unknown tags, odd counts) are harmless. While the pixels are
// decoded, libtiff warns of data it pads or skips (a strip or tile cut short, a premature end of
// a fax line): the image is damaged and refused.
int warningHandler(TIFF*, void* userData, const char*, const char* format, va_list arguments) {
    auto* file = static_cast<MemoryFile*>(userData);
    if (file->decodingPixels && file->damage.empty()) {
        char text[256];
        std::vsnprintf(text, sizeof text, format, arguments);
        file->damage = text;
        if (file->damage.empty()) file->damage = "damaged image data";
    }
    return 1;
}

bool recognisesTiff(Bytes bytes) {
    using namespace std::string_view_literals;
    return hasMagic(bytes, "II*\0"sv) || hasMagic(bytes, "MM\0*"sv) || hasMagic(bytes, "II+\0"sv) ||
           hasMagic(bytes, "MM\0+"sv);
}

struct TiffCloser {
    void operator()(TIFF* tiff) const { TIFFClose(tiff); }
};
struct OptionsFreer {
    void operator()(TIFFOpenOptions* options) const { TIFFOpenOptionsFree(options); }
};

class TiffReading {
public:
    explicit TiffReading(Bytes bytes) {
        file_.data = bytes.data();
        file_.size = bytes.size();
        const std::unique_ptr<TIFFOpenOptions, OptionsFreer> options(TIFFOpenOptionsAlloc());
        if (!options) throw ImageIOError(ImageErrorKind::damaged, "TIFF: out of memory");
        TIFFOpenOptionsSetMaxSingleMemAlloc(options.get(), maxLibraryAllocation);
        TIFFOpenOptionsSetErrorHandlerExtR(options.get(), errorHandler, &file_);
        TIFFOpenOptionsSetWarningHandlerExtR(options.get(), warningHandler, &file_);
        // Mapped: libtiff's unmapped tile reading refuses valid uncompressed tiles.
        tiff_.reset(TIFFClientOpenExt("image", "r", &file_, readProc, writeProc, seekProc, closeProc, sizeProc, mapProc,
                                      unmapProc, options.get()));
        if (!tiff_) fail("unreadable file");
        std::uint32_t width = 0;
        std::uint32_t height = 0;
        if (TIFFGetField(tiff_.get(), TIFFTAG_IMAGEWIDTH, &width) != 1 ||
            TIFFGetField(tiff_.get(), TIFFTAG_IMAGELENGTH, &height) != 1) {
            fail("no image size");
        }
        checkImageSize(width, height);
        size_ = {static_cast<int>(width), static_cast<int>(height)};
    }

    StoredSize size() const { return size_; }

    // Starts reading the pixels; the bands are then read in order with readBand().
    void begin() {
        TIFF* tiff = tiff_.get();
        // Unassociated (straight) alpha is declared associated so that libtiff hands the stored
        // values over as they are instead of premultiplying them with its own rounding.
        std::uint16_t extraCount = 0;
        std::uint16_t* extraKinds = nullptr;
        if (TIFFGetField(tiff, TIFFTAG_EXTRASAMPLES, &extraCount, &extraKinds) == 1 && extraCount > 0 &&
            extraKinds != nullptr && extraKinds[0] == EXTRASAMPLE_UNASSALPHA) {
            std::vector<std::uint16_t> kinds(extraKinds, extraKinds + extraCount);
            kinds[0] = EXTRASAMPLE_ASSOCALPHA;
            TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, extraCount, kinds.data());
            alpha_ = AlphaMode::straight;
        }
        char refusal[1024] = {};
        if (TIFFRGBAImageOK(tiff, refusal) != 1) fail(refusal, ImageErrorKind::unsupported);
        if (TIFFRGBAImageBegin(&reader_, tiff, 1, refusal) != 1) fail(refusal);
        begun_ = true;
        // Rows as stored, row 0 first: the orientation tag is applied by the caller when asked.
        reader_.req_orientation = ORIENTATION_TOPLEFT;
        reader_.orientation = ORIENTATION_TOPLEFT;
        // Bands of whole strips or tiles, at least 64 rows.
        std::uint32_t unit = 0;
        if (TIFFIsTiled(tiff) != 0) {
            TIFFGetField(tiff, TIFFTAG_TILELENGTH, &unit);
        } else {
            TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &unit);
        }
        const std::size_t height = static_cast<std::size_t>(size_.height);
        constexpr std::size_t leastBand = 64;
        const std::size_t step = std::clamp<std::size_t>(unit, 1, height);
        band_ = std::min(height, (leastBand + step - 1) / step * step);
    }

    AlphaMode alpha() const { return alpha_; }
    std::size_t bandRows() const { return band_; }

    // Decodes rows [y, y + rows) (a whole band, or the last one) into `out`, rows × width RGBA
    // pixels. The pixels decoded so far must be backed by the data of their strips or tiles.
    void readBand(std::size_t y, std::size_t rows, std::uint8_t* out) {
        const std::size_t width = static_cast<std::size_t>(size_.width);
        dataRead_ = std::min<std::uint64_t>(dataRead_ + bandBytes(y, y + rows), file_.size);
        checkBacked(static_cast<std::int64_t>((y + rows) * width), dataRead_, {size_.width, size_.height});
        // libtiff's packed pixels hold red in the low byte: on a little-endian machine they are
        // already R, G, B, A in memory and are written straight into the image.
        std::vector<std::uint32_t> raster;
        std::uint32_t* packed = reinterpret_cast<std::uint32_t*>(out);
        if constexpr (std::endian::native != std::endian::little) {
            raster.resize(rows * width);
            packed = raster.data();
        }
        reader_.row_offset = static_cast<int>(y);
        reader_.col_offset = 0;
        file_.decodingPixels = true;
        const bool complete = TIFFRGBAImageGet(&reader_, packed, static_cast<std::uint32_t>(width),
                                               static_cast<std::uint32_t>(rows)) == 1 &&
                              file_.damage.empty();
        file_.decodingPixels = false;
        if (!complete) fail(file_.damage.empty() ? "damaged image data" : file_.damage.c_str());
        if constexpr (std::endian::native != std::endian::little) {
            std::uint8_t* pixel = out;
            for (const std::uint32_t value : raster) {
                pixel[0] = static_cast<std::uint8_t>(TIFFGetR(value));
                pixel[1] = static_cast<std::uint8_t>(TIFFGetG(value));
                pixel[2] = static_cast<std::uint8_t>(TIFFGetB(value));
                pixel[3] = static_cast<std::uint8_t>(TIFFGetA(value));
                pixel += 4;
            }
        }
        if (alpha_ == AlphaMode::premultiplied) clampToAlpha({out, rows * width * 4});
    }

    int orientation() const {
        std::uint16_t orientation = ORIENTATION_TOPLEFT;
        return TIFFGetField(tiff_.get(), TIFFTAG_ORIENTATION, &orientation) == 1 ? orientation : 1;
    }

    DecodedImage decode() {
        begin();
        DecodedImage decoded;
        decoded.image.width = size_.width;
        decoded.image.height = size_.height;
        decoded.image.alpha = alpha_;
        // Into a buffer that grows with the bands: a header claiming a huge image over little
        // data fails on its first band.
        const std::size_t height = static_cast<std::size_t>(size_.height);
        const std::size_t stride = static_cast<std::size_t>(size_.width) * 4;
        for (std::size_t y = 0; y < height; y += band_) {
            const std::size_t rows = std::min(band_, height - y);
            growForRows(decoded.image.pixels, stride, y + rows, height);
            readBand(y, rows, decoded.image.pixels.data() + y * stride);
        }
        decoded.orientation = orientation();
        return decoded;
    }

    ~TiffReading() {
        if (begun_) TIFFRGBAImageEnd(&reader_);
    }
    TiffReading(const TiffReading&) = delete;
    TiffReading& operator=(const TiffReading&) = delete;

private:
    // The stored bytes of the strips or tiles that hold rows [first, end), every plane.
    std::uint64_t bandBytes(std::size_t first, std::size_t end) const {
        TIFF* tiff = tiff_.get();
        std::uint16_t planar = PLANARCONFIG_CONTIG;
        std::uint16_t samples = 1;
        TIFFGetFieldDefaulted(tiff, TIFFTAG_PLANARCONFIG, &planar);
        TIFFGetFieldDefaulted(tiff, TIFFTAG_SAMPLESPERPIXEL, &samples);
        const std::uint16_t planes = planar == PLANARCONFIG_SEPARATE ? samples : 1;
        std::uint64_t total = 0;
        const auto add = [&](std::uint32_t strile) {
            if (strile < TIFFNumberOfStrips(tiff)) total += TIFFGetStrileByteCount(tiff, strile);
        };
        for (std::uint16_t plane = 0; plane < planes; ++plane) {
            if (TIFFIsTiled(tiff) != 0) {
                std::uint32_t tileWidth = 0;
                std::uint32_t tileLength = 0;
                TIFFGetField(tiff, TIFFTAG_TILEWIDTH, &tileWidth);
                TIFFGetField(tiff, TIFFTAG_TILELENGTH, &tileLength);
                if (tileWidth == 0 || tileLength == 0) return total;
                for (std::size_t y = first / tileLength * tileLength; y < end; y += tileLength) {
                    for (std::uint32_t x = 0; x < static_cast<std::uint32_t>(size_.width); x += tileWidth) {
                        add(TIFFComputeTile(tiff, x, static_cast<std::uint32_t>(y), 0, plane));
                    }
                }
            } else {
                std::uint32_t rowsPerStrip = 0;
                TIFFGetFieldDefaulted(tiff, TIFFTAG_ROWSPERSTRIP, &rowsPerStrip);
                const std::size_t step =
                    std::clamp<std::size_t>(rowsPerStrip, 1, static_cast<std::size_t>(size_.height));
                for (std::size_t y = first / step * step; y < end; y += step) {
                    add(TIFFComputeStrip(tiff, static_cast<std::uint32_t>(y), plane));
                }
            }
        }
        return total;
    }

    // A premultiplied colour can never exceed its alpha; damaged files are made consistent.
    static void clampToAlpha(std::span<std::uint8_t> pixels) {
        for (std::size_t i = 0; i < pixels.size(); i += 4) {
            for (std::size_t c = 0; c < 3; ++c) pixels[i + c] = std::min(pixels[i + c], pixels[i + 3]);
        }
    }

    [[noreturn]] void fail(const char* what, ImageErrorKind kind = ImageErrorKind::damaged) const {
        throw ImageIOError(kind, std::string("TIFF: ") + (file_.message.empty() ? what : file_.message));
    }

    MemoryFile file_;
    std::unique_ptr<TIFF, TiffCloser> tiff_;
    StoredSize size_;
    TIFFRGBAImage reader_{};
    bool begun_ = false;
    AlphaMode alpha_ = AlphaMode::premultiplied;
    std::size_t band_ = 1;
    std::uint64_t dataRead_ = 0;
};

// Rows served from one band at a time.
class TiffRows final : public RowSource {
public:
    explicit TiffRows(Bytes bytes) : reading_(bytes) {
        reading_.begin();
        const std::size_t stride = static_cast<std::size_t>(reading_.size().width) * 4;
        band_.resize(std::min(reading_.bandRows(), static_cast<std::size_t>(reading_.size().height)) * stride);
    }
    int width() const override { return reading_.size().width; }
    int height() const override { return reading_.size().height; }
    AlphaMode alpha() const override { return reading_.alpha(); }
    int orientation() override { return reading_.orientation(); }
    void readRow(std::uint8_t* row) override {
        const std::size_t height = static_cast<std::size_t>(reading_.size().height);
        const std::size_t stride = static_cast<std::size_t>(reading_.size().width) * 4;
        if (next_ == bandStart_ + bandRows_) {
            bandStart_ = next_;
            bandRows_ = std::min(reading_.bandRows(), height - next_);
            reading_.readBand(bandStart_, bandRows_, band_.data());
        }
        std::memcpy(row, band_.data() + (next_ - bandStart_) * stride, stride);
        ++next_;
    }

private:
    TiffReading reading_;
    std::vector<std::uint8_t> band_;
    std::size_t bandStart_ = 0;
    std::size_t bandRows_ = 0;
    std::size_t next_ = 0;
};

StoredSize tiffSize(Bytes bytes) {
    return TiffReading(bytes).size();
}

DecodedImage decodeTiff(Bytes bytes, const DecodeOptions&) {
    return TiffReading(bytes).decode();
}

std::unique_ptr<RowSource> tiffRows(Bytes bytes, const DecodeOptions&) {
    return std::make_unique<TiffRows>(bytes);
}

}  // namespace

const Decoder tiffDecoder{ImageFormat::tiff, 1, recognisesTiff, tiffSize, decodeTiff, tiffRows};

}  // namespace image_io::detail
