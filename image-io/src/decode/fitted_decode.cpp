// Decoding straight into a smaller image: rows are averaged by area into the rows of the fitted
// image as they arrive, so that only the fitted image and two rows of sums are held.
#include <algorithm>
#include <cmath>
#include <vector>

#include "decode/decoders.hpp"
#include "decode/orientation.hpp"
#include "image_io/image.hpp"
#include "pixels/pixels.hpp"

namespace image_io {

namespace {

// Where each source pixel of one axis goes: the first target pixel it covers and the share of
// it that falls there (the rest, if any, falls in the next). Shrinking only: a source pixel is
// never wider than a target pixel.
struct AxisShares {
    std::vector<int> target;
    std::vector<double> share;
};

AxisShares sharesOf(int source, int target) {
    AxisShares axis;
    axis.target.resize(static_cast<std::size_t>(source));
    axis.share.resize(static_cast<std::size_t>(source));
    const double scale = static_cast<double>(target) / source;
    for (int i = 0; i < source; ++i) {
        const double start = i * scale;
        const double end = (i + 1) * scale;
        const int first = std::min(target - 1, static_cast<int>(std::floor(start)));
        axis.target[static_cast<std::size_t>(i)] = first;
        // The part of [start, end) inside target pixel `first`, as a share of the source pixel.
        axis.share[static_cast<std::size_t>(i)] =
            first + 1 >= end || first + 1 >= target ? 1.0 : (first + 1 - start) / scale;
    }
    return axis;
}

// Area averaging of premultiplied rows into a width × height image.
class AreaShrinker {
public:
    AreaShrinker(int sourceWidth, int sourceHeight, int width, int height)
        : across_(sharesOf(sourceWidth, width)),
          down_(sharesOf(sourceHeight, height)),
          width_(width),
          height_(height),
          // Each target pixel gathers (source / target)² pixels' worth: this turns sums to means.
          norm_(static_cast<double>(width) * height / (static_cast<double>(sourceWidth) * sourceHeight)),
          current_(static_cast<std::size_t>(width) * 4),
          next_(static_cast<std::size_t>(width) * 4) {
        image_.width = width;
        image_.height = height;
        image_.alpha = AlphaMode::premultiplied;
        image_.pixels.reserve(detail::rgbaBytes(width, height));
    }

    void add(const std::uint8_t* row) {
        const int target = down_.target[static_cast<std::size_t>(y_)];
        const double share = down_.share[static_cast<std::size_t>(y_)];
        while (emitted_ < target) emit();
        accumulate(row, current_, share);
        if (share < 1.0) accumulate(row, next_, 1.0 - share);
        ++y_;
    }

    RgbaImage finish() {
        while (emitted_ < height_) emit();
        return std::move(image_);
    }

private:
    void accumulate(const std::uint8_t* row, std::vector<double>& sums, double rowShare) {
        const std::size_t columns = across_.target.size();
        for (std::size_t x = 0; x < columns; ++x) {
            const std::size_t t = static_cast<std::size_t>(across_.target[x]) * 4;
            const double share = across_.share[x] * rowShare;
            for (std::size_t c = 0; c < 4; ++c) {
                const double value = row[x * 4 + c];
                sums[t + c] += value * share;
                if (share < rowShare) sums[t + 4 + c] += value * (rowShare - share);
            }
        }
    }

    void emit() {
        for (std::size_t i = 0; i < current_.size(); i += 4) {
            std::uint8_t pixel[4];
            for (std::size_t c = 0; c < 4; ++c)
                pixel[c] = static_cast<std::uint8_t>(std::clamp(std::lround(current_[i + c] * norm_), 0L, 255L));
            // Rounding may lift a colour over its alpha: keep the pixel premultiplied.
            for (std::size_t c = 0; c < 3; ++c) pixel[c] = std::min(pixel[c], pixel[3]);
            image_.pixels.insert(image_.pixels.end(), pixel, pixel + 4);
        }
        std::swap(current_, next_);
        std::fill(next_.begin(), next_.end(), 0.0);
        ++emitted_;
    }

    AxisShares across_;
    AxisShares down_;
    int width_;
    int height_;
    double norm_;
    std::vector<double> current_;
    std::vector<double> next_;
    RgbaImage image_;
    int y_ = 0;
    int emitted_ = 0;
};

RgbaImage shrinkWhole(RgbaImage image, int width, int height) {
    convertAlpha(image, AlphaMode::premultiplied);
    AreaShrinker shrinker(image.width, image.height, width, height);
    const std::size_t stride = static_cast<std::size_t>(image.width) * 4;
    for (std::size_t y = 0; y < static_cast<std::size_t>(image.height); ++y)
        shrinker.add(image.pixels.data() + y * stride);
    return shrinker.finish();
}

}  // namespace

std::pair<int, int> fittedSize(int width, int height, int maxSide) {
    const int longer = std::max(width, height);
    if (longer <= maxSide) return {width, height};
    const double shorter = std::round(static_cast<double>(std::min(width, height)) * maxSide / longer);
    const int fitted = std::max(1, static_cast<int>(std::min(shorter, static_cast<double>(maxSide))));
    return width >= height ? std::pair{maxSide, fitted} : std::pair{fitted, maxSide};
}

RgbaImage decodeFitted(std::span<const std::uint8_t> bytes, int maxSide, AlphaMode alpha) {
    if (maxSide <= 0) throw ImageIOError(ImageErrorKind::unsupported, "no size to fit the image to");
    const detail::Decoder* decoder = detail::findDecoder(bytes);
    if (decoder == nullptr || decoder->rows == nullptr) {
        RgbaImage image = decode(bytes, {.alpha = AlphaMode::premultiplied, .applyOrientation = true});
        const auto [width, height] = fittedSize(image.width, image.height, maxSide);
        if (width != image.width || height != image.height) image = shrinkWhole(std::move(image), width, height);
        convertAlpha(image, alpha);
        return image;
    }
    (void)readHeader(bytes);  // the size checks of every decode
    const std::unique_ptr<detail::RowSource> rows = decoder->rows(bytes, {.maxSideHint = maxSide});
    const auto [width, height] = fittedSize(rows->width(), rows->height(), maxSide);
    const std::size_t stride = static_cast<std::size_t>(rows->width()) * 4;
    RgbaImage image;
    if (width == rows->width() && height == rows->height()) {
        // Nothing to shrink: the rows as they are, into a buffer that grows with them.
        image.width = width;
        image.height = height;
        image.alpha = rows->alpha();
        for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y) {
            detail::growForRows(image.pixels, stride, y + 1, static_cast<std::size_t>(height));
            rows->readRow(image.pixels.data() + y * stride);
        }
    } else {
        AreaShrinker shrinker(rows->width(), rows->height(), width, height);
        std::vector<std::uint8_t> row(stride);
        for (int y = 0; y < rows->height(); ++y) {
            rows->readRow(row.data());
            if (rows->alpha() == AlphaMode::straight) premultiply(row);
            shrinker.add(row.data());
        }
        image = shrinker.finish();
    }
    convertAlpha(image, alpha);
    return detail::orient(std::move(image), rows->orientation());
}

}  // namespace image_io
