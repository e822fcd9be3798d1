#pragma once

// How near a found face lies to the true one, whichever way it was found: its
// corners (the rectified face's own, or the outline fit's frame mapped into the
// photo) against the true sharp corners, and how far the face's frame is turned
// from the true one.

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <optional>
#include <string>

#include "photo_analysis/feature_detection.hpp"

namespace photo_analysis::face_judgement {

struct Judgement {
    bool found = false;
    double cornerShare = -1;  // the largest corner error over the photo's diagonal
    double turnDegrees = -1;  // the larger turn of the frame's two axes from the true ones
    bool quadrilateral = false;

    bool withinOnePercent() const { return found && cornerShare <= 0.01; }
    // The goals every face must meet: corners within 5 % of the diagonal, the
    // frame turned by 2° at most.
    bool withinBounds() const { return found && cornerShare <= 0.05 && turnDegrees <= 2; }
};

inline std::array<Vector2, 4> cornersOf(const FeatureDetection::Face& face) {
    if (face.corners) return face.corners->points();
    const double r = face.aspectRatio;
    return {face.faceToPhoto.apply(-r / 2, -0.5), face.faceToPhoto.apply(r / 2, -0.5),
            face.faceToPhoto.apply(r / 2, 0.5), face.faceToPhoto.apply(-r / 2, 0.5)};
}

inline Judgement judge(const std::optional<FeatureDetection::Face>& face, const std::array<Vector2, 4>& truth,
                       int width, int height) {
    Judgement j;
    if (!face) return j;
    j.found = true;
    j.quadrilateral = face->corners.has_value();
    const auto found = cornersOf(*face);
    double worst = 0, turn = 0;
    for (std::size_t i = 0; i < 4; ++i) worst = std::max(worst, found[i].distance(truth[i]));
    // The frame's two axes: from the middle of its left side to that of its
    // right side, and from the middle of its top to that of its bottom.
    const auto axes = [](const std::array<Vector2, 4>& c) {
        return std::array<Vector2, 2>{c[1] + c[2] - c[0] - c[3], c[3] + c[2] - c[0] - c[1]};
    };
    const auto foundAxes = axes(found), trueAxes = axes(truth);
    for (std::size_t i = 0; i < 2; ++i) {
        const Vector2 a = foundAxes[i], b = trueAxes[i];
        turn = std::max(turn, std::abs(std::atan2(a.cross(b), a.dot(b))));
    }
    j.cornerShare = worst / std::hypot(width, height);
    j.turnDegrees = turn * 180 / std::numbers::pi;
    return j;
}

// "0.42 % | 0.3° | quadrilateral", or "none" for no face.
inline std::string describe(const Judgement& j) {
    if (!j.found) return "no face | - | -";
    char text[64];
    std::snprintf(text, sizeof text, "%.2f %% | %.1f° | %s", 100 * j.cornerShare, j.turnDegrees,
                  j.quadrilateral ? "quadrilateral" : "outline fit");
    return text;
}

}  // namespace photo_analysis::face_judgement
