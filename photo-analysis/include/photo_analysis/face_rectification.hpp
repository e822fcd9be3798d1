#pragma once

#include <array>
#include <optional>
#include <span>

#include "icon_geometry/vector.hpp"
#include "photo_analysis/photo.hpp"

namespace photo_analysis {

using icon_geometry::Vector2;

// The four corners of a device's front face in photo pixels (x right, y down), in
// the order the user clicks them.
struct FaceCorners {
    Vector2 topLeft;
    Vector2 topRight;
    Vector2 bottomRight;
    Vector2 bottomLeft;

    std::array<Vector2, 4> points() const { return {topLeft, topRight, bottomRight, bottomLeft}; }
    bool isFinite() const;
    friend constexpr bool operator==(const FaceCorners&, const FaceCorners&) = default;
};

// A plane-to-plane mapping, nine numbers row-major: (x, y) goes to
// ((h0 x + h1 y + h2) / w, (h3 x + h4 y + h5) / w) with w = h6 x + h7 y + h8.
struct Homography {
    std::array<double, 9> h{1, 0, 0, 0, 1, 0, 0, 0, 1};

    static constexpr Homography identity() { return {}; }

    // The mapping sending from[i] to to[i]; absent unless both hold exactly four
    // finite points and the system is regular. The result has h8 = 1.
    [[nodiscard]] static std::optional<Homography> fromPoints(std::span<const Vector2> from,
                                                              std::span<const Vector2> to);

    // Unguarded: a point on the vanishing line (w = 0) gives infinities or NaN.
    Vector2 apply(double x, double y) const;
    Vector2 apply(Vector2 p) const { return apply(p.x, p.y); }

    // The inverse, normalised to a last entry of 1; absent when the matrix is
    // (nearly) singular, its inverse's last entry is (nearly) zero, or an entry
    // is not finite.
    [[nodiscard]] std::optional<Homography> inverted() const;

    bool isFinite() const;
    friend constexpr bool operator==(const Homography&, const Homography&) = default;
};

// A face seen in perspective, given by its corners: its estimated width-to-height
// ratio, the focal length when the perspective reveals it, and the mapping from
// photo pixels to face units (height 1, centred on the origin, y down).
struct Rectification {
    static constexpr double minAspectRatio = 0.05;
    static constexpr double maxAspectRatio = 20;

    FaceCorners corners;
    double aspectRatio = 1;
    std::optional<double> focalLength;
    Homography photoToFace;

    // Absent for non-finite corners, an estimated ratio outside 0.05…20 (also when
    // a ratio is imposed) or a mapping that cannot be built. An imposed ratio is
    // clamped to 0.05…20.
    [[nodiscard]] static std::optional<Rectification> make(const FaceCorners& corners, int imageWidth, int imageHeight,
                                                           std::optional<double> imposedAspectRatio = std::nullopt);

    // The perspective-corrected face, aspectRatio × height by height pixels (the
    // width rounded outward), transparent where the face leaves the photo. Absent
    // for a height below 1, an output over the image caps, or an empty photo.
    [[nodiscard]] std::optional<Photo> rectifiedImage(const Photo& photo, int height) const;
};

}  // namespace photo_analysis
