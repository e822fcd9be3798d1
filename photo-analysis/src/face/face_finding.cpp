#include <cmath>

#include "face/face_finding_detail.hpp"
#include "photo_analysis/shape_fitting.hpp"
#include "platform/image_warp.hpp"
#include "trace.hpp"

namespace photo_analysis {

namespace face_finding_detail {

namespace {

constexpr const char* traceVariable = "FACE_DEBUG";
constexpr int rectifiedHeight = 600;
constexpr double defaultCornerRadius = 0.06;

std::optional<FeatureDetection::Face> rectifiedFace(const Photo& photo, const SubjectMask& mask,
                                                    const FaceCorners& corners, std::optional<double> aspectRatio) {
    const auto rectification = Rectification::make(corners, photo.width(), photo.height(), aspectRatio);
    if (!rectification) return std::nullopt;
    const auto faceToPhoto = rectification->photoToFace.inverted();
    if (!faceToPhoto) return std::nullopt;
    auto image = rectification->rectifiedImage(photo, rectifiedHeight);
    if (!image) return std::nullopt;

    const double r = rectification->aspectRatio;
    const auto& m = rectification->photoToFace.h;
    std::vector<Vector2> outline;
    for (const Vector2 p : ShapeFitting::boundaryPoints(mask.width, mask.height, mask.coverage)) {
        // Points beyond the face plane's vanishing line would fold back onto the face.
        if (!(m[6] * p.x + m[7] * p.y + m[8] > 0)) continue;
        const Vector2 q = rectification->photoToFace.apply(p);
        if (std::abs(q.y) <= 0.52 && std::abs(q.x) <= r * 0.5 * 1.04) outline.push_back(q);
    }
    const double cornerRadius = ShapeFitting::cornerRadius(outline, r, 1).value_or(defaultCornerRadius);
    return FeatureDetection::Face{std::move(*image), FaceShape::roundedRectangle(r, 1, cornerRadius), r, corners,
                                  *faceToPhoto};
}

// The face straight from an outline fit of the whole silhouette, upright at the
// photo's own resolution.
std::optional<FeatureDetection::Face> fittedFace(const Photo& photo, const SubjectMask& mask) {
    const auto fit = ShapeFitting::fit(ShapeFitting::boundaryPoints(mask.width, mask.height, mask.coverage));
    if (!fit) return std::nullopt;
    const auto bounds = fit->shape.outline().bounds();
    const double w = bounds.width, h = bounds.height;
    if (bounds.isNull() || !(w > 4) || !(h > 4)) return std::nullopt;
    // A sliver would make a face image of absurd proportions for detection.
    const double aspect = w / h;
    if (!(aspect >= Rectification::minAspectRatio && aspect <= Rectification::maxAspectRatio)) return std::nullopt;
    const auto width = image_warp::wholePixels(w), height = image_warp::wholePixels(h);
    if (!width || !height) return std::nullopt;

    const double c = std::cos(fit->rotation), s = std::sin(fit->rotation);
    const double cx = fit->center.x, cy = fit->center.y;
    // Output pixels are the fit's own frame shifted by (w/2, h/2).
    const Homography outputToPhoto{{c, -s, cx - c * w / 2 + s * h / 2, s, c, cy - s * w / 2 - c * h / 2, 0, 0, 1}};
    auto image = image_warp::warp(photo, outputToPhoto.h, *width, *height);
    if (!image) return std::nullopt;
    const Homography faceToPhoto{{h * c, -h * s, cx, h * s, h * c, cy, 0, 0, 1}};
    return FeatureDetection::Face{std::move(*image), fit->shape.scaled(1 / h, 1 / h), aspect, std::nullopt,
                                  faceToPhoto};
}

}  // namespace

std::optional<FeatureDetection::Face> face(const Photo& photo, const SubjectMask& mask,
                                           const std::optional<FaceCorners>& corners, std::optional<double> aspectRatio,
                                           const RectangleDetector& detector, const TraceSink& sink) {
    if (photo.isEmpty() || !mask.isWellFormed() || mask.width != photo.width() || mask.height != photo.height()) {
        return std::nullopt;
    }
    const auto chosen = corners ? corners : rectangleCandidates(photo, mask, detector, sink);
    if (chosen) {
        if (auto rectified = rectifiedFace(photo, mask, *chosen, aspectRatio)) {
            trace::line(sink, traceVariable,
                        std::string("    visage : redressé sur les coins ") + (corners ? "donnés" : "détectés"));
            return rectified;
        }
        trace::line(sink, traceVariable, "    visage : les coins ne donnent pas de visage redressé");
    }
    auto fitted = fittedFace(photo, mask);
    trace::line(
        sink, traceVariable,
        fitted ? "    visage : ajusté au contour, sans coins" : "    visage : aucun, le contour ne s'ajuste pas");
    return fitted;
}

}  // namespace face_finding_detail

namespace FeatureDetection {

std::optional<Face> face(const Photo& photo, const SubjectMask& mask, const std::optional<FaceCorners>& corners,
                         std::optional<double> aspectRatio, const TraceSink& trace) {
    return face_finding_detail::face(photo, mask, corners, aspectRatio, SegmentRectangleDetector{}, trace);
}

std::optional<FaceCorners> rectangleCandidates(const Photo& photo, const SubjectMask& mask, const TraceSink& trace) {
    return face_finding_detail::rectangleCandidates(photo, mask, SegmentRectangleDetector{}, trace);
}

}  // namespace FeatureDetection

}  // namespace photo_analysis
