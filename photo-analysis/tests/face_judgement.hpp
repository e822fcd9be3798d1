#pragma once

// How near a found face lies to the true one, whichever way it was found: its
// corners (the rectified face's own, or the outline fit's frame mapped into the
// photo) against the true sharp corners, and how far each side is turned from
// the true side.

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
    double turnDegrees = -1;  // the largest turn of a side from the true one
    bool quadrilateral = false;

    bool withinOnePercent() const { return found && cornerShare <= 0.01; }
    // The goals every face must meet: corners within 5 % of the diagonal, no
    // side turned by more than 2°.
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
    for (std::size_t i = 0; i < 4; ++i) {
        worst = std::max(worst, found[i].distance(truth[i]));
        const Vector2 a = found[(i + 1) % 4] - found[i], b = truth[(i + 1) % 4] - truth[i];
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
