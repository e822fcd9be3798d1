#pragma once

// Device photos whose face the rectangle detector finds on its own edges: light
// devices seen from the front on plain light walls, their corners well rounded,
// and dark devices seen three-quarter, whose body side has nearly the face's
// shade.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "photo_analysis/face_rectification.hpp"
#include "photo_analysis/subject_mask.hpp"
#include "test_photo/scene.hpp"

namespace photo_analysis::face_edges {

struct Case {
    std::string name;
    test_photo::SceneOptions options;
};

// A 120 × 80 mm thermostat on a 1600 × 1200 photo over a plain wall of the given
// grey: light (face 236 of 255) or dark (face 41, its sides about 30).
inline Case device(bool light, double yaw, double pitch, double depth, double radius, double wall) {
    test_photo::SceneOptions o = test_photo::thermostatScene(1600, 1200, yaw, pitch);
    o.depthMm = depth;
    o.cornerRadiusMm = radius;
    if (light) {
        o.face = {0.925, 0.925, 0.92};
    } else {
        o.face = {0.16, 0.16, 0.17};
        o.detail = {0.75, 0.76, 0.78};
    }
    o.background = {wall, wall, wall * 0.985};
    const auto whole = [](double v) { return std::to_string(static_cast<int>(std::lround(v))); };
    return {std::string(light ? "light" : "dark") + " yaw " + whole(yaw) + " pitch " + whole(pitch) + " depth " +
                whole(depth) + " radius " + whole(radius) + " wall " + whole(wall * 255),
            o};
}

// The largest distance between a found corner and the true one, as a share of
// the photo's diagonal.
inline double cornerError(const FaceCorners& found, const test_photo::Scene& scene) {
    const auto points = found.points();
    double worst = 0;
    for (std::size_t i = 0; i < 4; ++i) worst = std::max(worst, points[i].distance(scene.faceCorners[i]));
    return worst / std::hypot(scene.width, scene.height);
}

// The mask grown by `pixels` on every side (a square neighbourhood): a
// segmentation whose edge lies a little outside the subject's.
inline SubjectMask grown(const SubjectMask& mask, int pixels) {
    SubjectMask out = mask;
    const auto inside = [&](const SubjectMask& m, int x, int y) { return m.coverageAt(x, y) >= 128; };
    SubjectMask rows = mask;
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x) {
            bool any = false;
            for (int d = -pixels; d <= pixels && !any; ++d) any = inside(mask, x + d, y);
            rows.coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(mask.width) +
                          static_cast<std::size_t>(x)] = any ? 255 : 0;
        }
    for (int y = 0; y < mask.height; ++y)
        for (int x = 0; x < mask.width; ++x) {
            bool any = false;
            for (int d = -pixels; d <= pixels && !any; ++d) any = inside(rows, x, y + d);
            out.coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(mask.width) +
                         static_cast<std::size_t>(x)] = any ? 255 : 0;
        }
    return out;
}

// The mask shrunk by `pixels` on every side: a segmentation whose edge lies a
// little inside the subject's.
inline SubjectMask shrunk(const SubjectMask& mask, int pixels) {
    SubjectMask outside = mask;
    for (std::uint8_t& v : outside.coverage) v = v >= SubjectMask::insideThreshold ? 0 : 255;
    SubjectMask result = grown(outside, pixels);
    for (std::uint8_t& v : result.coverage) v = v >= SubjectMask::insideThreshold ? 0 : 255;
    return result;
}

// The sweep: light devices from the front and three-quarter, dark ones
// three-quarter.
inline std::vector<Case> sweep() {
    std::vector<Case> cases;
    for (const double radius : {6.0, 12.0, 18.0, 22.0})
        for (const double wall : {0.953, 0.92, 0.85})
            for (const double pitch : {0.0, 4.0}) cases.push_back(device(true, 0, pitch, 25, radius, wall));
    for (const double yaw : {20.0, 30.0, 40.0})
        for (const double wall : {0.953, 0.85, 0.6})
            for (const double radius : {6.0, 18.0}) cases.push_back(device(true, yaw, 6, 30, radius, wall));
    for (const double yaw : {25.0, 35.0})
        for (const double depth : {25.0, 45.0})
            for (const double wall : {0.92, 0.6})
                for (const double radius : {6.0, 18.0}) cases.push_back(device(false, yaw, 6, depth, radius, wall));
    return cases;
}

}  // namespace photo_analysis::face_edges
