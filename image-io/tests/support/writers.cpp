#include "support/writers.hpp"

#include <gif_lib.h>
#include <libheif/heif.h>
#include <png.h>
#include <tiffio.h>
#include <unistd.h>
#include <webp/encode.h>
#include <webp/mux.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
// clang-format off
#include <jpeglib.h>
// clang-format on

namespace image_io::writers {

namespace {

[[noreturn]] void fail(const std::string& what) {
    throw std::runtime_error("test writer: " + what);
}

void pngWrite(png_structp png, png_bytep data, std::size_t length) {
    auto* out = static_cast<Bytes*>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}
void pngFlush(png_structp) {}
void pngError(png_structp png, png_const_charp) {
    png_longjmp(png, 1);
}
void pngWarning(png_structp, png_const_charp) {}

int channelsOf(int colourType) {
    switch (colourType) {
        case 0:
        case 3:
            return 1;
        case 4:
            return 2;
        case 2:
            return 3;
        default:
            return 4;
    }
}

bool pngStage(png_structp png, png_infop info, const PngSpec* spec, Bytes* out, png_bytepp rows, const Bytes* exif) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_set_write_fn(png, out, pngWrite, pngFlush);
    png_set_IHDR(png, info, spec->width, spec->height, spec->bitDepth, spec->colourType,
                 spec->interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    if (!spec->palette.empty()) {
        png_color colours[256];
        for (std::size_t i = 0; i < spec->palette.size(); ++i) {
            colours[i] = {spec->palette[i][0], spec->palette[i][1], spec->palette[i][2]};
        }
        png_set_PLTE(png, info, colours, static_cast<int>(spec->palette.size()));
    }
    if (!spec->paletteAlpha.empty()) {
        png_set_tRNS(png, info, spec->paletteAlpha.data(), static_cast<int>(spec->paletteAlpha.size()), nullptr);
    }
    if (spec->transparentKey) {
        png_color_16 key{};
        key.gray = (*spec->transparentKey)[0];
        key.red = (*spec->transparentKey)[0];
        key.green = (*spec->transparentKey)[1];
        key.blue = (*spec->transparentKey)[2];
        png_set_tRNS(png, info, nullptr, 0, &key);
    }
    if (!exif->empty())
        png_set_eXIf_1(png, info, static_cast<png_uint_32>(exif->size()), const_cast<png_bytep>(exif->data()));
    png_write_info(png, info);
    if (spec->bitDepth < 8) png_set_packing(png);
    png_write_image(png, rows);
    png_write_end(png, info);
    return true;
}

std::filesystem::path scratchFile(const char* suffix) {
    static std::atomic<int> counter{0};
    return std::filesystem::temp_directory_path() /
           ("image_io_writer_" + std::to_string(::getpid()) + "_" + std::to_string(counter++) + suffix);
}

Bytes slurp(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    Bytes bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::filesystem::remove(path);
    return bytes;
}

int gifWrite(GifFileType* gif, const GifByteType* data, int length) {
    auto* out = static_cast<Bytes*>(gif->UserData);
    out->insert(out->end(), data, data + length);
    return length;
}

ColorMapObject* makeColourMap(const std::vector<std::array<std::uint8_t, 3>>& colours) {
    int size = 2;
    while (size < static_cast<int>(colours.size())) size *= 2;
    std::vector<GifColorType> entries(static_cast<std::size_t>(size), GifColorType{0, 0, 0});
    for (std::size_t i = 0; i < colours.size(); ++i) entries[i] = {colours[i][0], colours[i][1], colours[i][2]};
    return GifMakeMapObject(size, entries.data());
}

}  // namespace

Bytes exifWithOrientation(int orientation) {
    // Little-endian TIFF header, one IFD with one SHORT entry, no next IFD.
    return {'I',  'I',  42, 0, 8, 0, 0, 0,                                                   // header
            1,    0,                                                                         // one entry
            0x12, 0x01, 3,  0, 1, 0, 0, 0, static_cast<std::uint8_t>(orientation), 0, 0, 0,  // 274 SHORT
            0,    0,    0,  0};
}

Bytes writePng(const PngSpec& spec) {
    const int channels = channelsOf(spec.colourType);
    const std::size_t perRow = static_cast<std::size_t>(spec.width) * channels;
    if (spec.samples.size() != perRow * spec.height) fail("PNG sample count");
    // Rows as libpng takes them: a byte per sample below 8 bits (packed by libpng), big-endian at 16.
    const std::size_t bytesPerSample = spec.bitDepth == 16 ? 2 : 1;
    Bytes raw(spec.samples.size() * bytesPerSample);
    for (std::size_t i = 0; i < spec.samples.size(); ++i) {
        if (bytesPerSample == 2) {
            raw[2 * i] = static_cast<std::uint8_t>(spec.samples[i] >> 8);
            raw[2 * i + 1] = static_cast<std::uint8_t>(spec.samples[i] & 0xFF);
        } else {
            raw[i] = static_cast<std::uint8_t>(spec.samples[i]);
        }
    }
    std::vector<png_bytep> rows(static_cast<std::size_t>(spec.height));
    for (std::size_t y = 0; y < rows.size(); ++y) rows[y] = raw.data() + y * perRow * bytesPerSample;
    const Bytes exif = spec.exifOrientation > 0 ? exifWithOrientation(spec.exifOrientation) : Bytes{};
    Bytes out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, pngError, pngWarning);
    png_infop info = png_create_info_struct(png);
    const bool ok = pngStage(png, info, &spec, &out, rows.data(), &exif);
    png_destroy_write_struct(&png, &info);
    if (!ok) fail("PNG");
    return out;
}

