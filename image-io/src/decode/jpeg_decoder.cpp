// JPEG through libjpeg-turbo: grey, RGB (YCbCr) and CMYK/YCCK become 8-bit opaque RGBA.
#include <cstddef>
#include <cstdio>  // jpeglib.h needs FILE
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <array>
#include <csetjmp>
#include <cstring>
#include <string>
#include <vector>

#include "decode/decoders.hpp"
#include "decode/orientation.hpp"
#include "pixels/pixels.hpp"

namespace image_io::detail {

namespace {

// Progressive files may hold any number of scans; real ones have a dozen, and one scan a
// coefficient and component makes 190. Each scan walks the whole image again.
constexpr int maxScans = 200;

// What libjpeg may allocate for whole-image buffers of its own.
constexpr long maxLibraryMemory = long{512} << 20;

// Frees libjpeg's structure itself, so that a reader whose constructor throws leaks nothing.
struct JpegState {
    JpegState() = default;
    JpegState(const JpegState&) = delete;
    JpegState& operator=(const JpegState&) = delete;
    ~JpegState() {
        if (created) jpeg_destroy_decompress(&info);
    }

    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_progress_mgr progress{};
    jpeg_source_mgr source{};
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX] = {};
    bool created = false;
    bool cmyk = false;
};

JpegState* stateOf(j_common_ptr info) {
    return static_cast<JpegState*>(info->client_data);
}

[[noreturn]] void errorExit(j_common_ptr info) {
    JpegState* state = stateOf(info);
    info->err->format_message(info, state->message);
    std::longjmp(state->jump, 1);
}

// Warnings that mean the pixels are damaged or missing end the decoding; the rest (unknown
// markers, extraneous bytes between markers) are harmless and stay silent.
void emitMessage(j_common_ptr info, int level) {
    if (level >= 0) return;
    switch (info->err->msg_code) {
        case JWRN_JPEG_EOF:
        case JWRN_HIT_MARKER:
        case JWRN_MUST_RESYNC:
        case JWRN_NOT_SEQUENTIAL:
        case JWRN_BOGUS_PROGRESSION:
        case JWRN_HUFF_BAD_CODE:
        case JWRN_ARITH_BAD_CODE:
            errorExit(info);
        default:
            break;
    }
}

void outputMessage(j_common_ptr) {}

[[noreturn]] void refuse(j_common_ptr info, const char* why) {
    std::strncpy(stateOf(info)->message, why, JMSG_LENGTH_MAX - 1);
    std::longjmp(stateOf(info)->jump, 1);
}

// Called before each row of coded blocks is read. An arithmetic decoder that meets a marker
// supplies zeros until the scan is done, without a word (the Huffman one warns): a marker met
// while rows of the scan are still to come is data that ends early.
void progressMonitor(j_common_ptr info) {
    auto* decompress = reinterpret_cast<j_decompress_ptr>(info);
    if (decompress->input_scan_number > maxScans) refuse(info, "too many scans");
    const int marker = decompress->unread_marker;
    const bool restart = marker >= JPEG_RST0 && marker <= JPEG_RST0 + 7;
    if (decompress->arith_code && marker != 0 && !restart && decompress->input_iMCU_row > 0 &&
        decompress->input_iMCU_row < decompress->total_iMCU_rows) {
        refuse(info, "image data ends early");
    }
}

// The stages that call into libjpeg. An error longjmps back to the setjmp here, so these frames
// hold nothing with a destructor; the C++ callers throw once they have returned.
// The file's bytes, handed over whole. libjpeg asks for more only when the data it is decoding
// runs past the end: whatever the coding (Huffman, arithmetic, progressive), that is a truncated
// file, not one to pad with zeros.
void initSource(j_decompress_ptr) {}

boolean fillInput(j_decompress_ptr info) {
    JpegState* state = stateOf(reinterpret_cast<j_common_ptr>(info));
    std::strncpy(state->message, "file is truncated", JMSG_LENGTH_MAX - 1);
    std::longjmp(state->jump, 1);
}

void skipInput(j_decompress_ptr info, long count) {
    if (count <= 0) return;
    jpeg_source_mgr* source = info->src;
    if (static_cast<unsigned long>(count) > source->bytes_in_buffer) fillInput(info);
    source->next_input_byte += count;
    source->bytes_in_buffer -= static_cast<std::size_t>(count);
}

void termSource(j_decompress_ptr) {}

bool readHeaderStage(JpegState* state, const std::uint8_t* data, std::size_t size) {
    state->info.err = jpeg_std_error(&state->errors);
    state->errors.error_exit = errorExit;
    state->errors.emit_message = emitMessage;
    state->errors.output_message = outputMessage;
    state->info.client_data = state;
    if (setjmp(state->jump)) return false;
    jpeg_create_decompress(&state->info);
    state->created = true;
    state->progress.progress_monitor = progressMonitor;
    state->info.progress = &state->progress;
    // libjpeg's own pixel buffers (a progressive image's coefficients) stay within this; past
    // it, with no backing store, the decoding ends in an error instead of an allocation.
    state->info.mem->max_memory_to_use = maxLibraryMemory;
    state->source.next_input_byte = data;
    state->source.bytes_in_buffer = size;
    state->source.init_source = initSource;
    state->source.fill_input_buffer = fillInput;
    state->source.skip_input_data = skipInput;
    state->source.resync_to_restart = jpeg_resync_to_restart;
    state->source.term_source = termSource;
    state->info.src = &state->source;
    jpeg_save_markers(&state->info, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&state->info, TRUE);
    return true;
}

bool startStage(JpegState* state) {
    if (setjmp(state->jump)) return false;
    state->cmyk = state->info.jpeg_color_space == JCS_CMYK || state->info.jpeg_color_space == JCS_YCCK;
    state->info.out_color_space = state->cmyk ? JCS_CMYK : JCS_EXT_RGBA;
    jpeg_start_decompress(&state->info);
    return true;
}

bool readRowsStage(JpegState* state, std::uint8_t* const* rows, unsigned count) {
    if (setjmp(state->jump)) return false;
    unsigned done = 0;
    while (done < count) {
        const JDIMENSION got = jpeg_read_scanlines(&state->info, const_cast<JSAMPARRAY>(rows + done), count - done);
        if (got == 0) {
            std::strncpy(state->message, "no more rows", JMSG_LENGTH_MAX - 1);
            return false;
        }
        done += got;
    }
    return true;
}

// CMYK rows in place to RGBA. Adobe's files store the inks inverted (0 = full ink).
void cmykToRgba(std::uint8_t* row, std::size_t width, bool inverted) {
    for (std::size_t x = 0; x < width; ++x) {
        std::uint8_t* p = row + x * 4;
        const std::uint8_t k = inverted ? p[3] : static_cast<std::uint8_t>(255 - p[3]);
        for (int c = 0; c < 3; ++c) {
            const std::uint8_t ink = inverted ? p[c] : static_cast<std::uint8_t>(255 - p[c]);
            p[c] = premultiplyChannel(ink, k);
        }
        p[3] = 255;
    }
}

bool recognisesJpeg(Bytes bytes) {
    return hasMagic(bytes, "\xFF\xD8\xFF");
}

class JpegReading {
public:
    explicit JpegReading(Bytes bytes) {
        if (!recognisesJpeg(bytes)) throw ImageIOError(ImageErrorKind::unknownFormat, "not a JPEG file");
        check(readHeaderStage(&state_, bytes.data(), bytes.size()));
        checkImageSize(state_.info.image_width, state_.info.image_height);
    }
    JpegReading(const JpegReading&) = delete;
    JpegReading& operator=(const JpegReading&) = delete;

