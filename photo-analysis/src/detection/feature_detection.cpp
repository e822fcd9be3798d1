#include "photo_analysis/feature_detection.hpp"

#include <algorithm>
#include <cmath>

#include "detection/detail_detection.hpp"

namespace photo_analysis::FeatureDetection {

using icon_geometry::DetailStyle;
using icon_geometry::FaceDetail;

Detection detect(const RgbaView& image, const std::optional<icon_geometry::FaceShape>& shape, const Options& options,
                 TextRecognizer* recognizer, const TraceSink& trace) {
    // A recogniser without its languages would let every letter through as a
    // detail: the face is not looked at.
    if (options.excludesText && recognizer != nullptr && !recognizer->isAvailable())
        return {{}, Status::textRecognitionUnavailable};
    const std::optional<detail_detection::WorkingFace> face = detail_detection::workingFace(image, shape, options);
    if (!face) return {{}, Status::unreadableImage};
    detail_detection::MarkPixels pixels = detail_detection::markPixels(*face, options);
    const std::vector<TextLines::Rectangle> text = detail_detection::textRectangles(image, *face, options, recognizer);
    Detection detection = detail_detection::features(*face, pixels, text, options, trace);
    std::erase_if(detection.features, [](const DetectedFeature& f) { return !detail_detection::isFinite(f); });
    return detection;
}

std::vector<FaceDetail> faceDetails(const std::vector<DetectedFeature>& features, double width, double height,
                                    double aspect) {
    const double sx = width / std::max(aspect, 1e-9);
    const double sy = height;
    const double s = std::sqrt(sx * sy);
    const auto toMillimetres = [sx, sy](icon_geometry::Vector2 p) {
        return icon_geometry::Vector2{sx * p.x, sy * p.y};
    };
    struct Visitor {
        double sx, sy, s;
        decltype(toMillimetres) map;
        FaceDetail operator()(const DetectedFeature::Dot& dot) const {
            return FaceDetail::indicator(map(dot.center), dot.diameter * s, DetailStyle::fill);
        }
        FaceDetail operator()(const DetectedFeature::Outline& outline) const {
            if (outline.shape)
                return FaceDetail::button(outline.shape->scaled(sx, sy), map(outline.center), DetailStyle::stroke);
            return FaceDetail::imported(outline.path.mapPoints(map), DetailStyle::stroke);
        }
        FaceDetail operator()(const DetectedFeature::Stroke& stroke) const {
            return FaceDetail::imported(stroke.path.mapPoints(map), DetailStyle::stroke);
        }
        FaceDetail operator()(const DetectedFeature::Boundary& boundary) const {
            return FaceDetail::imported(boundary.path.mapPoints(map), DetailStyle::stroke);
        }
        FaceDetail operator()(const DetectedFeature::Pictogram& mark) const {
            return FaceDetail::pictogram(mark.pictogram, map(mark.center), mark.size * s);
        }
    };
    const Visitor visitor{sx, sy, s, toMillimetres};
    std::vector<FaceDetail> details;
    details.reserve(features.size());
    for (const DetectedFeature& feature : features) details.push_back(std::visit(visitor, feature.value));
    return details;
}

}  // namespace photo_analysis::FeatureDetection
