#pragma once

// What every handheld photo is made with, whatever it shows: the seeded
// numbers, colour spaces, the phone's camera and lens, the film every pixel is
// sampled into (4 × 4 where a neighbour sees another surface) and the sensor
// that turns it into bytes.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>
#include <vector>

#include "icon_geometry/vector.hpp"

namespace handheld_photos::internal {

using icon_geometry::Vector2;
using icon_geometry::Vector3;

inline Vector3 operator*(const cv::Matx33d& m, Vector3 v) {
    const cv::Vec3d r = m * cv::Vec3d(v.x, v.y, v.z);
    return {r[0], r[1], r[2]};
}
inline cv::Matx33d turnAboutX(double a) {
    return {1, 0, 0, 0, std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a)};
}
inline cv::Matx33d turnAboutY(double a) {
    return {std::cos(a), 0, std::sin(a), 0, 1, 0, -std::sin(a), 0, std::cos(a)};
}
inline cv::Matx33d turnAboutZ(double a) {
    return {std::cos(a), -std::sin(a), 0, std::sin(a), std::cos(a), 0, 0, 0, 1};
}

inline std::uint64_t mix(std::uint64_t z) {
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
    return z ^ (z >> 31);
}

// splitmix64: the same numbers on every platform.
class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed * 0x9e3779b97f4a7c15ULL) {}
    double uniform(double lo = 0, double hi = 1) {
        state_ += 0x9e3779b97f4a7c15ULL;
        return lo + (hi - lo) * static_cast<double>(mix(state_) >> 11) * 0x1.0p-53;
    }
    double normal() {
        const double u = std::max(uniform(), 1e-300);
        return std::sqrt(-2 * std::log(u)) * std::cos(2 * std::numbers::pi * uniform());
    }
    // -1 or 1, evenly.
    double sign() { return uniform() < 0.5 ? -1 : 1; }
    // An index below `count`, evenly.
    std::size_t below(std::size_t count) { return static_cast<std::size_t>(uniform(0, static_cast<double>(count))); }

private:
    std::uint64_t state_;
};

// Smooth noise in 0…1 with features about one unit apart.
inline double valueNoise(double x, double y, unsigned seed) {
    const double fx = std::floor(x), fy = std::floor(y);
    const auto at = [&](double i, double j) {
        const auto key = static_cast<std::uint64_t>(static_cast<std::int64_t>(i) * 73856093 ^
                                                    static_cast<std::int64_t>(j) * 19349663) ^
                         (std::uint64_t{seed} << 40);
        return static_cast<double>(mix(key) >> 11) * 0x1.0p-53;
    };
    const auto smooth = [](double t) { return t * t * (3 - 2 * t); };
    const double sx = smooth(x - fx), sy = smooth(y - fy);
    const double top = at(fx, fy) + sx * (at(fx + 1, fy) - at(fx, fy));
    const double bottom = at(fx, fy + 1) + sx * (at(fx + 1, fy + 1) - at(fx, fy + 1));
    return top + sy * (bottom - top);
}

inline double toLinear(double v) {
    v /= 255;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}
inline double toDisplay(double v) {
    v = std::clamp(v, 0.0, 1.0);
    return 255 * (v <= 0.0031308 ? 12.92 * v : 1.055 * std::pow(v, 1 / 2.4) - 0.055);
}
inline cv::Vec3d linearColour(double r, double g, double b) {
    return {toLinear(r), toLinear(g), toLinear(b)};
}
inline cv::Vec3d linearColour(const cv::Vec3d& display) {
    return linearColour(display[0], display[1], display[2]);
}

inline double smoothstep(double a, double b, double x) {
    const double t = std::clamp((x - a) / (b - a), 0.0, 1.0);
    return t * t * (3 - 2 * t);
}

