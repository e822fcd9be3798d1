#pragma once

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "bmp_bytes.hpp"
#include "image_io/image.hpp"
#include "support/writers.hpp"

namespace image_io::test {

using Bytes = std::vector<std::uint8_t>;

// A uniform straight RGBA image.
inline std::vector<std::uint8_t> filled(int width, int height, std::uint8_t r, std::uint8_t g, std::uint8_t b,
                                        std::uint8_t a = 255) {
    std::vector<std::uint8_t> pixels;
    for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {r, g, b, a});
    return pixels;
}

inline std::vector<std::uint8_t> rgbOf(const std::vector<std::uint8_t>& rgba) {
    std::vector<std::uint8_t> rgb;
    for (std::size_t i = 0; i < rgba.size(); i += 4) rgb.insert(rgb.end(), {rgba[i], rgba[i + 1], rgba[i + 2]});
    return rgb;
}

inline const std::uint8_t* pixelAt(const RgbaImage& image, int x, int y) {
    return &image.pixels[(static_cast<std::size_t>(y) * image.width + x) * 4];
}

// Every channel of every pixel within the tolerance; the first difference reported.
inline ::testing::AssertionResult pixelsNear(const std::vector<std::uint8_t>& actual,
                                             const std::vector<std::uint8_t>& expected, int tolerance) {
    if (actual.size() != expected.size()) {
        return ::testing::AssertionFailure() << "sizes " << actual.size() << " and " << expected.size();
    }
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (std::abs(int{actual[i]} - int{expected[i]}) > tolerance) {
            return ::testing::AssertionFailure() << "byte " << i << " (pixel " << i / 4 << ", channel " << i % 4
                                                 << "): " << int{actual[i]} << " instead of " << int{expected[i]};
        }
    }
    return ::testing::AssertionSuccess();
}

// A hand-made little-endian TIFF of one grey strip, stored as `compression` says.
inline Bytes tiffWithStrip(std::uint32_t width, std::uint32_t height, std::uint32_t stripOffset,
                           std::uint32_t stripBytes, std::uint32_t compression = 1) {
    Bytes file = {'I', 'I', 42, 0};
    put32(file, 8);
    struct Entry {
        std::uint16_t tag;
        std::uint16_t type;
        std::uint32_t value;
    };
    const Entry entries[] = {{256, 4, width},       {257, 4, height}, {258, 3, 8},
                             {259, 3, compression}, {262, 3, 1},      {273, 4, stripOffset},
                             {277, 3, 1},           {278, 4, height}, {279, 4, stripBytes}};
    put16(file, static_cast<std::uint32_t>(std::size(entries)));
    for (const Entry& e : entries) {
        put16(file, e.tag);
        put16(file, e.type);
        put32(file, 1);
        put32(file, e.value);
    }
    put32(file, 0);
    file.resize(file.size() + 64, 0x55);
    return file;
}

inline Bytes webpCanvas(std::uint32_t width, std::uint32_t height) {
    // An extended header claiming the canvas, then a real small image.
    const Bytes image = writers::writeWebpLossless(1, 1, {1, 2, 3, 255});
    Bytes chunk = {'V', 'P', '8', 'X', 10, 0, 0, 0, 0, 0, 0, 0};
    for (const std::uint32_t side : {width - 1, height - 1}) {
        chunk.insert(chunk.end(), {static_cast<std::uint8_t>(side), static_cast<std::uint8_t>(side >> 8),
                                   static_cast<std::uint8_t>(side >> 16)});
    }
    Bytes body = {'W', 'E', 'B', 'P'};
    body.insert(body.end(), chunk.begin(), chunk.end());
    body.insert(body.end(), image.begin() + 12, image.end());
    Bytes file = {'R', 'I', 'F', 'F'};
    put32(file, static_cast<std::uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

// Whether AddressSanitizer is built in: its shadow memory does not fit a capped address space.
constexpr bool addressSanitized() {
#if defined(__SANITIZE_ADDRESS__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

// The error an operation ends in, if any.
template <typename Operation>
std::optional<ImageIOError> errorOf(Operation operation) {
    try {
        operation();
    } catch (const ImageIOError& error) {
        return error;
    }
    return std::nullopt;
}

template <typename Operation>
std::optional<ImageErrorKind> refusalOf(Operation operation) {
    const std::optional<ImageIOError> error = errorOf(operation);
    return error ? std::optional(error->kind()) : std::nullopt;
}

// How a decode ended in a child process whose address space may grow by at most `headroom` bytes
// and that may use `seconds` of processor time: 0 refused as unreadable, 1 decoded, 2 out of
// memory, 3 anything else, -1 killed (out of time).
inline int decodeOutcomeWithin(const Bytes& file, std::size_t headroom, const DecodeOptions& options,
                               rlim_t seconds = RLIM_INFINITY) {
    const pid_t child = ::fork();
    if (child == 0) {
        std::size_t pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t limit = pages * static_cast<std::size_t>(::sysconf(_SC_PAGESIZE)) + headroom;
        const rlimit capped{limit, limit};
        const rlimit time{seconds, seconds};
        if (pages == 0 || ::setrlimit(RLIMIT_AS, &capped) != 0 || ::setrlimit(RLIMIT_CPU, &time) != 0) ::_exit(3);
        try {
            (void)decode(file, options);
            ::_exit(1);
        } catch (const ImageIOError&) {
            ::_exit(0);
        } catch (const std::bad_alloc&) {
            ::_exit(2);
        } catch (...) {
            ::_exit(3);
        }
    }
    int status = 0;
    if (child < 0 || ::waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace image_io::test
