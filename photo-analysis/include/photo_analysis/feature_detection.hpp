#pragma once

#include <optional>
#include <vector>

#include "icon_geometry/face_detail.hpp"
#include "icon_geometry/face_shape.hpp"
#include "photo_analysis/detected_feature.hpp"
#include "photo_analysis/face_rectification.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/rgba_view.hpp"
#include "photo_analysis/subject_mask.hpp"
#include "photo_analysis/text_recognizer.hpp"
#include "photo_analysis/trace_sink.hpp"

// The detection operations: finding a device's front face on a photo, and the
// details on that face.
namespace photo_analysis::FeatureDetection {

// The tuning of detail detection; sizes given as fractions are fractions of the
// working height H.
struct Options {
    // Height the face image is resampled to before analysis (16 at least).
    int workingHeight = 720;
    // The band along the face's outline that is ignored.
    double margin = 0.06;
    // Half side of the local background window (2 pixels at least).
    double backgroundRadius = 0.08;
    // Floor of the mark threshold, in ΔE.
    double minimumContrast = 5.0;
    // ΔE from the face's median colour beyond which a pixel is another region.
    double regionContrast = 22.0;
    // Smallest region kept, as a share of the face's inner pixels.
    double minimumRegionShare = 0.06;
    // Smallest mark kept (longest box side).
    double minimumMarkSize = 0.018;
    // Longest box side up to which a solid round mark is a dot.
    double dotMaximumSize = 0.07;
    // Recognise text on the face and drop the marks it covers.
    bool excludesText = true;

    // The working height actually used.
    int effectiveWorkingHeight() const { return workingHeight < 16 ? 16 : workingHeight; }

    friend bool operator==(const Options&, const Options&) = default;
};

// ----- Face finding -----

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

// ----- Details -----

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
