// JPEG writing through libjpeg-turbo: the image flattened on white, fixed settings and no marker
// beyond the JFIF header, so the same pixels always give the same bytes.
#include "image_io/jpeg_encoder.hpp"

#include <cstddef>
#include <cstdio>  // jpeglib.h needs FILE
// clang-format off
#include <jpeglib.h>
#include <jerror.h>
// clang-format on

#include <algorithm>
#include <csetjmp>
#include <string>

#include "pixels/pixels.hpp"

namespace image_io {

namespace {

// High enough that a 75-pixel driver image stays sharp; chroma kept at full resolution, since
// halving it would blur the coloured edges of so small an image.
constexpr int quality = 95;
constexpr std::size_t firstChunk = std::size_t{64} << 10;

struct JpegOutput {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    jpeg_destination_mgr destination{};
    std::vector<std::uint8_t>* bytes = nullptr;
    std::jmp_buf jump{};
    char message[JMSG_LENGTH_MAX] = {};
    bool created = false;
};

JpegOutput* outputOf(j_common_ptr info) {
    return static_cast<JpegOutput*>(info->client_data);
}

[[noreturn]] void errorExit(j_common_ptr info) {
    JpegOutput* output = outputOf(info);
    info->err->format_message(info, output->message);
    std::longjmp(output->jump, 1);
}

// A library prints nothing: libjpeg's warnings would go to standard error.
void outputMessage(j_common_ptr) {}

// The bytes go into the caller's vector; growing it may throw, which must not unwind through
// libjpeg's C frames, so a failure to grow becomes libjpeg's own error.
void initDestination(j_compress_ptr info) {
    JpegOutput* output = outputOf(reinterpret_cast<j_common_ptr>(info));
    bool grown = true;
    try {
        output->bytes->resize(firstChunk);
    } catch (...) {
        grown = false;
    }
    if (!grown) ERREXIT1(info, JERR_OUT_OF_MEMORY, 1);
    output->destination.next_output_byte = output->bytes->data();
    output->destination.free_in_buffer = output->bytes->size();
}

boolean emptyOutput(j_compress_ptr info) {
    JpegOutput* output = outputOf(reinterpret_cast<j_common_ptr>(info));
    const std::size_t filled = output->bytes->size();
    bool grown = true;
    try {
        output->bytes->resize(filled * 2);
    } catch (...) {
        grown = false;
    }
    if (!grown) ERREXIT1(info, JERR_OUT_OF_MEMORY, 2);
    output->destination.next_output_byte = output->bytes->data() + filled;
    output->destination.free_in_buffer = output->bytes->size() - filled;
    return TRUE;
}

void termDestination(j_compress_ptr info) {
    JpegOutput* output = outputOf(reinterpret_cast<j_common_ptr>(info));
    output->bytes->resize(output->bytes->size() - output->destination.free_in_buffer);
}

// Holds nothing with a destructor: libjpeg longjmps back here on error.
bool compress(JpegOutput* output, int width, int height, const std::uint8_t* rgb) {
    if (setjmp(output->jump)) return false;
    jpeg_create_compress(&output->info);
    output->created = true;
    output->destination.init_destination = initDestination;
    output->destination.empty_output_buffer = emptyOutput;
    output->destination.term_destination = termDestination;
    output->info.dest = &output->destination;
    output->info.image_width = static_cast<JDIMENSION>(width);
    output->info.image_height = static_cast<JDIMENSION>(height);
    output->info.input_components = 3;
    output->info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&output->info);
    jpeg_set_quality(&output->info, quality, TRUE);
    for (int c = 0; c < output->info.num_components; ++c) {
        output->info.comp_info[c].h_samp_factor = 1;
        output->info.comp_info[c].v_samp_factor = 1;
    }
    output->info.optimize_coding = TRUE;
    output->info.dct_method = JDCT_ISLOW;
    jpeg_start_compress(&output->info, TRUE);
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    while (output->info.next_scanline < output->info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(rgb + output->info.next_scanline * stride);
        jpeg_write_scanlines(&output->info, &row, 1);
    }
    jpeg_finish_compress(&output->info);
    return true;
}

// What each pixel shows over white, as opaque RGB.
std::vector<std::uint8_t> onWhite(const RgbaImage& image) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.height) * 3);
    const std::uint8_t* pixel = image.pixels.data();
    for (std::size_t i = 0; i < rgb.size(); i += 3, pixel += 4) {
        const int alpha = pixel[3];
        for (int c = 0; c < 3; ++c) {
            // Premultiplied: the colour already carries its share; white fills the rest.
            const int shown = image.alpha == AlphaMode::premultiplied
                                  ? pixel[c] + (255 - alpha)
                                  : (pixel[c] * alpha + 255 * (255 - alpha) + 127) / 255;
            rgb[i + static_cast<std::size_t>(c)] = static_cast<std::uint8_t>(std::min(shown, 255));
        }
    }
    return rgb;
}

}  // namespace

std::vector<std::uint8_t> encodeJpegOnWhite(const RgbaImage& image) {
    detail::checkImageSize(image.width, image.height);
    if (image.pixels.size() != detail::rgbaBytes(image.width, image.height)) {
        throw ImageIOError(ImageErrorKind::damaged, "JPEG: pixel count does not match the size");
    }
    const std::vector<std::uint8_t> rgb = onWhite(image);
    std::vector<std::uint8_t> bytes;
    JpegOutput output;
    output.bytes = &bytes;
    output.info.err = jpeg_std_error(&output.errors);
    output.errors.error_exit = errorExit;
    output.errors.output_message = outputMessage;
    output.info.client_data = &output;
    const bool written = compress(&output, image.width, image.height, rgb.data());
    if (output.created) jpeg_destroy_compress(&output.info);
    if (!written) throw ImageIOError(ImageErrorKind::damaged, std::string("JPEG: ") + output.message);
    return bytes;
}

}  // namespace image_io
