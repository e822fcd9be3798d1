// HEIC/HEIF through libheif: the primary image, HEVC-coded, whole or as a grid of tiles. When
// orientation is asked, the file's rotation, mirroring and clean-aperture crop are applied (the
// crop is how the photo is meant to be shown); otherwise the image comes as stored.
#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "decode/decoders.hpp"
#include "decode/heif_layout.hpp"
#include "decode/hevc_check.hpp"
#include "pixels/byte_order.hpp"
#include "pixels/pixels.hpp"

namespace image_io::detail {

namespace {

struct ContextDeleter {
    void operator()(heif_context* context) const { heif_context_free(context); }
};
struct HandleDeleter {
    void operator()(heif_image_handle* handle) const { heif_image_handle_release(handle); }
};
struct ImageDeleter {
    void operator()(heif_image* image) const { heif_image_release(image); }
};
struct OptionsDeleter {
    void operator()(heif_decoding_options* options) const { heif_decoding_options_free(options); }
};

void check(const heif_error& error) {
    if (error.code == heif_error_Ok) return;
    ImageErrorKind kind = ImageErrorKind::damaged;
    if (error.code == heif_error_Unsupported_filetype || error.code == heif_error_Unsupported_feature) {
        kind = ImageErrorKind::unsupported;
    } else if (error.subcode == heif_suberror_Security_limit_exceeded) {
        kind = ImageErrorKind::tooLarge;
    }
    throw ImageIOError(kind, std::string("HEIF: ") + (error.message != nullptr ? error.message : "error"));
}

// An ISO base media file whose major or compatible brands name a HEIF image.
bool recognisesHeif(Bytes bytes) {
    if (bytes.size() < 16 || !hasMagic(bytes, "ftyp", 4)) return false;
    const std::size_t end = std::min<std::size_t>(bigEndian32(bytes, 0), bytes.size());
    static constexpr std::string_view brands[] = {"heic", "heix", "heim", "heis", "hevc",
                                                  "hevx", "mif1", "msf1", "avif", "avis"};
    const auto named = [&](std::size_t at) {
        return std::any_of(std::begin(brands), std::end(brands),
                           [&](std::string_view brand) { return hasMagic(bytes, brand, at); });
    };
    if (named(8)) return true;
    for (std::size_t at = 16; at + 4 <= end; at += 4) {
        if (named(at)) return true;
    }
    return false;
}

// Rotations (anticlockwise quarter turns), mirrors and crops applied to an image as libheif
// applies them, for the images libheif does not transform itself.
RgbaImage transformed(RgbaImage image, const std::vector<HeifTransform>& transforms) {
    for (const HeifTransform& transform : transforms) {
        const std::size_t width = static_cast<std::size_t>(image.width);
        const std::size_t height = static_cast<std::size_t>(image.height);
        RgbaImage out;
        out.alpha = image.alpha;
        switch (transform.kind) {
            case HeifTransform::Kind::rotation: {
                if (transform.quarterTurns == 0) continue;
                const bool swaps = transform.quarterTurns % 2 == 1;
                out.width = swaps ? image.height : image.width;
                out.height = swaps ? image.width : image.height;
                out.pixels.resize(image.pixels.size());
                for (std::size_t y = 0; y < height; ++y) {
                    for (std::size_t x = 0; x < width; ++x) {
                        std::size_t ox = x;
                        std::size_t oy = y;
                        if (transform.quarterTurns == 1) ox = y, oy = width - 1 - x;
                        if (transform.quarterTurns == 2) ox = width - 1 - x, oy = height - 1 - y;
                        if (transform.quarterTurns == 3) ox = height - 1 - y, oy = x;
                        std::memcpy(&out.pixels[(oy * static_cast<std::size_t>(out.width) + ox) * 4],
                                    &image.pixels[(y * width + x) * 4], 4);
                    }
                }
                break;
            }
            case HeifTransform::Kind::mirror:
                out = image;
                for (std::size_t y = 0; y < height; ++y) {
                    for (std::size_t x = 0; x < width; ++x) {
                        const std::size_t sx = transform.topToBottom ? x : width - 1 - x;
                        const std::size_t sy = transform.topToBottom ? height - 1 - y : y;
                        std::memcpy(&out.pixels[(y * width + x) * 4], &image.pixels[(sy * width + sx) * 4], 4);
                    }
                }
                break;
            case HeifTransform::Kind::crop: {
                if (transform.cropLeft + transform.cropWidth > image.width ||
                    transform.cropTop + transform.cropHeight > image.height) {
                    throw ImageIOError(ImageErrorKind::damaged, "HEIF: clean aperture outside the image");
                }
                out.width = static_cast<int>(transform.cropWidth);
                out.height = static_cast<int>(transform.cropHeight);
                const std::size_t stride = static_cast<std::size_t>(out.width) * 4;
                out.pixels.resize(stride * static_cast<std::size_t>(out.height));
                for (std::size_t y = 0; y < static_cast<std::size_t>(out.height); ++y) {
                    std::memcpy(&out.pixels[y * stride],
                                &image.pixels[((y + static_cast<std::size_t>(transform.cropTop)) * width +
                                               static_cast<std::size_t>(transform.cropLeft)) *
                                              4],
                                stride);
                }
                break;
            }
        }
        image = std::move(out);
    }
    return image;
}

class HeifReading {
public:
    // The boxes are read and every size checked before libheif sees the bytes.
    explicit HeifReading(Bytes bytes) : layout_(readHeifLayout(bytes)), context_(heif_context_alloc()) {
        if (!context_) throw ImageIOError(ImageErrorKind::damaged, "HEIF: out of memory");
        heif_context_set_maximum_image_size_limit(
            context_.get(), static_cast<int>(std::max(layout_.width, layout_.height) + codingPadding + 1));
        heif_context_set_max_decoding_threads(context_.get(), 0);  // tiles on the caller's thread
        check(heif_context_read_from_memory_without_copy(context_.get(), bytes.data(), bytes.size(), nullptr));
        heif_image_handle* handle = nullptr;
        check(heif_context_get_primary_image_handle(context_.get(), &handle));
        handle_.reset(handle);
    }

