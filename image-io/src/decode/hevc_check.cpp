#include "decode/hevc_check.hpp"

#include <libde265/de265.h>

#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "image_io/rgba_image.hpp"

namespace image_io::detail {

namespace {

[[noreturn]] void refuse(const char* why) {
    throw ImageIOError(ImageErrorKind::damaged, std::string("HEIF: ") + why);
}

struct DecoderFreer {
    void operator()(de265_decoder_context* decoder) const { de265_free_decoder(decoder); }
};

// libde265's own picture buffers, filled with `*fill` once allocated.
int fillingBuffer(de265_decoder_context* context, de265_image_spec* spec, de265_image* image, void* fill) {
    const de265_image_allocation* standard = de265_get_default_image_allocation_functions();
    if (standard->get_buffer(context, spec, image, nullptr) == 0) return 0;
    for (int channel = 0; channel < 3; ++channel) {
        int stride = 0;
        auto* plane = const_cast<std::uint8_t*>(de265_get_image_plane(image, channel, &stride));
        const int rows = de265_get_image_height(image, channel);
        if (plane != nullptr && stride > 0 && rows > 0) {
            std::memset(plane, *static_cast<const std::uint8_t*>(fill),
                        static_cast<std::size_t>(stride) * static_cast<std::size_t>(rows));
        }
    }
    return 1;
}

void releaseBuffer(de265_decoder_context* context, de265_image* image, void*) {
    de265_get_default_image_allocation_functions()->release_buffer(context, image, nullptr);
}

// Warnings that say nothing of the data.
bool harmless(de265_error warning) {
    return warning == DE265_WARNING_NO_WPP_CANNOT_USE_MULTITHREADING || warning == DE265_WARNING_WARNING_BUFFER_FULL ||
           warning == DE265_WARNING_NUMBER_OF_THREADS_LIMITED_TO_MAXIMUM;
}

using Decoder = std::unique_ptr<de265_decoder_context, DecoderFreer>;

// The visible samples of the one picture the units decode to, the pictures filled with `fill`.
// The decoder is left to the caller, so that a second decoding cannot reuse its memory.
std::vector<std::uint8_t> decodedSamples(const HevcImage& image, const std::uint8_t& fill, Decoder& decoder) {
    decoder.reset(de265_new_decoder());
    if (!decoder) refuse("out of memory");
    de265_image_allocation allocation{fillingBuffer, releaseBuffer};
    de265_set_image_allocation_functions(decoder.get(), &allocation, const_cast<std::uint8_t*>(&fill));
    // A picture libde265 knows to be faulty is not given out at all. The in-loop filters are left
    // out: they would write the blocks a damaged slice never reached from pictures of their own,
    // not filled here, so that the two decodings could agree by chance.
    de265_set_parameter_bool(decoder.get(), DE265_DECODER_PARAM_SUPPRESS_FAULTY_PICTURES, 1);
    de265_set_parameter_bool(decoder.get(), DE265_DECODER_PARAM_DISABLE_DEBLOCKING, 1);
    de265_set_parameter_bool(decoder.get(), DE265_DECODER_PARAM_DISABLE_SAO, 1);
    for (const std::vector<std::uint8_t>& unit : image.units) {
        if (unit.size() > static_cast<std::size_t>(INT32_MAX) ||
            de265_push_NAL(decoder.get(), unit.data(), static_cast<int>(unit.size()), 0, nullptr) != DE265_OK) {
            refuse("coded data not accepted");
        }
    }
    if (de265_flush_data(decoder.get()) != DE265_OK) refuse("coded data not accepted");
    std::vector<std::uint8_t> samples;
    int pictures = 0;
    int more = 1;
    while (more != 0) {
        more = 0;
        const de265_error error = de265_decode(decoder.get(), &more);
        if (error != DE265_OK && error != DE265_ERROR_WAITING_FOR_INPUT_DATA) refuse("damaged image data");
        for (de265_error warning = de265_get_warning(decoder.get()); warning != DE265_OK;
             warning = de265_get_warning(decoder.get())) {
            if (!harmless(warning)) refuse("damaged image data");
        }
        while (const de265_image* picture = de265_get_next_picture(decoder.get())) {
            ++pictures;
            for (int channel = 0; channel < 3; ++channel) {
                int stride = 0;
                const std::uint8_t* plane = de265_get_image_plane(picture, channel, &stride);
                if (plane == nullptr) continue;
                const int bytes =
                    de265_get_image_width(picture, channel) * ((de265_get_bits_per_pixel(picture, channel) + 7) / 8);
                for (int y = 0; y < de265_get_image_height(picture, channel); ++y) {
                    const std::uint8_t* row = plane + static_cast<std::ptrdiff_t>(y) * stride;
                    samples.insert(samples.end(), row, row + bytes);
                }
            }
            de265_release_next_picture(decoder.get());
        }
    }
    if (pictures != 1) refuse("not one picture");
    return samples;
}

// A damaged stream can also send libde265 off reading its own bookkeeping before it wrote it.
// Memory fresh from the system reads as zeros in both decodings, which then agree by chance: the
// heap each decoding allocates from is first written with a value of its own (blocks below the
// size the allocator maps apart, freed at once, so that the decoder's allocations reuse them).
void scribble(std::uint8_t value) {
    constexpr std::size_t blockBytes = 60000;
    constexpr int blocks = 32;
    std::vector<std::unique_ptr<std::uint8_t[]>> written;
    for (int i = 0; i < blocks; ++i) {
        written.emplace_back(new std::uint8_t[blockBytes]);
        std::memset(written.back().get(), value, blockBytes);
    }
}

}  // namespace

void checkHevcDecodesWhole(const HevcImage& image) {
    static constexpr std::uint8_t dark = 0x00;
    static constexpr std::uint8_t light = 0xFF;
    Decoder first;
    Decoder second;
    scribble(0x5A);
    const std::vector<std::uint8_t> onDark = decodedSamples(image, dark, first);
    scribble(0xA5);
    if (onDark != decodedSamples(image, light, second)) refuse("image data that does not cover the image");
}

}  // namespace image_io::detail