// Signed distance to a rounded rectangle of half sizes hw × hh centred on the origin.
inline double roundedRectDistance(double x, double y, double hw, double hh, double r) {
    const double qx = std::abs(x) - (hw - r), qy = std::abs(y) - (hh - r);
    const double ox = std::max(qx, 0.0), oy = std::max(qy, 0.0);
    return std::sqrt(ox * ox + oy * oy) + std::min(std::max(qx, qy), 0.0) - r;
}

// A phone's camera looking at the device: its frame in millimetres, the lens's
// radial distortion (k1 on the radius as a share of the half diagonal).
struct Camera {
    int width = 0, height = 0;
    double focal = 0, k1 = 0, halfDiagonal = 0;
    cv::Matx33d rotation;  // device to camera
    Vector3 translation, eye;
    cv::Matx33d toDevice;

    // The unit direction, in the device's frame, of the ray through (px, py).
    Vector3 ray(double px, double py) const {
        const double dx = (px - width / 2.0) / halfDiagonal, dy = (py - height / 2.0) / halfDiagonal;
        double ux = dx, uy = dy;
        for (int i = 0; i < 10; ++i) {
            const double scale = 1 + k1 * (ux * ux + uy * uy);
            ux = dx / scale, uy = dy / scale;
        }
        return (toDevice * Vector3{ux * halfDiagonal / focal, uy * halfDiagonal / focal, 1}).normalized();
    }
    // Where a point of the device's frame lands in the photo.
    Vector2 project(Vector3 point) const {
        const Vector3 c = rotation * point + translation;
        const double ux = focal * c.x / c.z / halfDiagonal, uy = focal * c.y / c.z / halfDiagonal;
        const double scale = 1 + k1 * (ux * ux + uy * uy);
        return {width / 2.0 + ux * scale * halfDiagonal, height / 2.0 + uy * scale * halfDiagonal};
    }
};

// What a ray sees: linear colour and the surface it meets, 0 for the background.
struct Sample {
    cv::Vec3d colour;
    std::uint8_t surface = 0;
};

// The scene as the lens forms it: linear colour and the device's coverage.
struct Film {
    cv::Mat colour;    // CV_64FC3, linear
    cv::Mat coverage;  // CV_8U, 255 where the device covers the whole pixel
};

// One sample at every pixel's centre; where a neighbour sees another surface,
// the mean of 4 × 4, so that outlines and the truth are antialiased.
template <class Sampler>
Film expose(int w, int h, const Sampler& sampleAt) {
    Film film{cv::Mat(h, w, CV_64FC3), cv::Mat(h, w, CV_8U)};
    cv::Mat surfaces(h, w, CV_8U);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const Sample sample = sampleAt(x + 0.5, y + 0.5);
            film.colour.at<cv::Vec3d>(y, x) = sample.colour;
            surfaces.at<std::uint8_t>(y, x) = sample.surface;
            film.coverage.at<std::uint8_t>(y, x) = sample.surface == 0 ? 0 : 255;
        }
    cv::Mat highest, lowest;
    cv::dilate(surfaces, highest, cv::Mat());
    cv::erode(surfaces, lowest, cv::Mat());
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            if (highest.at<std::uint8_t>(y, x) == lowest.at<std::uint8_t>(y, x)) continue;
            cv::Vec3d sum;
            int inside = 0;
            for (int j = 0; j < 4; ++j)
                for (int i = 0; i < 4; ++i) {
                    const Sample sample = sampleAt(x + (i + 0.5) / 4, y + (j + 0.5) / 4);
                    sum += sample.colour;
                    inside += sample.surface != 0;
                }
            film.colour.at<cv::Vec3d>(y, x) = sum / 16;
            film.coverage.at<std::uint8_t>(y, x) = static_cast<std::uint8_t>(std::lround(255.0 * inside / 16));
        }
    return film;
}

// The phone's sensor: the lens darkens the corners by `vignette` at the half
// diagonal, and each channel gets noise that grows with the signal. Opaque
// premultiplied RGBA.
std::vector<std::uint8_t> sensorPixels(const cv::Mat& colour, double vignette, double noiseGain, Random& noise);

}  // namespace handheld_photos::internal
