#pragma once

// The app's photo services: the photo analysis itself.

#include <memory>
#include <mutex>

#include "glyphsmith_state/photo_services.hpp"
#include "photo_analysis/segmenter.hpp"
#include "photo_analysis/text_recognizer.hpp"
#include "photo_analysis/trace_sink.hpp"

namespace glyphsmith_state {

// The diagnostic traces written to standard output, each line whole.
photo_analysis::TraceSink standardOutputTrace();

class AnalysisPhotoServices final : public PhotoServices {
public:
    // The segmenter cuts subjects out, or the cut-out runs without it (the
    // photo's alpha, a product shot's flat colour, the wall's field); the text
    // recogniser is made the first time a detection needs it, unless one is
    // given. The cut-out's options are the segmenter's. The subject
    // mask and face finding traces (FACE_DEBUG) and the pictogram trace
    // (PICTO_DEBUG) go to `trace`.
    explicit AnalysisPhotoServices(
        std::unique_ptr<photo_analysis::Segmenter> segmenter = std::make_unique<photo_analysis::GrabCutSegmenter>(),
        std::unique_ptr<photo_analysis::TextRecognizer> recognizer = nullptr,
        photo_analysis::TraceSink trace = standardOutputTrace());
    ~AnalysisPhotoServices() override;

    std::optional<QByteArray> readPhotoFile(const QString& path) const override;
    photo_analysis::Photo decodePhoto(const QByteArray& bytes) const override;
    photo_analysis::SubjectMask subjectMask(const photo_analysis::Photo& photo) const override;
    std::optional<photo_analysis::FaceCorners> faceCorners(const photo_analysis::Photo& photo,
                                                           const photo_analysis::SubjectMask& mask) const override;
    std::optional<double> profileRatio(const photo_analysis::SubjectMask& mask) const override;
    DriverImage renderDriverImage(const photo_analysis::Photo& photo, const photo_analysis::SubjectMask& mask,
                                  homey_project::DriverImageSize size) const override;
    std::vector<icon_geometry::Vector2> boundaryPoints(const photo_analysis::SubjectMask& mask) const override;
    std::optional<double> cornerRadius(std::span<const icon_geometry::Vector2> points, double width,
                                       double height) const override;
    std::optional<photo_analysis::FaceFit> bestFit(std::span<const icon_geometry::Vector2> points) const override;
    std::optional<photo_analysis::FeatureDetection::Face> findFace(
        const photo_analysis::Photo& photo, const photo_analysis::SubjectMask& mask,
        const std::optional<photo_analysis::FaceCorners>& corners, std::optional<double> aspectRatio) const override;
    std::vector<photo_analysis::DetectedFeature> detectFeatures(
        const photo_analysis::Photo& faceImage, const icon_geometry::FaceShape& faceShape) const override;
    std::vector<icon_geometry::FaceDetail> faceDetails(const std::vector<photo_analysis::DetectedFeature>& features,
                                                       double width, double height, double aspect) const override;
    std::vector<icon_geometry::BezierPath> featurePaths(const photo_analysis::DetectedFeature& feature) const override;

private:
    std::unique_ptr<photo_analysis::Segmenter> segmenter_;
    photo_analysis::TraceSink trace_;
    // The recogniser reads one image at a time; detections wait for it in turn.
    mutable std::mutex recognizerMutex_;
    mutable std::unique_ptr<photo_analysis::TextRecognizer> recognizer_;
};

}  // namespace glyphsmith_state
