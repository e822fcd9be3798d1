#pragma once

#include <optional>

#include "icon_geometry/face_shape.hpp"
#include "photo_analysis/face_rectification.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/subject_mask.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis::FeatureDetection {

// A device's front face, upright and free of perspective, in face units: height
// 1, width aspectRatio, centred on the origin, y down.
struct Face {
    Photo image;
    icon_geometry::FaceShape shape;
    double aspectRatio = 1;
    std::optional<FaceCorners> corners;  // known for a rectified face only
    Homography faceToPhoto;              // face units to photo pixels
};

// The face from the given corners, else from the best detected quadrilateral,
// rectified at a height of 600 pixels; when neither gives a face, from an outline
// fit of the subject's silhouette. An imposed aspect ratio replaces the estimate.
// Absent when the mask is not of the photo's size or no outline can be fitted.
// With FACE_DEBUG in the environment, the scoring of the quadrilaterals is traced
// to the sink.
[[nodiscard]] std::optional<Face> face(const Photo& photo, const SubjectMask& mask,
                                       const std::optional<FaceCorners>& corners = std::nullopt,
                                       std::optional<double> aspectRatio = std::nullopt, const TraceSink& trace = {});

// The best quadrilateral the rectangle detector finds on the subject: inside it,
// of 60 to 115 % of its area, with at least three sides on its silhouette.
[[nodiscard]] std::optional<FaceCorners> rectangleCandidates(const Photo& photo, const SubjectMask& mask,
                                                             const TraceSink& trace = {});

// The corners the app proposes for a loaded photo.
[[nodiscard]] std::optional<FaceCorners> detectFaceCorners(const Photo& photo, const SubjectMask& mask);

}  // namespace photo_analysis::FeatureDetection