Bytes writeJpeg(const JpegSpec& spec) {
    if (spec.samples.size() != static_cast<std::size_t>(spec.width) * spec.height * spec.components)
        fail("JPEG samples");
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);  // the test inputs are valid: libjpeg's default exit is fine here
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = spec.width;
    info.image_height = spec.height;
    info.input_components = spec.components;
    info.in_color_space = spec.components == 1 ? JCS_GRAYSCALE : spec.components == 3 ? JCS_RGB : JCS_CMYK;
    jpeg_set_defaults(&info);
    if (spec.components == 4) {
        jpeg_set_colorspace(&info, spec.ycck ? JCS_YCCK : JCS_CMYK);
        info.write_Adobe_marker = spec.adobeMarker ? TRUE : FALSE;
    }
    jpeg_set_quality(&info, spec.quality, TRUE);
    if (spec.progressive) jpeg_simple_progression(&info);
    if (spec.arithmetic) info.arith_code = TRUE;
    std::vector<jpeg_scan_info> scans;
    if (spec.scanPerCoefficient) {
        // The DC of every component, then each AC coefficient of each component, each first to
        // all but its lowest bit and then refined.
        for (const int low : {1, 0}) {
            jpeg_scan_info dc{};
            dc.comps_in_scan = spec.components;
            for (int c = 0; c < spec.components; ++c) dc.component_index[c] = c;
            dc.Ah = low == 0 ? 1 : 0;
            dc.Al = low;
            scans.push_back(dc);
        }
        for (const int low : {1, 0}) {
            for (int c = 0; c < spec.components; ++c) {
                for (int k = 1; k < 64; ++k) {
                    jpeg_scan_info ac{};
                    ac.comps_in_scan = 1;
                    ac.component_index[0] = c;
                    ac.Ss = ac.Se = k;
                    ac.Ah = low == 0 ? 1 : 0;
                    ac.Al = low;
                    scans.push_back(ac);
                }
            }
        }
        info.scan_info = scans.data();
        info.num_scans = static_cast<int>(scans.size());
    }
    jpeg_start_compress(&info, TRUE);
    if (spec.exifOrientation > 0) {
        Bytes app1 = {'E', 'x', 'i', 'f', 0, 0};
        const Bytes exif = exifWithOrientation(spec.exifOrientation);
        app1.insert(app1.end(), exif.begin(), exif.end());
        jpeg_write_marker(&info, JPEG_APP0 + 1, app1.data(), static_cast<unsigned>(app1.size()));
    }
    const std::size_t stride = static_cast<std::size_t>(spec.width) * spec.components;
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(spec.samples.data() + info.next_scanline * stride);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    Bytes out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

