#include "mask/background_colour.hpp"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <vector>

#include "mask/stage_trace.hpp"
#include "photo_analysis/photo_analysis_error.hpp"

namespace photo_analysis::cut_out {

namespace {

// A premultiplied channel over white, as a double.
inline double channelOverWhite(std::uint8_t c, std::uint8_t a) {
    return static_cast<double>(c) + 255.0 * (1.0 - static_cast<double>(a) / 255.0);
}

// Border samples: top and bottom row by x, then left and right column by y.
std::vector<std::size_t> borderSamples(const Photo& photo) {
    const std::size_t width = static_cast<std::size_t>(photo.width());
    const std::size_t height = static_cast<std::size_t>(photo.height());
    std::vector<std::size_t> samples;
    samples.reserve(2 * (width + height));
    for (std::size_t x = 0; x < width; ++x) {
        samples.push_back(x);
        samples.push_back((height - 1) * width + x);
    }
    for (std::size_t y = 0; y < height; ++y) {
        samples.push_back(y * width);
        samples.push_back(y * width + width - 1);
    }
    return samples;
}

// The background colour over white: per channel, the upper median of the samples.
std::array<double, 3> backgroundColour(const Photo& photo, const std::vector<std::size_t>& samples) {
    const std::uint8_t* rgba = photo.pixels().data();
    std::array<double, 3> background{};
    std::vector<double> values(samples.size());
    for (int c = 0; c < 3; ++c) {
        for (std::size_t k = 0; k < samples.size(); ++k)
            values[k] = channelOverWhite(rgba[samples[k] * 4 + c], rgba[samples[k] * 4 + 3]);
        const auto middle = values.begin() + static_cast<std::ptrdiff_t>(values.size() / 2);
        std::nth_element(values.begin(), middle, values.end());
        background[static_cast<std::size_t>(c)] = *middle;
    }
    return background;
}

}  // namespace

std::array<double, 3> backgroundColour(const Photo& photo) {
    return backgroundColour(photo, borderSamples(photo));
}

SubjectMask backgroundMask(const Photo& photo, double tolerance, const TraceSink& sink) {
    if (photo.isEmpty()) throw PhotoAnalysisError::noSubjectFound();
    const std::size_t width = static_cast<std::size_t>(photo.width());
    const std::size_t height = static_cast<std::size_t>(photo.height());
    const std::size_t count = width * height;
    const std::uint8_t* rgba = photo.pixels().data();
    const auto colour = [&](std::size_t i, int c) { return channelOverWhite(rgba[i * 4 + c], rgba[i * 4 + 3]); };

    const std::vector<std::size_t> samples = borderSamples(photo);
    const std::array<double, 3> background = backgroundColour(photo, samples);

    // Whether each pixel differs, on a grid framed by one cell that counts as
    // differing: the fill then needs no bounds checks and no division.
    const std::size_t stride = width + 2;
    std::vector<std::uint8_t> blocked(stride * (height + 2), 1);
    const bool integral =
        std::all_of(std::begin(background), std::end(background), [](double v) { return v == std::floor(v); });
    // The smallest whole squared distance whose root exceeds the tolerance; for
    // opaque pixels and a whole background colour the test stays exact in integers.
    std::int64_t firstFar = 0;
    if (integral && tolerance >= 0 && tolerance < 1000) {
        firstFar = std::max<std::int64_t>(0, static_cast<std::int64_t>(tolerance * tolerance) - 2);
        while (!(std::sqrt(static_cast<double>(firstFar)) > tolerance)) ++firstFar;
    }
    const bool fast = integral && tolerance >= 0 && tolerance < 1000;
    const int bg[3] = {static_cast<int>(background[0]), static_cast<int>(background[1]),
                       static_cast<int>(background[2])};
    for (std::size_t y = 0; y < height; ++y) {
        std::uint8_t* cells = blocked.data() + (y + 1) * stride + 1;
        for (std::size_t x = 0; x < width; ++x) {
            const std::size_t i = y * width + x;
            const std::uint8_t* p = rgba + i * 4;
            if (fast && p[3] == 255) {
                const std::int64_t dr = p[0] - bg[0], dg = p[1] - bg[1], db = p[2] - bg[2];
                cells[x] = dr * dr + dg * dg + db * db >= firstFar;
            } else {
                const double dr = colour(i, 0) - background[0];
                const double dg = colour(i, 1) - background[1];
                const double db = colour(i, 2) - background[2];
                cells[x] = std::sqrt(dr * dr + dg * dg + db * db) > tolerance;
            }
        }
    }

    // The fill marks a visited cell 2: visited and no longer open.
    std::vector<std::uint32_t> stack;
    const auto framed = [&](std::size_t i) { return (i / width + 1) * stride + i % width + 1; };
    const auto seed = [&](std::size_t cell) {
        if (!blocked[cell]) {
            blocked[cell] = 2;
            stack.push_back(static_cast<std::uint32_t>(cell));
        }
    };
    for (const std::size_t i : samples) seed(framed(i));
    while (!stack.empty()) {
        const std::size_t cell = stack.back();
        stack.pop_back();
        seed(cell - 1);
        seed(cell + 1);
        seed(cell - stride);
        seed(cell + stride);
    }

    SubjectMask mask{photo.width(), photo.height(), std::vector<std::uint8_t>(count)};
    for (std::size_t y = 0; y < height; ++y) {
        const std::uint8_t* cells = blocked.data() + (y + 1) * stride + 1;
        std::uint8_t* out = mask.coverage.data() + y * width;
        for (std::size_t x = 0; x < width; ++x) out[x] = cells[x] == 2 ? 0 : 255;
    }
    if (const StageTrace trace(sink); trace) {
        const auto unreached = std::count(mask.coverage.begin(), mask.coverage.end(), std::uint8_t{255});
        trace("  couleur du fond (" + traced(background[0], 1) + ", " + traced(background[1], 1) + ", " +
              traced(background[2], 1) + "), tolérance " + traced(tolerance, 1) + " : " +
              traced(static_cast<int>(unreached)) + " px hors d'atteinte du bord");
    }
    return mask;
}

}  // namespace photo_analysis::cut_out
