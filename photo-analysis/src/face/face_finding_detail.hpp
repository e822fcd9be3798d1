#pragma once

#include <optional>
#include <span>

#include "face/rectangle_detector.hpp"
#include "photo_analysis/feature_detection.hpp"

namespace photo_analysis::face_finding_detail {

// Whether the window of radius ρ around (x, y), sampled sparsely, straddles the
// silhouette's edge. Samples beyond the mask count as outside.
bool passesEdgeTest(Vector2 point, double radius, const SubjectMask& mask);

// The detector's request for the subject box: the box grown by 0.02 of the
// photo's width and height on every side, within the photo.
RectangleRequest requestFor(const icon_geometry::Rect& subjectBox, int imageWidth, int imageHeight);

// Scores the observations against the subject's silhouette and returns the
// corners of the winner (traced under FACE_DEBUG).
std::optional<FaceCorners> bestQuadrilateral(std::span<const RectangleObservation> observations,
                                             const SubjectMask& mask, int imageWidth, int imageHeight,
                                             const TraceSink& sink = {});

std::optional<FaceCorners> rectangleCandidates(const Photo& photo, const SubjectMask& mask,
                                               const RectangleDetector& detector, const TraceSink& sink = {});

std::optional<FeatureDetection::Face> face(const Photo& photo, const SubjectMask& mask,
                                           const std::optional<FaceCorners>& corners, std::optional<double> aspectRatio,
                                           const RectangleDetector& detector, const TraceSink& sink = {});

}  // namespace photo_analysis::face_finding_detail