Bytes writeTiff(const TiffSpec& spec) {
    const auto path = scratchFile(".tif");
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (tiff == nullptr) fail("TIFF open");
    const int channels = spec.samplesPerPixel;
    TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, spec.width);
    TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, spec.height);
    TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, channels);
    TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, spec.bitsPerSample);
    TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC, spec.photometric);
    TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
    TIFFSetField(tiff, TIFFTAG_COMPRESSION, spec.compression);
    if (spec.photometric == PHOTOMETRIC_SEPARATED) TIFFSetField(tiff, TIFFTAG_INKSET, INKSET_CMYK);
    if (spec.compression == COMPRESSION_JPEG) {
        TIFFSetField(tiff, TIFFTAG_JPEGQUALITY, 95);
        if (spec.photometric == PHOTOMETRIC_YCBCR) TIFFSetField(tiff, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
    }
    if (spec.orientation > 0) TIFFSetField(tiff, TIFFTAG_ORIENTATION, spec.orientation);
    if (spec.extraSample >= 0) {
        const std::uint16_t kind = static_cast<std::uint16_t>(spec.extraSample);
        TIFFSetField(tiff, TIFFTAG_EXTRASAMPLES, 1, &kind);
    }
    if (spec.photometric == PHOTOMETRIC_PALETTE) {
        TIFFSetField(tiff, TIFFTAG_COLORMAP, spec.colourMap[0].data(), spec.colourMap[1].data(),
                     spec.colourMap[2].data());
    }
    const std::size_t bytesPerSample = spec.bitsPerSample == 16 ? 2 : 1;
    // Samples packed as the file stores them (whole bytes only: 8 or 16 bits, or 1-bit-per-byte
    // rows for bilevel written by the caller).
    const std::size_t rowBytes = static_cast<std::size_t>(spec.width) * channels * bytesPerSample;
    Bytes raw(rowBytes * spec.height);
    for (std::size_t i = 0; i < spec.samples.size() && i * bytesPerSample < raw.size(); ++i) {
        if (bytesPerSample == 2) {
            std::memcpy(&raw[2 * i], &spec.samples[i], 2);  // native order, as libtiff expects
        } else {
            raw[i] = static_cast<std::uint8_t>(spec.samples[i]);
        }
    }
    bool ok = true;
    if (spec.tileSide > 0) {
        TIFFSetField(tiff, TIFFTAG_TILEWIDTH, spec.tileSide);
        TIFFSetField(tiff, TIFFTAG_TILELENGTH, spec.tileSide);
        const std::size_t tileRow = static_cast<std::size_t>(spec.tileSide) * channels * bytesPerSample;
        Bytes tile(tileRow * spec.tileSide);
        for (int ty = 0; ty < spec.height; ty += spec.tileSide) {
            for (int tx = 0; tx < spec.width; tx += spec.tileSide) {
                std::fill(tile.begin(), tile.end(), 0);
                for (int y = 0; y < spec.tileSide && ty + y < spec.height; ++y) {
                    const int columns = std::min(spec.tileSide, spec.width - tx);
                    std::memcpy(&tile[y * tileRow], &raw[(ty + y) * rowBytes + tx * channels * bytesPerSample],
                                columns * channels * bytesPerSample);
                }
                ok = ok && TIFFWriteTile(tiff, tile.data(), tx, ty, 0, 0) >= 0;
            }
        }
    } else {
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, 16);
        for (int y = 0; y < spec.height; ++y) ok = ok && TIFFWriteScanline(tiff, &raw[y * rowBytes], y, 0) >= 0;
    }
    TIFFClose(tiff);
    if (!ok) fail("TIFF write");
    return slurp(path);
}

Bytes writeWebpLossless(int width, int height, const std::vector<std::uint8_t>& rgba) {
    std::uint8_t* output = nullptr;
    const std::size_t size = WebPEncodeLosslessRGBA(rgba.data(), width, height, width * 4, &output);
    if (size == 0) fail("WebP lossless");
    Bytes out(output, output + size);
    WebPFree(output);
    return out;
}

