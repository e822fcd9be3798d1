// Writes the seed corpus of the driver-image target: small PNG files of every
// colour type (palette with transparency, grey, grey with alpha, 16-bit,
// interlaced), JPEG files in grey, RGB and CMYK, a truncated file and a header
// that declares a huge image.
//
//   make_image_seeds <corpus folder>

#include <cstddef>
#include <cstdio>
// jpeglib.h needs size_t and FILE declared before it.
#include <jpeglib.h>
#include <png.h>
#include <zlib.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void save(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void appendPng(png_structp png, png_bytep data, png_size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void flushPng(png_structp) {}

// A side × side picture with a white border and a dark diagonal, in the given
// colour type and depth.
Bytes png(int side, int colorType, int depth, bool interlaced) {
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        return {};
    }
    png_set_write_fn(png, &out, appendPng, flushPng);
    png_set_IHDR(png, info, side, side, depth, colorType, interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    int channels = 1;
    if (colorType == PNG_COLOR_TYPE_PALETTE) {
        const png_color palette[3] = {{255, 255, 255}, {200, 30, 30}, {20, 20, 20}};
        const png_byte alpha[3] = {255, 128, 0};
        png_set_PLTE(png, info, palette, 3);
        png_set_tRNS(png, info, alpha, 3, nullptr);
    } else if (colorType == PNG_COLOR_TYPE_GRAY_ALPHA) {
        channels = 2;
    } else if (colorType == PNG_COLOR_TYPE_RGB) {
        channels = 3;
    } else if (colorType == PNG_COLOR_TYPE_RGBA) {
        channels = 4;
    }
    png_write_info(png, info);
    const int bytesPerSample = depth == 16 ? 2 : 1;
    std::vector<Bytes> rows(static_cast<std::size_t>(side),
                            Bytes(static_cast<std::size_t>(side * channels * bytesPerSample)));
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const bool border = x == 0 || y == 0 || x == side - 1 || y == side - 1;
            const int level = border ? 255 : (x == y ? 20 : 40 + 10 * ((x + y) % 8));
            for (int c = 0; c < channels * bytesPerSample; ++c) {
                int value = colorType == PNG_COLOR_TYPE_PALETTE ? (border ? 0 : 1 + (x + y) % 2) : level;
                if ((colorType == PNG_COLOR_TYPE_GRAY_ALPHA && c / bytesPerSample == 1) ||
                    (colorType == PNG_COLOR_TYPE_RGBA && c / bytesPerSample == 3))
                    value = x < side / 2 ? 255 : 64;
                rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x * channels * bytesPerSample + c)] =
                    static_cast<std::uint8_t>(value);
            }
        }
    std::vector<png_bytep> pointers;
    for (Bytes& row : rows) pointers.push_back(row.data());
    png_write_image(png, pointers.data());
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

Bytes jpeg(int side, int components, J_COLOR_SPACE space) {
    jpeg_compress_struct cinfo{};
    jpeg_error_mgr error{};
    cinfo.err = jpeg_std_error(&error);
    jpeg_create_compress(&cinfo);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = static_cast<JDIMENSION>(side);
    cinfo.image_height = static_cast<JDIMENSION>(side);
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, 80, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    Bytes row(static_cast<std::size_t>(side * components));
    while (cinfo.next_scanline < cinfo.image_height) {
        const int y = static_cast<int>(cinfo.next_scanline);
        for (int x = 0; x < side; ++x)
            for (int c = 0; c < components; ++c)
                row[static_cast<std::size_t>(x * components + c)] =
                    static_cast<std::uint8_t>(x == 0 || y == 0 ? 255 : (x * 7 + y * 3 + c * 50) % 256);
        JSAMPROW pointer = row.data();
        jpeg_write_scanlines(&cinfo, &pointer, 1);
    }
    jpeg_finish_compress(&cinfo);
    Bytes out(buffer, buffer + size);
    jpeg_destroy_compress(&cinfo);
    std::free(buffer);
    return out;
}

// A signature and a header chunk declaring width × height, nothing more.
Bytes pngHeader(std::uint32_t width, std::uint32_t height) {
    Bytes chunk{'I', 'H', 'D', 'R'};
    for (std::uint32_t v : {width, height})
        for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(static_cast<std::uint8_t>(v >> shift));
    chunk.insert(chunk.end(), {8, 6, 0, 0, 0});
    const uLong crc = crc32(0, chunk.data(), static_cast<uInt>(chunk.size()));
    Bytes out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n', 0, 0, 0, 13};
    out.insert(out.end(), chunk.begin(), chunk.end());
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(crc >> shift));
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    const std::filesystem::path folder(argv[1]);
    std::filesystem::create_directories(folder);
    save(folder / "palette-trns.png", png(12, PNG_COLOR_TYPE_PALETTE, 8, false));
    save(folder / "palette-2bit.png", png(9, PNG_COLOR_TYPE_PALETTE, 2, false));
    save(folder / "grey.png", png(10, PNG_COLOR_TYPE_GRAY, 8, false));
    save(folder / "grey-alpha-16.png", png(7, PNG_COLOR_TYPE_GRAY_ALPHA, 16, false));
    save(folder / "rgb-16.png", png(8, PNG_COLOR_TYPE_RGB, 16, false));
    save(folder / "rgba-interlaced.png", png(11, PNG_COLOR_TYPE_RGBA, 8, true));
    save(folder / "one-row.png", png(1, PNG_COLOR_TYPE_RGB, 8, false));
    save(folder / "grey.jpg", jpeg(16, 1, JCS_GRAYSCALE));
    save(folder / "rgb.jpg", jpeg(16, 3, JCS_RGB));
    save(folder / "cmyk.jpg", jpeg(16, 4, JCS_CMYK));
    Bytes truncated = png(30, PNG_COLOR_TYPE_RGB, 8, false);
    truncated.resize(truncated.size() * 2 / 3);
    save(folder / "truncated.png", truncated);
    save(folder / "bomb-header.png", pngHeader(100000, 100000));
    return 0;
}
