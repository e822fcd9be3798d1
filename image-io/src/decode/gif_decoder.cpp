// GIF through giflib: the first frame, placed on the logical screen, with its local or the global
// colour table and its transparent index as alpha 0.
#include <gif_lib.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "decode/decoders.hpp"
#include "pixels/pixels.hpp"

namespace image_io::detail {

namespace {

struct MemoryInput {
    const std::uint8_t* data = nullptr;
    std::size_t size = 0;
    std::size_t position = 0;
};

int readInput(GifFileType* gif, GifByteType* out, int count) {
    auto* input = static_cast<MemoryInput*>(gif->UserData);
    if (count <= 0) return 0;
    const std::size_t taken = std::min(static_cast<std::size_t>(count), input->size - input->position);
    std::memcpy(out, input->data + input->position, taken);
    input->position += taken;
    return static_cast<int>(taken);
}

bool recognisesGif(Bytes bytes) {
    return hasMagic(bytes, "GIF87a") || hasMagic(bytes, "GIF89a");
}

struct GifCloser {
    void operator()(GifFileType* gif) const {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

class GifReading {
public:
    explicit GifReading(Bytes bytes) {
        input_.data = bytes.data();
        input_.size = bytes.size();
        int error = 0;
        gif_.reset(DGifOpen(&input_, readInput, &error));
        if (!gif_) fail(error);
        if (gif_->SWidth != 0 && gif_->SHeight != 0) checkImageSize(gif_->SWidth, gif_->SHeight);
    }

    // The logical screen; a screen of no size is the first frame's extent (read from its
    // descriptor, without decoding it).
    StoredSize size() {
        if (gif_->SWidth != 0 && gif_->SHeight != 0) return {gif_->SWidth, gif_->SHeight};
        findFirstFrame();
        const GifImageDesc& frame = gif_->Image;
        checkImageSize(std::int64_t{frame.Left} + frame.Width, std::int64_t{frame.Top} + frame.Height);
        return {frame.Left + frame.Width, frame.Top + frame.Height};
    }

    DecodedImage decode() {
        findFirstFrame();
        return readFrame(transparent_);
    }

private:
    // Reads records up to the first image descriptor, keeping the transparent index of the
    // graphic control before it.
    void findFirstFrame() {
        if (frameFound_) return;
        GifFileType* gif = gif_.get();
        for (;;) {
            GifRecordType record = UNDEFINED_RECORD_TYPE;
            if (DGifGetRecordType(gif, &record) == GIF_ERROR) fail(gif->Error);
            if (record == TERMINATE_RECORD_TYPE) throw ImageIOError(ImageErrorKind::damaged, "GIF: no image");
            if (record == EXTENSION_RECORD_TYPE) {
                int code = 0;
                GifByteType* block = nullptr;
                if (DGifGetExtension(gif, &code, &block) == GIF_ERROR) fail(gif->Error);
                if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
                    GraphicsControlBlock control{};
                    if (DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK) {
                        transparent_ = control.TransparentColor;
                    }
                }
                while (block != nullptr) {
                    if (DGifGetExtensionNext(gif, &block) == GIF_ERROR) fail(gif->Error);
                }
            } else if (record == IMAGE_DESC_RECORD_TYPE) {
                if (DGifGetImageDesc(gif) == GIF_ERROR) fail(gif->Error);
                frameFound_ = true;
                return;
            }
        }
    }

    DecodedImage readFrame(int transparent) {
        GifFileType* gif = gif_.get();
        const GifImageDesc& frame = gif->Image;
        const std::int64_t frameWidth = frame.Width;
        const std::int64_t frameHeight = frame.Height;
        if (frameWidth <= 0 || frameHeight <= 0 || frameWidth * frameHeight > maxImagePixels) {
            throw ImageIOError(ImageErrorKind::damaged, "GIF: frame size out of range");
        }
        const StoredSize screen = size();
        const int width = screen.width;
        const int height = screen.height;
        // The screen is backed by the frame's data, not by extensions before it.
        checkBacked(std::int64_t{width} * height, input_.size - input_.position, {width, height});
        const ColorMapObject* colours = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
        if (colours == nullptr || colours->Colors == nullptr)
            throw ImageIOError(ImageErrorKind::damaged, "GIF: no colour table");

        // Every entry the bytes can name: indices beyond the table read as opaque black.
        std::uint8_t palette[256][4];
        for (int i = 0; i < 256; ++i) {
            const bool inTable = i < colours->ColorCount;
            palette[i][0] = inTable ? colours->Colors[i].Red : 0;
            palette[i][1] = inTable ? colours->Colors[i].Green : 0;
            palette[i][2] = inTable ? colours->Colors[i].Blue : 0;
            palette[i][3] = i == transparent ? 0 : 255;
            if (i == transparent) palette[i][0] = palette[i][1] = palette[i][2] = 0;
        }

        DecodedImage decoded;
        decoded.image.width = width;
        decoded.image.height = height;
        decoded.image.alpha = AlphaMode::straight;
        // The buffer grows with the rows read (new rows transparent), so that a frame claiming a
        // huge size over little data fails on its first missing line.
        const std::size_t stride = static_cast<std::size_t>(width) * 4;
        std::vector<GifPixelType> line(static_cast<std::size_t>(frameWidth));

        const auto putRow = [&](std::int64_t row) {
            const std::int64_t y = frame.Top + row;
            if (y < 0 || y >= height) return;
            growForRows(decoded.image.pixels, stride, static_cast<std::size_t>(y) + 1,
                        static_cast<std::size_t>(height));
            std::uint8_t* out = decoded.image.pixels.data() + static_cast<std::size_t>(y) * stride;
            for (std::int64_t i = 0; i < frameWidth; ++i) {
                const std::int64_t x = frame.Left + i;
                if (x < 0 || x >= width) continue;
                std::memcpy(out + x * 4, palette[line[static_cast<std::size_t>(i)]], 4);
            }
        };
        const auto readLine = [&] {
            if (DGifGetLine(gif, line.data(), static_cast<int>(frameWidth)) == GIF_ERROR) fail(gif->Error);
        };
        if (frame.Interlace) {
            // Rows come in four passes: every 8th from 0, every 8th from 4, every 4th from 2, every 2nd from 1.
            static constexpr int starts[] = {0, 4, 2, 1};
            static constexpr int steps[] = {8, 8, 4, 2};
            for (int pass = 0; pass < 4; ++pass) {
                for (std::int64_t row = starts[pass]; row < frameHeight; row += steps[pass]) {
                    readLine();
                    putRow(row);
                }
            }
        } else {
            // Rows below the screen are never shown: the decoding stops at the screen's edge.
            for (std::int64_t row = 0; row < frameHeight && frame.Top + row < height; ++row) {
                readLine();
                putRow(row);
            }
        }
        growForRows(decoded.image.pixels, stride, static_cast<std::size_t>(height), static_cast<std::size_t>(height));
        return decoded;
    }

    [[noreturn]] static void fail(int error) {
        const char* text = GifErrorString(error);
        throw ImageIOError(ImageErrorKind::damaged,
                           std::string("GIF: ") + (text != nullptr ? text : "unreadable file"));
    }

    MemoryInput input_;
    std::unique_ptr<GifFileType, GifCloser> gif_;
    int transparent_ = NO_TRANSPARENT_COLOR;
    bool frameFound_ = false;
};

StoredSize gifSize(Bytes bytes) {
    return GifReading(bytes).size();
}

DecodedImage decodeGif(Bytes bytes, const DecodeOptions&) {
    return GifReading(bytes).decode();
}

}  // namespace

const Decoder gifDecoder{ImageFormat::gif, 1, recognisesGif, gifSize, decodeGif, nullptr};

}  // namespace image_io::detail