    StoredSize size() const {
        return {static_cast<int>(state_.info.image_width), static_cast<int>(state_.info.image_height)};
    }

    // The largest reduction (1/8, 1/4, 1/2) that keeps the longer side at or above the hint.
    void scaleFor(int maxSideHint) {
        if (maxSideHint <= 0) return;
        const unsigned longer = std::max(state_.info.image_width, state_.info.image_height);
        for (const unsigned denominator : {8u, 4u, 2u}) {
            if ((longer + denominator - 1) / denominator >= static_cast<unsigned>(maxSideHint)) {
                state_.info.scale_num = 1;
                state_.info.scale_denom = denominator;
                return;
            }
        }
    }

    void start() { check(startStage(&state_)); }
    StoredSize outputSize() const {
        return {static_cast<int>(state_.info.output_width), static_cast<int>(state_.info.output_height)};
    }

    void readRows(std::uint8_t* const* rows, unsigned count) {
        check(readRowsStage(&state_, rows, count));
        if (state_.cmyk) {
            for (unsigned i = 0; i < count; ++i) cmykToRgba(rows[i], state_.info.output_width, invertedInks());
        }
    }

    int orientation() const {
        for (jpeg_saved_marker_ptr marker = state_.info.marker_list; marker != nullptr; marker = marker->next) {
            static constexpr std::uint8_t exifHeader[] = {'E', 'x', 'i', 'f', 0, 0};
            if (marker->marker == JPEG_APP0 + 1 && marker->data_length > sizeof exifHeader &&
                std::memcmp(marker->data, exifHeader, sizeof exifHeader) == 0) {
                return exifOrientation({marker->data, marker->data_length});
            }
        }
        return 1;
    }

private:
    bool invertedInks() const { return state_.info.saw_Adobe_marker != 0; }
    void check(bool succeeded) const {
        if (!succeeded) throw ImageIOError(ImageErrorKind::damaged, std::string("JPEG: ") + state_.message);
    }

