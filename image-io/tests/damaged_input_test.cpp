#include <gtest/gtest.h>

#include <optional>

#include "bmp_bytes.hpp"
#include "image_io/image.hpp"
#include "support/flat_images.hpp"
#include "test_images.hpp"

namespace image_io {
namespace {

using test::Bytes;

std::optional<ImageErrorKind> refusal(const Bytes& file) {
    return test::refusalOf([&] { (void)decode(file); });
}

writers::JpegSpec photoJpeg(int width, int height) {
    writers::JpegSpec spec;
    spec.width = width;
    spec.height = height;
    spec.samples = test::rgbOf(writers::photoLike(width, height));
    return spec;
}

TEST(DamagedInputTest, JpegCutShortIsRefusedInEveryCoding) {
    struct Coding {
        const char* name;
        bool progressive;
        bool arithmetic;
    };
    for (const Coding coding : {Coding{"Huffman", false, false},
                                {"progressive Huffman", true, false},
                                {"arithmetic", false, true},
                                {"progressive arithmetic", true, true}}) {
        // Sixteen rows of coded blocks: an arithmetic decoder cut within its last row cannot be
        // told from a whole one, so the cuts fall before it.
        writers::JpegSpec spec = photoJpeg(96, 256);
        spec.progressive = coding.progressive;
        spec.arithmetic = coding.arithmetic;
        const Bytes whole = writers::writeJpeg(spec);
        ASSERT_FALSE(refusal(whole).has_value()) << coding.name;
        for (const std::size_t kept : {whole.size() / 2, whole.size() * 8 / 10, whole.size() - 2}) {
            for (const bool ended : {false, true}) {
                SCOPED_TRACE(std::string(coding.name) + ", " + std::to_string(kept) + " bytes kept" +
                             (ended ? ", then an end marker" : ""));
                Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(kept));
                if (ended) cut.insert(cut.end(), {0xFF, 0xD9});
                if (ended && kept == whole.size() - 2) continue;  // the whole file
                EXPECT_EQ(refusal(cut), ImageErrorKind::damaged);
                EXPECT_THROW(
                    {
                        RowReader rows(cut);
                        for (int y = 0; y < rows.height(); ++y) (void)rows.nextRow();
                    },
                    ImageIOError);
            }
        }
    }
}

std::uint32_t little32(const Bytes& file, std::size_t at) {
    return file[at] | (file[at + 1] << 8) | (file[at + 2] << 16) | (std::uint32_t{file[at + 3]} << 24);
}

// Where the LONG values of an entry of a little-endian TIFF's first directory are.
std::vector<std::size_t> tiffLongValuesAt(const Bytes& file, std::uint16_t tag) {
    const std::size_t directory = little32(file, 4);
    const std::size_t entries = file[directory] | (file[directory + 1] << 8);
    for (std::size_t i = 0; i < entries; ++i) {
        const std::size_t entry = directory + 2 + 12 * i;
        if ((file[entry] | (file[entry + 1] << 8)) != tag) continue;
        const std::uint32_t count = little32(file, entry + 4);
        const std::size_t first = count == 1 ? entry + 8 : little32(file, entry + 8);
        std::vector<std::size_t> at;
        for (std::uint32_t v = 0; v < count; ++v) at.push_back(first + 4 * v);
        return at;
    }
    ADD_FAILURE() << "no tag " << tag;
    return {};
}

TEST(DamagedInputTest, FaxTiffWhoseDataEndsEarlyIsRefused) {
    writers::TiffSpec spec;
    spec.width = 64;
    spec.height = 64;
    spec.photometric = 0;
    spec.samplesPerPixel = 1;
    spec.bitsPerSample = 1;
    spec.compression = 4;  // CCITT G4
    // Each row's first 8 bytes hold its 64 bits: stripes that change from row to row.
    spec.samples.assign(64 * 64, 0);
    for (int y = 0; y < 64; ++y) {
        for (int b = 0; b < 8; ++b) spec.samples[y * 64 + b] = static_cast<std::uint16_t>((y * 37 + b * 11) & 0xFF);
    }
    Bytes file = writers::writeTiff(spec);
    ASSERT_FALSE(refusal(file).has_value());
    // Every strip's fax codes cut to a third, the strips where they were.
    for (const std::size_t at : tiffLongValuesAt(file, 279)) {
        const std::uint32_t kept = little32(file, at) / 3;
        for (int i = 0; i < 4; ++i) file[at + i] = static_cast<std::uint8_t>(kept >> (8 * i));
    }
    EXPECT_EQ(refusal(file), ImageErrorKind::damaged);
}

TEST(DamagedInputTest, SmallFileClaimingAHugeImageIsRefusedByItsSize) {
    writers::GifFrame frame;
    frame.indices = {1};
    const Bytes gif = writers::writeGif(65535, 7800, {{0, 0, 0}, {255, 255, 255}}, {frame});
    ASSERT_LT(gif.size(), 64u);
    try {
        (void)decode(gif);
        ADD_FAILURE() << "a 1 × 1 frame on a 511 Mpx screen decoded";
    } catch (const ImageIOError& error) {
        EXPECT_EQ(error.kind(), ImageErrorKind::tooLarge);
        EXPECT_EQ(error.declaredSize(), (ImageSize{65535, 7800}));
    }
    EXPECT_THROW((void)readHeader(gif), ImageIOError);
    EXPECT_THROW(RowReader{gif}, ImageIOError);

    writers::GifFrame screenWide;
    screenWide.width = 5000;
    screenWide.height = 3000;
    screenWide.indices.assign(std::size_t{5000} * 3000, 1);
    const Bytes flat = writers::writeGif(5000, 3000, {{0, 0, 0}, {255, 255, 255}}, {screenWide});
    EXPECT_EQ(decode(flat).width, 5000);  // 15 Mpx: what any file may hold
}

// A file whose image claims far more than its data holds, made large by data that is not the
// image's: a junk tail after a TIFF of one deflated strip, an unknown chunk before a WebP's
// lossless image, a comment before a GIF's frame.
std::vector<std::pair<const char*, Bytes>> paddedBombs() {
    const Bytes junk(std::size_t{2} << 20, 0x5A);
    Bytes tiff = test::tiffWithStrip(65535, 7800, 122, 64, 8);
    tiff.insert(tiff.end(), junk.begin(), junk.end());

    // A 2 × 2 lossless bitstream whose header is rewritten to claim 16383 × 16383.
    const Bytes small = writers::writeWebpLossless(2, 2, test::filled(2, 2, 1, 2, 3));
    Bytes image(small.begin() + 12, small.end());  // its VP8L chunk
    const std::uint32_t sides = 16382u | (16382u << 14);
    const std::uint32_t header = (little32(image, 9) & 0xF0000000u) | sides;
    for (int i = 0; i < 4; ++i) image[9 + i] = static_cast<std::uint8_t>(header >> (8 * i));
    Bytes body = {'W', 'E', 'B', 'P', 'V', 'P', '8', 'X', 10, 0, 0, 0, 0, 0, 0, 0};
    for (int side = 0; side < 2; ++side) body.insert(body.end(), {0xFE, 0x3F, 0});
    body.insert(body.end(), {'J', 'U', 'N', 'K'});
    test::put32(body, static_cast<std::uint32_t>(junk.size()));
    body.insert(body.end(), junk.begin(), junk.end());
    body.insert(body.end(), image.begin(), image.end());
    Bytes webp = {'R', 'I', 'F', 'F'};
    test::put32(webp, static_cast<std::uint32_t>(body.size()));
    webp.insert(webp.end(), body.begin(), body.end());

    writers::GifFrame frame;
    frame.indices = {1};
    Bytes gif = writers::writeGif(65535, 7800, {{0, 0, 0}, {255, 255, 255}}, {frame});
    // A comment extension of 255-byte blocks right after the colour table.
    Bytes comment = {0x21, 0xFE};
    for (int block = 0; block < 8400; ++block) {
        comment.push_back(255);
        comment.insert(comment.end(), 255, 'c');
    }
    comment.push_back(0);
    gif.insert(gif.begin() + 13 + 6, comment.begin(), comment.end());
    return {{"TIFF", tiff}, {"WebP", webp}, {"GIF", gif}};
}

TEST(DamagedInputTest, ImageIsBackedByItsOwnDataNotByTheRestOfTheFile) {
    for (const auto& [name, file] : paddedBombs()) {
        SCOPED_TRACE(name);
        EXPECT_NO_THROW((void)readHeader(file));  // the file is large enough to hold the size
        EXPECT_EQ(refusal(file), ImageErrorKind::tooLarge);
    }
}

// Within 600 MB, never a crash. How long each takes is image_io_bench's to say (under a second
// alone); the processor-time cap only stops a runaway, far above the slowest of them.
TEST(DamagedInputTest, AnySmallFileIsDecodedOrRefusedWithin600MBAndNeverRunsAway) {
    if (test::addressSanitized()) GTEST_SKIP() << "the sanitizer's shadow memory does not fit a capped address space";
    constexpr rlim_t runawaySeconds = 30;
    for (const auto& [name, file] : writers::flatImagesUnder64KiB()) {
        SCOPED_TRACE(name + ", " + std::to_string(file.size()) + " bytes");
        if (file.size() >= 65536) continue;
        const int outcome =
            test::decodeOutcomeWithin(file, std::size_t{600} << 20, {.applyOrientation = true}, runawaySeconds);
        EXPECT_TRUE(outcome == 0 || outcome == 1) << outcome;
    }
}

}  // namespace
}  // namespace image_io