Bytes writeWebpLossy(int width, int height, const std::vector<std::uint8_t>& rgba, float quality) {
    std::uint8_t* output = nullptr;
    const std::size_t size = WebPEncodeRGBA(rgba.data(), width, height, width * 4, quality, &output);
    if (size == 0) fail("WebP lossy");
    Bytes out(output, output + size);
    WebPFree(output);
    return out;
}

Bytes addWebpExif(const Bytes& webp, int orientation) {
    const WebPData image{webp.data(), webp.size()};
    WebPMux* mux = WebPMuxCreate(&image, 1);
    if (mux == nullptr) fail("WebP mux");
    const Bytes exif = exifWithOrientation(orientation);
    const WebPData chunk{exif.data(), exif.size()};
    WebPMuxSetChunk(mux, "EXIF", &chunk, 1);
    WebPData assembled{};
    const WebPMuxError error = WebPMuxAssemble(mux, &assembled);
    WebPMuxDelete(mux);
    if (error != WEBP_MUX_OK) fail("WebP mux assemble");
    Bytes out(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    return out;
}

Bytes writeWebpAnimation(int width, int height, const std::vector<std::vector<std::uint8_t>>& frames) {
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(width, height, &options);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    int timestamp = 0;
    for (const auto& frame : frames) {
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.use_argb = 1;
        picture.width = width;
        picture.height = height;
        WebPPictureImportRGBA(&picture, frame.data(), width * 4);
        WebPAnimEncoderAdd(encoder, &picture, timestamp, &config);
        WebPPictureFree(&picture);
        timestamp += 100;
    }
    WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr);
    WebPData assembled{};
    const int ok = WebPAnimEncoderAssemble(encoder, &assembled);
    WebPAnimEncoderDelete(encoder);
    if (ok == 0) fail("WebP animation");
    Bytes out(assembled.bytes, assembled.bytes + assembled.size);
    WebPDataClear(&assembled);
    return out;
}

Bytes writeGif(int screenWidth, int screenHeight, const std::vector<std::array<std::uint8_t, 3>>& globalColours,
               const std::vector<GifFrame>& frames) {
    Bytes out;
    int error = 0;
    GifFileType* gif = EGifOpen(&out, gifWrite, &error);
    if (gif == nullptr) fail("GIF open");
    EGifSetGifVersion(gif, true);
    ColorMapObject* global = globalColours.empty() ? nullptr : makeColourMap(globalColours);
    bool ok = EGifPutScreenDesc(gif, screenWidth, screenHeight, 8, 0, global) == GIF_OK;
    for (const GifFrame& frame : frames) {
        GraphicsControlBlock control{};
        control.DisposalMode = DISPOSAL_UNSPECIFIED;
        control.TransparentColor = frame.transparentIndex;
        control.DelayTime = 10;
        GifByteType extension[4];
        const std::size_t length = EGifGCBToExtension(&control, extension);
        ok = ok && EGifPutExtension(gif, GRAPHICS_EXT_FUNC_CODE, static_cast<int>(length), extension) == GIF_OK;
        ColorMapObject* local = frame.localColours.empty() ? nullptr : makeColourMap(frame.localColours);
        // giflib forgets (without freeing) the previous frame's table when this one has none.
        if (local == nullptr && gif->Image.ColorMap != nullptr) {
            GifFreeMapObject(gif->Image.ColorMap);
            gif->Image.ColorMap = nullptr;
        }
        ok = ok &&
             EGifPutImageDesc(gif, frame.left, frame.top, frame.width, frame.height, frame.interlaced, local) == GIF_OK;
        if (local != nullptr) GifFreeMapObject(local);
        std::vector<int> order;
        if (frame.interlaced) {
            for (const auto& [start, step] : {std::pair{0, 8}, {4, 8}, {2, 4}, {1, 2}}) {
                for (int y = start; y < frame.height; y += step) order.push_back(y);
            }
        } else {
            for (int y = 0; y < frame.height; ++y) order.push_back(y);
        }
        for (const int y : order) {
            auto* row = const_cast<GifPixelType*>(frame.indices.data() + static_cast<std::size_t>(y) * frame.width);
            ok = ok && EGifPutLine(gif, row, frame.width) == GIF_OK;
        }
    }
    EGifCloseFile(gif, &error);
    if (global != nullptr) GifFreeMapObject(global);
    if (!ok) fail("GIF write");
    return out;
}

