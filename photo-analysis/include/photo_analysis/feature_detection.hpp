#pragma once

#include <optional>
#include <vector>

#include "icon_geometry/face_detail.hpp"
#include "icon_geometry/face_shape.hpp"
#include "photo_analysis/detected_feature.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/rgba_view.hpp"
#include "photo_analysis/text_lines.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace photo_analysis::FeatureDetection {

// What a detection could look at. Anything but `complete` is a face the
// detection could not judge, not a face without details.
enum class Status {
    complete,
    // The image has no pixels, a short buffer, or a working size over the limits;
    // or the face's outline leaves no inner pixel.
    unreadableImage,
    // More marks than a device face holds: the image is noise, and its marks are
    // dropped (ribs and region borders found before them are kept).
    tooManyMarks,
    // Text was to be read, and the recogniser cannot read at all (its language
    // data is missing): a fault of the installation.
    textRecognitionUnavailable,
};

// The features found, and whether the whole face could be looked at.
struct Detection {
    std::vector<DetectedFeature> features;
    Status status = Status::complete;

    friend bool operator==(const Detection&, const Detection&) = default;
};

// The details of an upright front face image: indicator dots, button outlines,
// printed and moulded lines, ribs, borders of differently coloured regions and
// pictograms, in face units (the image's height is 1, its centre the origin, y
// down). `shape` is the face's outline in face units; without it the whole
// image is the face. The recogniser reads the face's text when
// `options.excludesText` is set (it is never called otherwise); without one no
// text is read, and rows of letter-sized marks are still set aside. Nothing is
// thrown: a detection that cannot look at the face gives no features, and its
// status says why. With PICTO_DEBUG in the environment, the pictogram matching
// is traced to the sink.
[[nodiscard]] Detection detect(const RgbaView& image, const std::optional<icon_geometry::FaceShape>& shape,
                               const Options& options, TextRecognizer* recognizer, const TraceSink& trace = {});

// One face detail per feature, in the same order, in millimetres of a face
// `width` × `height` whose image has the given aspect (width / height, at least
// 1e-9): x scales by width / aspect, y by height, sizes by the geometric mean.
[[nodiscard]] std::vector<icon_geometry::FaceDetail> faceDetails(const std::vector<DetectedFeature>& features,
                                                                 double width, double height, double aspect);

}  // namespace photo_analysis::FeatureDetection
