// PNG writing through libpng: fixed compression settings and no time or text chunks, so the same
// pixels always give the same bytes.
#include "image_io/png_encoder.hpp"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <string>

#include "pixels/pixels.hpp"

namespace image_io {

namespace {

struct PngOutput {
    std::vector<std::uint8_t>* bytes = nullptr;
    char message[256] = {};
};

void writeCallback(png_structp png, png_bytep data, std::size_t length) {
    auto* output = static_cast<PngOutput*>(png_get_io_ptr(png));
    // Growing the vector may throw; it must not unwind through libpng's C frames, and libpng's
    // error must not jump out of a handler.
    bool grown = true;
    try {
        output->bytes->insert(output->bytes->end(), data, data + length);
    } catch (...) {
        grown = false;
    }
    if (!grown) png_error(png, "out of memory");
}

void flushCallback(png_structp) {}

void errorCallback(png_structp png, png_const_charp message) {
    auto* output = static_cast<PngOutput*>(png_get_error_ptr(png));
    std::strncpy(output->message, message != nullptr ? message : "error", sizeof output->message - 1);
    png_longjmp(png, 1);
}

void warningCallback(png_structp, png_const_charp) {}

// Holds nothing with a destructor: libpng longjmps back here on error.
bool writeStage(png_structp png, png_infop info, PngOutput* output, int width, int height, int colorType,
                png_bytepp rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, output, writeCallback, flushCallback);
    png_set_compression_level(png, 6);
    png_set_compression_strategy(png, 0);  // Z_DEFAULT_STRATEGY
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_SUB | PNG_FILTER_UP | PNG_FILTER_PAETH);
    png_set_IHDR(png, info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8, colorType,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    return true;
}

std::vector<std::uint8_t> encode(int width, int height, int channels, const std::uint8_t* pixels) {
    detail::checkImageSize(width, height);
    std::vector<std::uint8_t> bytes;
    PngOutput output;
    output.bytes = &bytes;
    std::vector<png_bytep> rows(static_cast<std::size_t>(height));
    const std::size_t stride = static_cast<std::size_t>(width) * channels;
    for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = const_cast<png_bytep>(pixels + y * stride);

    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &output, errorCallback, warningCallback);
    png_infop info = png != nullptr ? png_create_info_struct(png) : nullptr;
    const bool written =
        info != nullptr && writeStage(png, info, &output, width, height,
                                      channels == 4 ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB, rows.data());
    png_destroy_write_struct(&png, &info);
    if (!written)
        throw ImageIOError(ImageErrorKind::damaged,
                           std::string("PNG: ") + (output.message[0] != 0 ? output.message : "out of memory"));
    return bytes;
}

}  // namespace

std::vector<std::uint8_t> encodePngRgb(int width, int height, std::span<const std::uint8_t> rgb) {
    detail::checkImageSize(width, height);
    if (rgb.size() != static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3) {
        throw ImageIOError(ImageErrorKind::damaged, "PNG: pixel count does not match the size");
    }
    return encode(width, height, 3, rgb.data());
}

std::vector<std::uint8_t> encodePngRgba(const RgbaImage& image) {
    detail::checkImageSize(image.width, image.height);
    if (image.pixels.size() != detail::rgbaBytes(image.width, image.height)) {
        throw ImageIOError(ImageErrorKind::damaged, "PNG: pixel count does not match the size");
    }
    if (image.alpha == AlphaMode::straight) return encode(image.width, image.height, 4, image.pixels.data());
    std::vector<std::uint8_t> straight = image.pixels;
    unpremultiply(straight);
    return encode(image.width, image.height, 4, straight.data());
}

}  // namespace image_io
