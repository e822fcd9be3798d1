#include "photo_analysis/face_rectification.hpp"
#include "platform/image_warp.hpp"

namespace photo_analysis {

std::optional<Photo> Rectification::rectifiedImage(const Photo& photo, int height) const {
    if (height < 1) return std::nullopt;
    const double s = height;
    const auto width = image_warp::wholePixels(aspectRatio * s);
    if (!width) return std::nullopt;
    const auto faceToPhoto = photoToFace.inverted();
    if (!faceToPhoto) return std::nullopt;
    // Output pixels to face units: undo the scale by s and the shift by (r·s/2, s/2).
    const Homography outputToFace{{1 / s, 0, -aspectRatio / 2, 0, 1 / s, -0.5, 0, 0, 1}};
    return image_warp::warp(photo, image_warp::product(faceToPhoto->h, outputToFace.h), *width, height);
}

}  // namespace photo_analysis
