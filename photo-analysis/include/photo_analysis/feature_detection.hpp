#pragma once

#include <optional>
#include <vector>

#include "icon_geometry/face_detail.hpp"
#include "icon_geometry/face_shape.hpp"
#include "photo_analysis/detected_feature.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/rgba_view.hpp"
#include "photo_analysis/text_lines.hpp"

namespace photo_analysis::FeatureDetection {

// The details of an upright front face image: indicator dots, button outlines,
// printed and moulded lines, ribs, borders of differently coloured regions and
// pictograms, in face units (the image's height is 1, its centre the origin, y
// down). `shape` is the face's outline in face units; without it the whole
// image is the face. The recogniser reads the face's text when
// `options.excludesText` is set (it is never called otherwise); without one no
// text is read, and rows of letter-sized marks are still set aside. Nothing is
// thrown: an image that cannot be analysed gives no features.
[[nodiscard]] std::vector<DetectedFeature> detect(const RgbaView& image,
                                                  const std::optional<icon_geometry::FaceShape>& shape,
                                                  const Options& options, TextRecognizer* recognizer);
[[nodiscard]] inline std::vector<DetectedFeature> detect(const Photo& image,
                                                         const std::optional<icon_geometry::FaceShape>& shape,
                                                         const Options& options, TextRecognizer* recognizer) {
    return detect(RgbaView::of(image), shape, options, recognizer);
}

// One face detail per feature, in the same order, in millimetres of a face
// `width` × `height` whose image has the given aspect (width / height, at least
// 1e-9): x scales by width / aspect, y by height, sizes by the geometric mean.
[[nodiscard]] std::vector<icon_geometry::FaceDetail> faceDetails(const std::vector<DetectedFeature>& features,
                                                                 double width, double height, double aspect);

}  // namespace photo_analysis::FeatureDetection
