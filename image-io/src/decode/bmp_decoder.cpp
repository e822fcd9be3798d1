// BMP through stb_image's decoder, behind a header check of our own: the check refuses what stb
// would read wrongly or not at all (RLE, a palette too short for the indices used, pixel data that
// the file does not hold), and the caps before any buffer exists.
#include <cstring>
#include <memory>
#include <string>

#include "decode/decoders.hpp"
#include "pixels/byte_order.hpp"
#include "pixels/pixels.hpp"
#include "platform/stb_bmp.hpp"

namespace image_io::detail {

namespace {

constexpr std::size_t fileHeaderSize = 14;

struct BmpLayout {
    std::int64_t width = 0;
    std::int64_t height = 0;  // rows, whatever their order
    bool bottomUp = true;
    unsigned bitsPerPixel = 0;
    std::int64_t pixelOffset = 0;
    std::int64_t paletteEntries = 0;
};

[[noreturn]] void refuse(const char* why, ImageErrorKind kind = ImageErrorKind::damaged) {
    throw ImageIOError(kind, std::string("BMP: ") + why);
}

// The file header's magic and an information header of a size some writer uses.
bool recognisesBmp(Bytes bytes) {
    if (bytes.size() < 18 || !hasMagic(bytes, "BM")) return false;
    const std::uint32_t infoSize = littleEndian32(bytes, 14);
    return infoSize == 12 || infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 64 || infoSize == 108 ||
           infoSize == 124;
}

BmpLayout checkHeader(Bytes bytes) {
    if (bytes.size() < fileHeaderSize + 4 || bytes[0] != 'B' || bytes[1] != 'M')
        throw ImageIOError(ImageErrorKind::unknownFormat, "BMP: not a BMP file");
    BmpLayout layout;
    layout.pixelOffset = littleEndian32(bytes, 10);
    const std::uint32_t infoSize = littleEndian32(bytes, 14);
    if (infoSize != 12 && infoSize != 40 && infoSize != 56 && infoSize != 108 && infoSize != 124) {
        refuse("unsupported header", ImageErrorKind::unsupported);
    }
    if (bytes.size() < fileHeaderSize + infoSize) refuse("file is truncated");
    std::uint32_t compression = 0;
    if (infoSize == 12) {
        layout.width = littleEndian16(bytes, 18);
        layout.height = littleEndian16(bytes, 20);
        layout.bitsPerPixel = littleEndian16(bytes, 24);
    } else {
        layout.width = static_cast<std::int32_t>(littleEndian32(bytes, 18));
        const auto rows = static_cast<std::int32_t>(littleEndian32(bytes, 22));
        layout.bottomUp = rows > 0;
        layout.height = rows < 0 ? -static_cast<std::int64_t>(rows) : rows;
        layout.bitsPerPixel = littleEndian16(bytes, 28);
        compression = littleEndian32(bytes, 30);
    }
    if (compression == 1 || compression == 2) refuse("RLE-compressed images are not read", ImageErrorKind::unsupported);
    if (compression != 0 && compression != 3) refuse("unsupported compression", ImageErrorKind::unsupported);
    const unsigned bits = layout.bitsPerPixel;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        refuse("unsupported depth", ImageErrorKind::unsupported);
    if (compression == 3 && bits != 16 && bits != 32)
        refuse("bit fields need 16 or 32 bits", ImageErrorKind::unsupported);
    checkImageSize(layout.width, layout.height);

    // The bytes between the headers and the pixels hold the bit-field masks and the palette.
    std::int64_t headersEnd = static_cast<std::int64_t>(fileHeaderSize) + infoSize;
    if (infoSize == 40 && compression == 3) headersEnd += 12;
    if (layout.pixelOffset < headersEnd) refuse("pixel data overlaps the header");
    if (bits <= 8) {
        // As stb counts them: its core-header count leaves out the last four entries' bytes.
        layout.paletteEntries = infoSize == 12
                                    ? (layout.pixelOffset - static_cast<std::int64_t>(fileHeaderSize) - 24) / 3
                                    : (layout.pixelOffset - headersEnd) / 4;
        if (layout.paletteEntries < 1 || layout.paletteEntries > 256) refuse("bad palette");
    }
    const std::int64_t rowBytes = (layout.width * bits + 31) / 32 * 4;
    if (layout.pixelOffset + rowBytes * layout.height > static_cast<std::int64_t>(bytes.size())) {
        refuse("pixel data runs past the end of the file");
    }
    return layout;
}

// A palette shorter than the depth allows must not be indexed past its end.
void checkPaletteIndices(Bytes bytes, const BmpLayout& layout) {
    const unsigned bits = layout.bitsPerPixel;
    if (bits > 8 || layout.paletteEntries >= (std::int64_t{1} << bits)) return;
    const std::int64_t rowBytes = (layout.width * bits + 31) / 32 * 4;
    const unsigned mask = (1u << bits) - 1;
    for (std::int64_t y = 0; y < layout.height; ++y) {
        const std::uint8_t* row = bytes.data() + layout.pixelOffset + y * rowBytes;
        for (std::int64_t x = 0; x < layout.width; ++x) {
            const std::int64_t bit = x * bits;
            const unsigned shift = 8 - bits - static_cast<unsigned>(bit % 8);
            const unsigned index = (row[bit / 8] >> shift) & mask;
            if (index >= layout.paletteEntries) refuse("colour index beyond the palette");
        }
    }
}

struct StbPixelsFreer {
    void operator()(std::uint8_t* pixels) const { freeStbPixels(pixels); }
};

StoredSize bmpSize(Bytes bytes) {
    const BmpLayout layout = checkHeader(bytes);
    return {static_cast<int>(layout.width), static_cast<int>(layout.height)};
}

DecodedImage decodeBmp(Bytes bytes, const DecodeOptions&) {
    const BmpLayout layout = checkHeader(bytes);
    checkPaletteIndices(bytes, layout);
    int width = 0;
    int height = 0;
    const std::unique_ptr<std::uint8_t, StbPixelsFreer> pixels(
        stbDecodeBmp(bytes.data(), bytes.size(), &width, &height));
    if (!pixels) refuse("unreadable image data");
    if (width != layout.width || height != layout.height) refuse("unexpected size");
    DecodedImage decoded;
    decoded.image.width = width;
    decoded.image.height = height;
    decoded.image.alpha = AlphaMode::straight;
    decoded.image.pixels.assign(pixels.get(), pixels.get() + rgbaBytes(width, height));
    return decoded;
}

}  // namespace

const Decoder bmpDecoder{ImageFormat::bmp, 1, recognisesBmp, bmpSize, decodeBmp, nullptr};

}  // namespace image_io::detail
