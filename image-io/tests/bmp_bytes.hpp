#pragma once

#include <array>
#include <cstdint>
#include <vector>

// BMP files built byte by byte (no library writes them).
namespace image_io::test {

struct BmpSpec {
    int infoSize = 40;  // 12, 40, 108 or 124
    int width = 1;
    int height = 1;  // negative: rows top-down
    int bits = 24;
    int compression = 0;                               // 0 plain, 1 RLE8, 3 bit fields
    std::vector<std::array<std::uint8_t, 3>> palette;  // RGB
    std::array<std::uint32_t, 4> masks{};              // R, G, B, A (bit fields)
    std::vector<std::uint8_t> pixelData;               // rows as stored, padded
};

inline void put16(std::vector<std::uint8_t>& out, std::uint32_t v) {
    out.push_back(static_cast<std::uint8_t>(v));
    out.push_back(static_cast<std::uint8_t>(v >> 8));
}
inline void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

inline std::vector<std::uint8_t> bmpFile(const BmpSpec& spec) {
    std::vector<std::uint8_t> info;
    put32(info, static_cast<std::uint32_t>(spec.infoSize));
    if (spec.infoSize == 12) {
        put16(info, static_cast<std::uint32_t>(spec.width));
        put16(info, static_cast<std::uint32_t>(spec.height));
        put16(info, 1);
        put16(info, static_cast<std::uint32_t>(spec.bits));
    } else {
        put32(info, static_cast<std::uint32_t>(spec.width));
        put32(info, static_cast<std::uint32_t>(spec.height));
        put16(info, 1);
        put16(info, static_cast<std::uint32_t>(spec.bits));
        put32(info, static_cast<std::uint32_t>(spec.compression));
        put32(info, static_cast<std::uint32_t>(spec.pixelData.size()));
        put32(info, 2835);
        put32(info, 2835);
        put32(info, static_cast<std::uint32_t>(spec.palette.size()));
        put32(info, 0);
        if (spec.infoSize >= 108) {
            for (const std::uint32_t mask : spec.masks) put32(info, mask);
            put32(info, 0x73524742);  // "sRGB"
            for (int i = 0; i < 12; ++i) put32(info, 0);
            if (spec.infoSize == 124) {
                for (int i = 0; i < 4; ++i) put32(info, 0);
            }
        } else if (spec.compression == 3) {
            for (int i = 0; i < 3; ++i) put32(info, spec.masks[static_cast<std::size_t>(i)]);
        }
    }
    for (const auto& colour : spec.palette) {
        info.insert(info.end(), {colour[2], colour[1], colour[0]});
        if (spec.infoSize != 12) info.push_back(0);
    }
    std::vector<std::uint8_t> file = {'B', 'M'};
    const std::uint32_t offset = 14 + static_cast<std::uint32_t>(info.size());
    put32(file, offset + static_cast<std::uint32_t>(spec.pixelData.size()));
    put32(file, 0);
    put32(file, offset);
    file.insert(file.end(), info.begin(), info.end());
    file.insert(file.end(), spec.pixelData.begin(), spec.pixelData.end());
    return file;
}

}  // namespace image_io::test