    // The coded size, before any transform.
    StoredSize size() const { return {static_cast<int>(layout_.width), static_cast<int>(layout_.height)}; }

    // As stored, or with the file's rotation, mirroring and clean-aperture crop applied (the crop
    // is how the photo is meant to be shown). The pixels come at the size the file declares, or
    // not at all.
    DecodedImage decode(bool applyTransforms) {
        for (const HevcImage& image : layout_.codedImages) checkHevcDecodesWhole(image);
        DecodedImage decoded;
        decoded.image = decodePixels();
        if (decoded.image.width != layout_.width || decoded.image.height != layout_.height) {
            throw ImageIOError(ImageErrorKind::damaged, "HEIF: decoded at another size than the file declares");
        }
        // Turned here rather than by libheif, which mirrors 8-bit images only.
        if (applyTransforms) decoded.image = transformed(std::move(decoded.image), layout_.transforms);
        return decoded;
    }

private:
    RgbaImage decodePixels() {
        const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
        if (!options) throw ImageIOError(ImageErrorKind::damaged, "HEIF: out of memory");
        options->ignore_transformations = 1;
        options->convert_hdr_to_8bit = 1;
        // Damaged coded data is an error, not a picture with holes of whatever the memory held.
        options->strict_decoding = 1;
        options->decoder_id = "libde265";
        heif_image* raw = nullptr;
        check(heif_decode_image(handle_.get(), &raw, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, options.get()));
        const std::unique_ptr<heif_image, ImageDeleter> image(raw);
        if (heif_image_get_decoding_warnings(image.get(), 0, nullptr, 0) > 0) {
            throw ImageIOError(ImageErrorKind::damaged, "HEIF: damaged image data");
        }
        const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
        const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
        checkImageSize(width, height);
        int stride = 0;
        const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
        if (plane == nullptr || stride < width * 4) throw ImageIOError(ImageErrorKind::damaged, "HEIF: no pixels");
        if (heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) != 8) {
            throw ImageIOError(ImageErrorKind::unsupported, "HEIF: unexpected pixel depth");
        }
        RgbaImage decoded;
        decoded.width = width;
        decoded.height = height;
        decoded.alpha = heif_image_handle_has_alpha_channel(handle_.get()) &&
                                heif_image_handle_is_premultiplied_alpha(handle_.get())
                            ? AlphaMode::premultiplied
                            : AlphaMode::straight;
        decoded.pixels.resize(rgbaBytes(width, height));
        for (int y = 0; y < height; ++y) {
            std::memcpy(decoded.pixels.data() + static_cast<std::size_t>(y) * width * 4,
                        plane + static_cast<std::size_t>(y) * stride, static_cast<std::size_t>(width) * 4);
        }
        return decoded;
    }

    HeifLayout layout_;
    std::unique_ptr<heif_context, ContextDeleter> context_;
    std::unique_ptr<heif_image_handle, HandleDeleter> handle_;
};

StoredSize heifSize(Bytes bytes) {
    const HeifLayout layout = readHeifLayout(bytes);
    return {static_cast<int>(layout.width), static_cast<int>(layout.height)};
}

DecodedImage decodeHeif(Bytes bytes, const DecodeOptions& options) {
    return HeifReading(bytes).decode(options.applyOrientation);
}

}  // namespace

const Decoder heifDecoder{ImageFormat::heif, heifPixelCost, recognisesHeif, heifSize, decodeHeif, nullptr};

}  // namespace image_io::detail
