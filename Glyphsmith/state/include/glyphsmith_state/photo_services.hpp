#pragma once

// Every photo-analysis call a driver editor makes, behind one interface: the
// production services run the photo analysis; tests hand in exact masks, fits,
// corners and features. The editor calls the heavy ones only from work it hands
// to its TaskRunner, so they run away from the main thread, possibly several at
// once: implementations are safe to call from any thread. The cheap geometry
// (rectification, homographies) is called directly, not through here.

#include <QByteArray>
#include <QString>
#include <memory>
#include <optional>
#include <span>
#include <vector>

#include "glyphsmith_state/task_runner.hpp"
#include "homey_project/driver_image_check.hpp"
#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/face_detail.hpp"
#include "icon_geometry/face_shape.hpp"
#include "icon_geometry/vector.hpp"
#include "photo_analysis/detected_feature.hpp"
#include "photo_analysis/face_finding.hpp"
#include "photo_analysis/face_rectification.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/shape_fitting.hpp"
#include "photo_analysis/subject_mask.hpp"

namespace glyphsmith_state {

class PhotoServices {
public:
    // One driver image: its PNG bytes, the image checks' findings on them, and
    // the scale the subject's pixels were drawn at.
    struct DriverImage {
        QByteArray png;
        std::vector<homey_project::DriverImageIssue> findings;
        double upscale = 0;
    };

    virtual ~PhotoServices() = default;

    // ----- Files and photos -----

    // The bytes of a photo file, read once through the bounded reader; nothing
    // for anything but a readable regular file within the image size limit.
    virtual std::optional<QByteArray> readPhotoFile(const QString& path) const = 0;
    // The photo those bytes hold, upright. Throws PhotoAnalysisError.
    virtual photo_analysis::Photo decodePhoto(const QByteArray& bytes) const = 0;

    // ----- The subject -----

    // The segmenter's mask, else the background-colour mask at tolerance 12.
    // Throws the background mask's PhotoAnalysisError when both fail.
    virtual photo_analysis::SubjectMask subjectMask(const photo_analysis::Photo& photo) const = 0;
    // The face corners proposed for a loaded photo (its face coverage). This and
    // the other geometric answers below never throw: they find nothing.
    virtual std::optional<photo_analysis::FaceCorners> faceCorners(const photo_analysis::Photo& photo,
                                                                   const photo_analysis::SubjectMask& mask) const = 0;
    // Width ÷ height of the subject's box on a profile photo.
    virtual std::optional<double> profileRatio(const photo_analysis::SubjectMask& mask) const = 0;

    // ----- Driver images -----

    // The driver image of one size, rendered with the editor's margin, encoded
    // and checked. Throws PhotoAnalysisError when it cannot be rendered or encoded.
    virtual DriverImage renderDriverImage(const photo_analysis::Photo& photo, const photo_analysis::SubjectMask& mask,
                                          homey_project::DriverImageSize size) const = 0;

    // ----- The face outline -----

    // The mask's boundary points, in photo pixels.
    virtual std::vector<icon_geometry::Vector2> boundaryPoints(const photo_analysis::SubjectMask& mask) const = 0;
    // The corner radius of a centred, axis-aligned rounded rectangle of
    // width × height through the points.
    virtual std::optional<double> cornerRadius(std::span<const icon_geometry::Vector2> points, double width,
                                               double height) const = 0;
    // The outline that fits the points best.
    virtual std::optional<photo_analysis::FaceFit> bestFit(std::span<const icon_geometry::Vector2> points) const = 0;

    // ----- The face and its details -----

    // The device's front face, from the known corners when given, with the
    // imposed aspect when given.
    virtual std::optional<photo_analysis::FeatureDetection::Face> findFace(
        const photo_analysis::Photo& photo, const photo_analysis::SubjectMask& mask,
        const std::optional<photo_analysis::FaceCorners>& corners, std::optional<double> aspectRatio) const = 0;
    // The details detected on a found face's image inside its shape, with the
    // editor's detection options and text recognition.
    virtual std::vector<photo_analysis::DetectedFeature> detectFeatures(
        const photo_analysis::Photo& faceImage, const icon_geometry::FaceShape& faceShape) const = 0;
    // The face details the features become on a face of width × height
    // millimetres whose photo has the given aspect; one per feature, in order.
    virtual std::vector<icon_geometry::FaceDetail> faceDetails(
        const std::vector<photo_analysis::DetectedFeature>& features, double width, double height,
        double aspect) const = 0;
    // A feature's outline paths in face units.
    virtual std::vector<icon_geometry::BezierPath> featurePaths(
        const photo_analysis::DetectedFeature& feature) const = 0;
};

// What an editor's photo operations run on. The services are shared with the
// work in flight, so they outlive an editor destroyed meanwhile; the runner is
// the app's and outlives every editor.
struct PhotoWork {
    std::shared_ptr<const PhotoServices> services;
    TaskRunner* runner = nullptr;

    bool isAvailable() const { return services && runner; }
};

}  // namespace glyphsmith_state
