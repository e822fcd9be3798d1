#include "test_photo/image_files.hpp"

// clang-format off
#include <cstdio>
#include <jpeglib.h>
// clang-format on
#include <libheif/heif.h>
#include <zlib.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <opencv2/core.hpp>
#include <stdexcept>

#include "image_io/png_encoder.hpp"

namespace test_photo {

namespace {

void putBig16(std::vector<std::uint8_t>& out, unsigned v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v));
}
void putBig32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    putBig16(out, v >> 16);
    putBig16(out, v & 0xFFFF);
}

// A big-endian TIFF block with one IFD entry: the orientation.
std::vector<std::uint8_t> exifOrientation(int orientation) {
    std::vector<std::uint8_t> t = {'M', 'M', 0, 42, 0, 0, 0, 8};
    putBig16(t, 1);       // one entry
    putBig16(t, 0x0112);  // Orientation
    putBig16(t, 3);       // SHORT
    putBig32(t, 1);
    putBig16(t, static_cast<unsigned>(orientation));
    putBig16(t, 0);
    putBig32(t, 0);  // no next IFD
    return t;
}

// Straight RGB over white from premultiplied RGBA.
std::vector<std::uint8_t> overWhite(const image_io::RgbaImage& image) {
    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(image.width) * image.height * 3);
    for (std::size_t i = 0; i < rgb.size() / 3; ++i) {
        const std::uint8_t* p = &image.pixels[i * 4];
        int a = p[3];
        for (int c = 0; c < 3; ++c) {
            const int straight = image.alpha == image_io::AlphaMode::premultiplied ? p[c] : p[c] * a / 255;
            rgb[i * 3 + c] = static_cast<std::uint8_t>(std::min(255, straight + 255 - a));
        }
    }
    return rgb;
}

}  // namespace

image_io::RgbaImage rgbaImage(int width, int height, std::vector<std::uint8_t> premultiplied) {
    image_io::RgbaImage image;
    image.width = width;
    image.height = height;
    image.alpha = image_io::AlphaMode::premultiplied;
    image.pixels = std::move(premultiplied);
    return image;
}

image_io::RgbaImage storedForOrientation(const image_io::RgbaImage& upright, int orientation) {
    cv::Mat in(upright.height, upright.width, CV_8UC4, const_cast<std::uint8_t*>(upright.pixels.data()));
    cv::Mat out;
    // The inverse of what the reader does for each orientation: 6 and 8 swap,
    // the others undo themselves.
    switch (orientation) {
        case 2:
            cv::flip(in, out, 1);
            break;
        case 3:
            cv::rotate(in, out, cv::ROTATE_180);
            break;
        case 4:
            cv::flip(in, out, 0);
            break;
        case 5:
            cv::transpose(in, out);
            break;
        case 6:
            cv::rotate(in, out, cv::ROTATE_90_COUNTERCLOCKWISE);
            break;
        case 7:
            cv::rotate(in, out, cv::ROTATE_90_CLOCKWISE);
            cv::flip(out, out, 0);
            break;
        case 8:
            cv::rotate(in, out, cv::ROTATE_90_CLOCKWISE);
            break;
        default:
            out = in.clone();
            break;
    }
    image_io::RgbaImage stored = upright;
    stored.width = out.cols;
    stored.height = out.rows;
    stored.pixels.assign(out.datastart, out.dataend);
    return stored;
}

std::vector<std::uint8_t> encodePng(const image_io::RgbaImage& image, int orientation) {
    std::vector<std::uint8_t> png = image_io::encodePngRgba(image);
    if (orientation < 1 || orientation > 8) return png;
    // An eXIf chunk right after IHDR (8 bytes signature, 25 bytes IHDR).
    const std::vector<std::uint8_t> data = exifOrientation(orientation);
    std::vector<std::uint8_t> chunk;
    putBig32(chunk, static_cast<std::uint32_t>(data.size()));
    for (char c : {'e', 'X', 'I', 'f'}) chunk.push_back(static_cast<std::uint8_t>(c));
    chunk.insert(chunk.end(), data.begin(), data.end());
    putBig32(chunk, static_cast<std::uint32_t>(crc32(0, chunk.data() + 4, static_cast<uInt>(chunk.size() - 4))));
    png.insert(png.begin() + 33, chunk.begin(), chunk.end());
    return png;
}

std::vector<std::uint8_t> encodeJpeg(const image_io::RgbaImage& image, int quality, int orientation) {
    const std::vector<std::uint8_t> rgb = overWhite(image);
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    if (orientation >= 1 && orientation <= 8) {
        std::vector<std::uint8_t> app1 = {'E', 'x', 'i', 'f', 0, 0};
        const std::vector<std::uint8_t> tiff = exifOrientation(orientation);
        app1.insert(app1.end(), tiff.begin(), tiff.end());
        jpeg_write_marker(&info, JPEG_APP0 + 1, app1.data(), static_cast<unsigned>(app1.size()));
    }
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&rgb[static_cast<std::size_t>(info.next_scanline) * image.width * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::vector<std::uint8_t> bytes(buffer, buffer + size);
    std::free(buffer);
    return bytes;
}

std::optional<std::vector<std::uint8_t>> encodeHeic(const image_io::RgbaImage& image) {
    if (!heif_have_encoder_for_format(heif_compression_HEVC)) return std::nullopt;
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    std::optional<std::vector<std::uint8_t>> result;
    if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code == heif_error_Ok) {
        heif_image* picture = nullptr;
        heif_image_create(image.width, image.height, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &picture);
        heif_image_add_plane(picture, heif_channel_interleaved, image.width, image.height, 8);
        int stride = 0;
        std::uint8_t* plane = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
        const std::vector<std::uint8_t> rgb = overWhite(image);
        for (int y = 0; y < image.height; ++y)
            std::copy_n(&rgb[static_cast<std::size_t>(y) * image.width * 3], image.width * 3, plane + y * stride);
        heif_encoder_set_lossy_quality(encoder, 90);
        if (heif_context_encode_image(context, picture, encoder, nullptr, nullptr).code == heif_error_Ok) {
            heif_writer writer{};
            writer.writer_api_version = 1;
            writer.write = [](heif_context*, const void* data, size_t size, void* userdata) {
                auto* out = static_cast<std::vector<std::uint8_t>*>(userdata);
                out->insert(out->end(), static_cast<const std::uint8_t*>(data),
                            static_cast<const std::uint8_t*>(data) + size);
                return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
            };
            std::vector<std::uint8_t> bytes;
            if (heif_context_write(context, &writer, &bytes).code == heif_error_Ok) result = std::move(bytes);
        }
        heif_image_release(picture);
        heif_encoder_release(encoder);
    }
    heif_context_free(context);
    return result;
}

void writeFile(const std::filesystem::path& path, std::span<const std::uint8_t> bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error("cannot write " + path.string());
}

}  // namespace test_photo
