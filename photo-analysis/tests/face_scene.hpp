#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "icon_geometry/vector.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/subject_mask.hpp"

// Small scenes drawn at test time: polygon masks and flat-coloured photos.
namespace photo_analysis::test_scene {

using icon_geometry::Vector2;

// Even-odd inside test of the pixel centre.
inline bool insidePolygon(const std::vector<Vector2>& polygon, double x, double y) {
    bool inside = false;
    for (std::size_t i = 0, j = polygon.size() - 1; i < polygon.size(); j = i++) {
        const Vector2 a = polygon[i], b = polygon[j];
        if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
    }
    return inside;
}

inline SubjectMask maskOf(int width, int height, const std::function<bool(double, double)>& inside) {
    SubjectMask mask{width, height, std::vector<std::uint8_t>(static_cast<std::size_t>(width) * height, 0)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            if (inside(x + 0.5, y + 0.5)) mask.coverage[static_cast<std::size_t>(y) * width + x] = 255;
        }
    }
    return mask;
}

inline SubjectMask polygonMask(int width, int height, const std::vector<Vector2>& polygon) {
    return maskOf(width, height, [&](double x, double y) { return insidePolygon(polygon, x, y); });
}

// Opaque pixels: `colour(x, y)` at each pixel centre.
inline Photo paintedPhoto(int width, int height,
                          const std::function<std::array<std::uint8_t, 3>(double, double)>& colour) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto c = colour(x + 0.5, y + 0.5);
            std::uint8_t* p = &pixels[(static_cast<std::size_t>(y) * width + x) * 4];
            p[0] = c[0];
            p[1] = c[1];
            p[2] = c[2];
            p[3] = 255;
        }
    }
    return Photo(width, height, std::move(pixels));
}

// A dark subject on white, as its mask says.
inline Photo photoOf(const SubjectMask& mask) {
    return paintedPhoto(mask.width, mask.height, [&](double x, double y) -> std::array<std::uint8_t, 3> {
        const bool inside = mask.coverageAt(static_cast<int>(x), static_cast<int>(y)) >= 128;
        return inside ? std::array<std::uint8_t, 3>{60, 60, 70} : std::array<std::uint8_t, 3>{255, 255, 255};
    });
}

}  // namespace photo_analysis::test_scene