    JpegState state_;
};

class JpegRows final : public RowSource {
public:
    JpegRows(Bytes bytes, int maxSideHint) : reading_(bytes) {
        reading_.scaleFor(maxSideHint);
        reading_.start();
    }
    int width() const override { return reading_.outputSize().width; }
    int height() const override { return reading_.outputSize().height; }
    void readRow(std::uint8_t* row) override { reading_.readRows(&row, 1); }
    int orientation() override { return reading_.orientation(); }

private:
    JpegReading reading_;
};

StoredSize jpegSize(Bytes bytes) {
    return JpegReading(bytes).size();
}

DecodedImage decodeJpeg(Bytes bytes, const DecodeOptions& options) {
    JpegReading reading(bytes);
    reading.scaleFor(options.maxSideHint);
    reading.start();
    const StoredSize output = reading.outputSize();
    checkImageSize(output.width, output.height);
    DecodedImage decoded;
    decoded.image.width = output.width;
    decoded.image.height = output.height;
    decoded.image.alpha = AlphaMode::straight;
    // In slices, so that the row-pointer walk stays in libjpeg's own batches, into a buffer that
    // grows with the rows read.
    constexpr unsigned slice = 16;
    const std::size_t height = static_cast<std::size_t>(output.height);
    const std::size_t stride = static_cast<std::size_t>(output.width) * 4;
    std::array<std::uint8_t*, slice> rows{};
    for (std::size_t y = 0; y < height; y += slice) {
        const std::size_t count = std::min<std::size_t>(slice, height - y);
        growForRows(decoded.image.pixels, stride, y + count, height);
        for (std::size_t i = 0; i < count; ++i) rows[i] = decoded.image.pixels.data() + (y + i) * stride;
        reading.readRows(rows.data(), static_cast<unsigned>(count));
    }
    if (options.applyOrientation) decoded.orientation = reading.orientation();
    return decoded;
}

std::unique_ptr<RowSource> jpegRows(Bytes bytes, const DecodeOptions& options) {
    return std::make_unique<JpegRows>(bytes, options.maxSideHint);
}

}  // namespace

const Decoder jpegDecoder{ImageFormat::jpeg, 1, recognisesJpeg, jpegSize, decodeJpeg, jpegRows};

}  // namespace image_io::detail
