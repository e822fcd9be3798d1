#include <cmath>

#include "photo_analysis/face_rectification.hpp"

namespace photo_analysis {

std::optional<Rectification> Rectification::make(const FaceCorners& corners, int imageWidth, int imageHeight,
                                                 std::optional<double> imposedAspectRatio) {
    if (!corners.isFinite()) return std::nullopt;
    // Zhang's whiteboard method, principal point at the image centre, square pixels.
    const Vector2 c{imageWidth * 0.5, imageHeight * 0.5};
    const Vector2 p1 = corners.topLeft - c;
    const Vector2 p2 = corners.topRight - c;
    const Vector2 p3 = corners.bottomRight - c;
    const Vector2 p4 = corners.bottomLeft - c;
    const double x1 = p1.x, y1 = p1.y, x2 = p2.x, y2 = p2.y, x3 = p3.x, y3 = p3.y, x4 = p4.x, y4 = p4.y;

    const double d = x1 * y3 - y1 * x3;
    const double kt = (d + y4 * (x3 - x1) + x4 * (y1 - y3)) / (x2 * y3 - y2 * x3 + y4 * (x3 - x2) + x4 * (y2 - y3));
    const double kl = (d + y2 * (x3 - x1) + x2 * (y1 - y3)) / (x4 * y3 - y4 * x3 + y2 * (x3 - x4) + x2 * (y4 - y3));

    const double nwx = x2 * kt - x1, nwy = y2 * kt - y1, nwz = kt - 1;
    const double nhx = x4 * kl - x1, nhy = y4 * kl - y1, nhz = kl - 1;

    std::optional<double> focalLength;
    double ratio2 = 0;
    bool perspective = false;
    if (std::abs(kt - 1) > 1e-9 && std::abs(kl - 1) > 1e-9) {
        const double f2 = -(nwx * nhx + nwy * nhy) / ((kt - 1) * (kl - 1));
        if (f2 > 0) {
            perspective = true;
            focalLength = std::sqrt(f2);
            ratio2 = (nwx * nwx + nwy * nwy + nwz * nwz * f2) / (nhx * nhx + nhy * nhy + nhz * nhz * f2);
        }
    }
    if (!perspective) ratio2 = (nwx * nwx + nwy * nwy) / (nhx * nhx + nhy * nhy);

    double r = std::sqrt(ratio2);
    if (!std::isfinite(r) || r > maxAspectRatio || r < minAspectRatio) return std::nullopt;
    if (imposedAspectRatio) {
        const double imposed = *imposedAspectRatio;
        // A NaN request cannot clamp; it is no usable request, so the estimate stays.
        if (imposed <= minAspectRatio) {
            r = minAspectRatio;
        } else if (imposed > maxAspectRatio) {
            r = maxAspectRatio;
        } else if (std::isfinite(imposed)) {
            r = imposed;
        }
    }

    const Vector2 face[4] = {{-r / 2, -0.5}, {r / 2, -0.5}, {r / 2, 0.5}, {-r / 2, 0.5}};
    const auto from = corners.points();
    const auto photoToFace = Homography::fromPoints(from, face);
    if (!photoToFace) return std::nullopt;
    return Rectification{corners, r, focalLength, *photoToFace};
}

}  // namespace photo_analysis
