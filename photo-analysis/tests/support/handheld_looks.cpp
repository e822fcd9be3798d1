#include "handheld_looks.hpp"

#include <array>

namespace handheld_photos::internal {

cv::Vec3d plasticColour(Device device, Random& random) {
    // Saturated plastics as sold: a signal red, an orange, a warm yellow, a
    // leaf green and a royal blue.
    static constexpr std::array<std::array<double, 3>, 5> vivid{
        {{200, 30, 35}, {232, 108, 28}, {236, 196, 34}, {40, 148, 70}, {34, 86, 192}}};
    const auto grey = [&](double lo, double hi) {
        const double level = random.uniform(lo, hi), tint = random.uniform(-3, 3);
        return cv::Vec3d(level + tint, level, level - tint);
    };
    switch (device) {
        case Device::light:
            return grey(225, 240);
        case Device::dark:
            return grey(20, 60);
        case Device::grey:
            return grey(110, 170);
        case Device::pureWhite: {
            const double level = random.uniform(245, 252), tint = random.uniform(-1.5, 1.5);
            return {level + tint, level, level - tint};
        }
        case Device::paleGrey:
            return grey(185, 205);
        case Device::midGrey:
            return grey(115, 140);
        default: {
            const auto& base = vivid[static_cast<std::size_t>(device) - static_cast<std::size_t>(Device::red)];
            const double brightness = random.uniform(0.94, 1.03);
            cv::Vec3d c;
            for (int k = 0; k < 3; ++k) c[k] = std::clamp(base[k] * brightness + random.uniform(-7, 7), 0.0, 255.0);
            return c;
        }
    }
}

double luma(const cv::Vec3d& display) {
    return 0.2126 * display[0] + 0.7152 * display[1] + 0.0722 * display[2];
}

namespace {

// Paints of the home as displayed: a light grey, a beige, a sage green and a
// soft blue, each a little lighter or darker by the seed.
cv::Vec3d paintedColour(Wall wall, const cv::Vec3d& deviceShade, Random& random) {
    const double shade = random.uniform(0.95, 1.03);
    const auto scaled = [&](double r, double g, double b) {
        return cv::Vec3d(std::min(r * shade, 250.0), std::min(g * shade, 250.0), std::min(b * shade, 250.0));
    };
    switch (wall) {
        case Wall::lightGreyPaint:
            return scaled(204, 204, 206);
        case Wall::beige:
            return scaled(224, 208, 180);
        case Wall::sageGreen:
            return scaled(170, 186, 154);
        case Wall::bluePaint:
            return scaled(140, 166, 204);
        default: {
            // The device's hue at another lightness: a mid shade behind a light
            // device, a pale tint behind any other.
            if (luma(deviceShade) >= 200) return deviceShade * random.uniform(0.6, 0.72);
            const double pale = random.uniform(0.6, 0.76);
            return deviceShade + (cv::Vec3d::all(255) - deviceShade) * pale;
        }
    }
}

}  // namespace

cv::Vec3d wallPaint(Wall wall, Device device, const cv::Vec3d& deviceShade, Random& random) {
    static constexpr std::array<std::array<double, 3>, 3> coloured{{{128, 146, 122}, {176, 112, 88}, {112, 134, 160}}};
    static constexpr std::array<std::array<double, 3>, 2> dark{{{52, 60, 74}, {48, 66, 56}}};
    static constexpr std::array<std::array<double, 3>, 2> wood{{{150, 100, 62}, {196, 156, 110}}};
    static constexpr std::array<std::array<double, 3>, 2> fabric{{{182, 170, 150}, {110, 118, 130}}};
    const auto pick = [&](const auto& palette) {
        const auto& c = palette[static_cast<std::size_t>(random.uniform(0, static_cast<double>(palette.size())))];
        return linearColour(c[0], c[1], c[2]);
    };
    const double paint = random.uniform(226, 238);
    switch (wall) {
        case Wall::white:
        case Wall::graded:
            return linearColour(paint + 1, paint, paint - 3);
        case Wall::litFromAbove:
            // Paint of 231, which the light from above grades.
            return linearColour(232, 231, 228);
        case Wall::coloured:
            return pick(coloured);
        case Wall::darkPaint:
            return pick(dark);
        case Wall::wood:
            return pick(wood);
        case Wall::fabric:
            return pick(fabric);
        case Wall::greyPaint: {
            const double sign = random.uniform() < 0.5 ? -1 : 1, off = random.uniform(12, 35);
            const double grey = device == Device::grey ? deviceShade[1] + sign * off : random.uniform(110, 170);
            return linearColour(grey, grey, grey + 2);
        }
        default:
            return linearColour(paintedColour(wall, deviceShade, random));
    }
}

cv::Vec3d WallSurface::colourAt(double u, double v, double footprint) const {
    const auto fade = [&](double period) { return std::exp(-2 * (footprint / period) * (footprint / period)); };
    double shade = 1 + 0.03 * (valueNoise(u / 80, v / 80, seed) - 0.5);
    if (wall == Wall::wood) {
        // Horizontal boards 140 mm wide, each its own shade, with grain and seams.
        const double board = std::floor(v / 140);
        const double wobble = 6 * valueNoise(u / 60, v / 20 + 7 * board, seed + 1);
        shade *= 0.92 + 0.16 * valueNoise(board, 0.5, seed + 2);
        shade *= 1 + 0.1 * fade(2.5) * std::sin(2 * std::numbers::pi * (v + wobble) / 2.5) +
                 0.08 * fade(9) * std::sin(2 * std::numbers::pi * (v + 2 * wobble) / 9);
        const double seam = std::abs(v - 140 * std::round(v / 140));
        shade *= 1 - 0.5 * (1 - smoothstep(0.5, 0.5 + std::max(footprint, 0.3), seam));
    } else if (wall == Wall::fabric) {
        // A plain weave of 1.6 mm threads with slubs.
        const double p = 1.6, k = 2 * std::numbers::pi / p;
        shade *= 1 + 0.08 * fade(p) * std::sin(k * u) * std::sin(k * v) +
                 0.05 * fade(p / 2) * (std::cos(2 * k * u) + std::cos(2 * k * v)) / 2 +
                 0.08 * fade(2) * (valueNoise(u / 3, v / 0.8, seed + 3) - 0.5);
    }
    return paint * shade;
}

void drawFalloff(WallSurface& wall, double extent, Random& random) {
    // Light falls off across every room; strongly on the graded wall.
    const double gradientAngle = random.uniform(0, 2 * std::numbers::pi);
    wall.gradientDirection = {std::cos(gradientAngle), std::sin(gradientAngle)};
    wall.gradientSlope = wall.wall == Wall::graded ? random.uniform(0.16, 0.24) : random.uniform(0, 0.05);
    wall.extent = extent;
}

}  // namespace handheld_photos::internal
