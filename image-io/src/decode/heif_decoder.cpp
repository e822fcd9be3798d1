// HEIC/HEIF through libheif: the primary image. libheif applies the file's own rotation and
// mirroring (and only those) when orientation is asked; otherwise the image comes as stored.
#include <libheif/heif.h>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <memory>
#include <string>
#include <string_view>

#include "decode/decoders.hpp"
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

class HeifReading {
public:
    explicit HeifReading(Bytes bytes) : context_(heif_context_alloc()) {
        if (!context_) throw ImageIOError(ImageErrorKind::damaged, "HEIF: out of memory");
        heif_context_set_maximum_image_size_limit(context_.get(), static_cast<int>(maxImageSide));
        check(heif_context_read_from_memory_without_copy(context_.get(), bytes.data(), bytes.size(), nullptr));
        heif_image_handle* handle = nullptr;
        check(heif_context_get_primary_image_handle(context_.get(), &handle));
        handle_.reset(handle);
        checkImageSize(size().width, size().height);
    }

    // The coded size, before any rotation.
    StoredSize size() const {
        return {heif_image_handle_get_ispe_width(handle_.get()), heif_image_handle_get_ispe_height(handle_.get())};
    }

    DecodedImage decode(bool applyTransforms) {
        const std::unique_ptr<heif_decoding_options, OptionsDeleter> options(heif_decoding_options_alloc());
        if (!options) throw ImageIOError(ImageErrorKind::damaged, "HEIF: out of memory");
        options->ignore_transformations = applyTransforms ? 0 : 1;
        heif_image* raw = nullptr;
        check(heif_decode_image(handle_.get(), &raw, heif_colorspace_RGB, heif_chroma_interleaved_RGBA, options.get()));
        const std::unique_ptr<heif_image, ImageDeleter> image(raw);
        const int width = heif_image_get_width(image.get(), heif_channel_interleaved);
        const int height = heif_image_get_height(image.get(), heif_channel_interleaved);
        checkImageSize(width, height);
        int stride = 0;
        const std::uint8_t* plane = heif_image_get_plane_readonly(image.get(), heif_channel_interleaved, &stride);
        if (plane == nullptr || stride < width * 4) throw ImageIOError(ImageErrorKind::damaged, "HEIF: no pixels");
        if (heif_image_get_bits_per_pixel_range(image.get(), heif_channel_interleaved) != 8) {
            throw ImageIOError(ImageErrorKind::unsupported, "HEIF: unexpected pixel depth");
        }
        DecodedImage decoded;
        decoded.image.width = width;
        decoded.image.height = height;
        decoded.image.alpha = heif_image_handle_has_alpha_channel(handle_.get()) &&
                                      heif_image_handle_is_premultiplied_alpha(handle_.get())
                                  ? AlphaMode::premultiplied
                                  : AlphaMode::straight;
        decoded.image.pixels.resize(rgbaBytes(width, height));
        for (int y = 0; y < height; ++y) {
            std::memcpy(decoded.image.pixels.data() + static_cast<std::size_t>(y) * width * 4,
                        plane + static_cast<std::size_t>(y) * stride, static_cast<std::size_t>(width) * 4);
        }
        return decoded;
    }

private:
    std::unique_ptr<heif_context, ContextDeleter> context_;
    std::unique_ptr<heif_image_handle, HandleDeleter> handle_;
};

StoredSize heifSize(Bytes bytes) {
    return HeifReading(bytes).size();
}

DecodedImage decodeHeif(Bytes bytes, const DecodeOptions& options) {
    return HeifReading(bytes).decode(options.applyOrientation);
}

}  // namespace

const Decoder heifDecoder{ImageFormat::heif, recognisesHeif, heifSize, decodeHeif, nullptr};

}  // namespace image_io::detail
