// WebP through libwebp and its demux interface: lossy or lossless, with or without alpha; an
// animation gives its first frame, placed on the canvas.
#include <webp/decode.h>
#include <webp/demux.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "decode/decoders.hpp"
#include "decode/orientation.hpp"
#include "pixels/pixels.hpp"

namespace image_io::detail {

namespace {

struct DemuxDeleter {
    void operator()(WebPDemuxer* demux) const { WebPDemuxDelete(demux); }
};

bool recognisesWebp(Bytes bytes) {
    return hasMagic(bytes, "RIFF") && hasMagic(bytes, "WEBP", 8);
}

class WebpReading {
public:
    explicit WebpReading(Bytes bytes) {
        const WebPData data{bytes.data(), bytes.size()};
        demux_.reset(WebPDemux(&data));
        if (!demux_) throw ImageIOError(ImageErrorKind::damaged, "WebP: unreadable or truncated file");
        size_ = {static_cast<int>(WebPDemuxGetI(demux_.get(), WEBP_FF_CANVAS_WIDTH)),
                 static_cast<int>(WebPDemuxGetI(demux_.get(), WEBP_FF_CANVAS_HEIGHT))};
        checkImageSize(WebPDemuxGetI(demux_.get(), WEBP_FF_CANVAS_WIDTH),
                       WebPDemuxGetI(demux_.get(), WEBP_FF_CANVAS_HEIGHT));
    }

    StoredSize size() const { return size_; }

    DecodedImage decode(bool wantOrientation) {
        WebPIterator frame{};
        if (WebPDemuxGetFrame(demux_.get(), 1, &frame) == 0)
            throw ImageIOError(ImageErrorKind::damaged, "WebP: no image");
        const std::uint8_t* fragment = frame.fragment.bytes;
        const std::size_t fragmentSize = frame.fragment.size;
        const int x0 = frame.x_offset;
        const int y0 = frame.y_offset;
        const int frameWidth = frame.width;
        const int frameHeight = frame.height;
        WebPDemuxReleaseIterator(&frame);
        if (x0 < 0 || y0 < 0 || frameWidth <= 0 || frameHeight <= 0 || x0 + frameWidth > size_.width ||
            y0 + frameHeight > size_.height) {
            throw ImageIOError(ImageErrorKind::damaged, "WebP: frame outside the canvas");
        }

        // The canvas is backed by the frame's own data, not by whatever else the file holds.
        checkBacked(std::int64_t{size_.width} * size_.height, fragmentSize, {size_.width, size_.height});

        WebPDecoderConfig config;
        if (WebPInitDecoderConfig(&config) == 0)
            throw ImageIOError(ImageErrorKind::unsupported, "WebP: library mismatch");
        if (WebPGetFeatures(fragment, fragmentSize, &config.input) != VP8_STATUS_OK ||
            config.input.width != frameWidth || config.input.height != frameHeight) {
            throw ImageIOError(ImageErrorKind::damaged, "WebP: damaged frame");
        }

        DecodedImage decoded;
        decoded.image.width = size_.width;
        decoded.image.height = size_.height;
        decoded.image.alpha = AlphaMode::straight;
        const bool wholeCanvas = frameWidth == size_.width && frameHeight == size_.height;
        std::vector<std::uint8_t> framePixels;
        std::vector<std::uint8_t>& target = wholeCanvas ? decoded.image.pixels : framePixels;
        target.resize(rgbaBytes(frameWidth, frameHeight));

        config.output.colorspace = MODE_RGBA;
        config.output.is_external_memory = 1;
        config.output.u.RGBA.rgba = target.data();
        config.output.u.RGBA.stride = frameWidth * 4;
        config.output.u.RGBA.size = target.size();
        const VP8StatusCode status = WebPDecode(fragment, fragmentSize, &config);
        WebPFreeDecBuffer(&config.output);
        if (status != VP8_STATUS_OK) throw ImageIOError(ImageErrorKind::damaged, "WebP: damaged image data");

        if (!wholeCanvas) {
            // The rest of the canvas stays transparent.
            decoded.image.pixels.assign(rgbaBytes(size_.width, size_.height), 0);
            const std::size_t frameStride = static_cast<std::size_t>(frameWidth) * 4;
            for (int y = 0; y < frameHeight; ++y) {
                std::memcpy(decoded.image.pixels.data() +
                                (static_cast<std::size_t>(y0 + y) * size_.width + static_cast<std::size_t>(x0)) * 4,
                            framePixels.data() + static_cast<std::size_t>(y) * frameStride, frameStride);
            }
        }
        if (wantOrientation) decoded.orientation = orientation();
        return decoded;
    }

private:
    int orientation() const {
        WebPChunkIterator chunk{};
        if (WebPDemuxGetChunk(demux_.get(), "EXIF", 1, &chunk) == 0) return 1;
        const int value = exifOrientation({chunk.chunk.bytes, chunk.chunk.size});
        WebPDemuxReleaseChunkIterator(&chunk);
        return value;
    }

    std::unique_ptr<WebPDemuxer, DemuxDeleter> demux_;
    StoredSize size_;
};

StoredSize webpSize(Bytes bytes) {
    return WebpReading(bytes).size();
}

DecodedImage decodeWebp(Bytes bytes, const DecodeOptions& options) {
    return WebpReading(bytes).decode(options.applyOrientation);
}

}  // namespace

const Decoder webpDecoder{ImageFormat::webp, 1, recognisesWebp, webpSize, decodeWebp, nullptr};

}  // namespace image_io::detail