std::optional<Bytes> writeHeic(int width, int height, const std::vector<std::uint8_t>& rgb, int orientation,
                               int bitDepth) {
    if (!heif_have_encoder_for_format(heif_compression_HEVC)) return std::nullopt;
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code != heif_error_Ok) {
        heif_context_free(context);
        return std::nullopt;
    }
    heif_encoder_set_lossy_quality(encoder, 95);
    heif_image* image = nullptr;
    const bool deep = bitDepth > 8;
    heif_image_create(width, height, heif_colorspace_RGB,
                      deep ? heif_chroma_interleaved_RRGGBB_LE : heif_chroma_interleaved_RGB, &image);
    heif_image_add_plane(image, heif_channel_interleaved, width, height, bitDepth);
    int stride = 0;
    std::uint8_t* plane = heif_image_get_plane(image, heif_channel_interleaved, &stride);
    for (int y = 0; y < height; ++y) {
        if (!deep) {
            std::memcpy(plane + y * stride, rgb.data() + y * width * 3, width * 3);
            continue;
        }
        // Each 8-bit value widened to the depth, little-endian.
        for (int i = 0; i < width * 3; ++i) {
            const unsigned value = (rgb[y * width * 3 + i] * ((1u << bitDepth) - 1) + 127) / 255;
            plane[y * stride + 2 * i] = static_cast<std::uint8_t>(value);
            plane[y * stride + 2 * i + 1] = static_cast<std::uint8_t>(value >> 8);
        }
    }
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = static_cast<heif_orientation>(orientation);
    const heif_error encoded = heif_context_encode_image(context, image, encoder, options, nullptr);
    heif_encoding_options_free(options);
    heif_image_release(image);
    heif_encoder_release(encoder);
    Bytes out;
    if (encoded.code == heif_error_Ok) {
        heif_writer writer{};
        writer.writer_api_version = 1;
        writer.write = [](heif_context*, const void* data, size_t size, void* userdata) {
            auto* target = static_cast<Bytes*>(userdata);
            target->insert(target->end(), static_cast<const std::uint8_t*>(data),
                           static_cast<const std::uint8_t*>(data) + size);
            return heif_error{heif_error_Ok, heif_suberror_Unspecified, ""};
        };
        heif_context_write(context, &writer, &out);
    }
    heif_context_free(context);
    if (encoded.code != heif_error_Ok || out.empty()) return std::nullopt;
    return out;
}

std::vector<std::uint8_t> photoLike(int width, int height) {
    std::vector<std::uint8_t> rgba(static_cast<std::size_t>(width) * height * 4);
    std::uint32_t noise = 12345;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            noise = noise * 1664525u + 1013904223u;
            const double u = static_cast<double>(x) / width;
            const double v = static_cast<double>(y) / height;
            const double dx = u - 0.5;
            const double dy = v - 0.45;
            const bool device = dx * dx / 0.06 + dy * dy / 0.09 < 1.0;
            const int grain = static_cast<int>((noise >> 24) % 9) - 4;
            double r = device ? 200 + 30 * std::sin(u * 40) : 90 + 100 * v;
            double g = device ? 205 + 20 * std::cos(v * 30) : 110 + 80 * u;
            double b = device ? 210 : 140 + 60 * std::sin((u + v) * 6);
            std::uint8_t* p = &rgba[(static_cast<std::size_t>(y) * width + x) * 4];
            p[0] = static_cast<std::uint8_t>(std::clamp(r + grain, 0.0, 255.0));
            p[1] = static_cast<std::uint8_t>(std::clamp(g + grain, 0.0, 255.0));
            p[2] = static_cast<std::uint8_t>(std::clamp(b + grain, 0.0, 255.0));
            p[3] = 255;
        }
    }
    return rgba;
}

}  // namespace image_io::writers

// Under LeakSanitizer: the HEVC encoder keeps a few buffers to the end of the process.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libx265.so\n";
}
