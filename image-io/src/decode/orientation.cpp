#include "decode/orientation.hpp"

#include <libexif/exif-data.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <vector>

namespace image_io::detail {

RgbaImage orient(RgbaImage image, int orientation) {
    if (orientation < 2 || orientation > 8) return image;
    const int w = image.width;
    const int h = image.height;
    const bool swapsSides = orientation >= 5;
    RgbaImage upright;
    upright.width = swapsSides ? h : w;
    upright.height = swapsSides ? w : h;
    upright.alpha = image.alpha;
    upright.pixels.resize(image.pixels.size());
    const int ow = upright.width;
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            // Where the stored pixel (x, y) lands in the upright image.
            int ux = x;
            int uy = y;
            switch (orientation) {
                case 2:
                    ux = w - 1 - x;
                    break;
                case 3:
                    ux = w - 1 - x, uy = h - 1 - y;
                    break;
                case 4:
                    uy = h - 1 - y;
                    break;
                case 5:
                    ux = y, uy = x;
                    break;
                case 6:
                    ux = h - 1 - y, uy = x;
                    break;
                case 7:
                    ux = h - 1 - y, uy = w - 1 - x;
                    break;
                case 8:
                    ux = y, uy = w - 1 - x;
                    break;
                default:
                    break;
            }
            std::memcpy(&upright.pixels[(static_cast<std::size_t>(uy) * ow + ux) * 4],
                        &image.pixels[(static_cast<std::size_t>(y) * w + x) * 4], 4);
        }
    }
    return upright;
}

int exifOrientation(std::span<const std::uint8_t> exif) {
    static constexpr std::uint8_t prefix[] = {'E', 'x', 'i', 'f', 0, 0};
    if (exif.size() < 8 || exif.size() > 0xFFFFFF) return 1;
    std::vector<std::uint8_t> block;
    if (!std::equal(std::begin(prefix), std::end(prefix), exif.begin())) {
        block.assign(std::begin(prefix), std::end(prefix));
    }
    block.insert(block.end(), exif.begin(), exif.end());

    const std::unique_ptr<ExifData, decltype(&exif_data_unref)> data(exif_data_new(), &exif_data_unref);
    if (!data) return 1;
    // Read the block as it is: no fixing up, no maker notes changed.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), block.data(), static_cast<unsigned>(block.size()));
    ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry == nullptr || entry->components < 1 || entry->data == nullptr) return 1;
    // Stored as the standard's 16-bit value, or by some writers as a 32-bit one.
    const ExifByteOrder order = exif_data_get_byte_order(data.get());
    std::int64_t value = 0;
    if (entry->format == EXIF_FORMAT_SHORT && entry->size >= 2) {
        value = exif_get_short(entry->data, order);
    } else if (entry->format == EXIF_FORMAT_LONG && entry->size >= 4) {
        value = exif_get_long(entry->data, order);
    }
    return value >= 1 && value <= 8 ? static_cast<int>(value) : 1;
}

}  // namespace image_io::detail
