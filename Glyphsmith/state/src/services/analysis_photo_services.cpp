#include "glyphsmith_state/analysis_photo_services.hpp"

#include <unistd.h>

#include <cerrno>
#include <string>

#include "file_access/bounded_read.hpp"
#include "files.hpp"
#include "photo_analysis/driver_image_renderer.hpp"
#include "photo_analysis/feature_detection.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/profile_measurement.hpp"
#include "photo_analysis/subject_extraction.hpp"
#include "photo_analysis/tesseract_recognizer.hpp"

namespace glyphsmith_state {

using icon_geometry::Vector2;
using photo_analysis::Photo;
using photo_analysis::SubjectMask;

namespace {

// The share of each side left free around the subject in a driver image.
constexpr double driverImageMargin = 0.08;

std::span<const std::uint8_t> bytesOf(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size())};
}

}  // namespace

photo_analysis::TraceSink standardOutputTrace() {
    return [](std::string_view text) {
        std::string whole(text);
        whole += '\n';
        const char* data = whole.data();
        std::size_t left = whole.size();
        while (left > 0) {
            const ssize_t written = ::write(STDOUT_FILENO, data, left);
            if (written < 0 && errno == EINTR) continue;
            if (written <= 0) return;  // a closed or full output loses the trace, nothing else
            data += written;
            left -= static_cast<std::size_t>(written);
        }
    };
}

AnalysisPhotoServices::AnalysisPhotoServices(std::unique_ptr<photo_analysis::Segmenter> segmenter,
                                             std::unique_ptr<photo_analysis::TextRecognizer> recognizer,
                                             photo_analysis::TraceSink trace)
    : segmenter_(std::move(segmenter)), trace_(std::move(trace)), recognizer_(std::move(recognizer)) {}

AnalysisPhotoServices::~AnalysisPhotoServices() = default;

std::optional<QByteArray> AnalysisPhotoServices::readPhotoFile(const QString& path) const {
    return readFileUpTo(path, file_access::imageFileLimit);
}

Photo AnalysisPhotoServices::decodePhoto(const QByteArray& bytes) const {
    return Photo::decode(bytesOf(bytes));
}

SubjectMask AnalysisPhotoServices::subjectMask(const Photo& photo) const {
    // The segmenter, then the background, each judged: noSubjectFound when both are refused.
    if (segmenter_) return photo_analysis::SubjectExtraction::extract(photo, *segmenter_, trace_);
    return photo_analysis::SubjectExtraction::extract(photo, photo_analysis::NoSegmenter{}, trace_);
}

std::optional<photo_analysis::FaceCorners> AnalysisPhotoServices::faceCorners(const Photo& photo,
                                                                              const SubjectMask& mask) const {
    return photo_analysis::FeatureDetection::rectangleCandidates(photo, mask);
}

std::optional<double> AnalysisPhotoServices::profileRatio(const SubjectMask& mask) const {
    return photo_analysis::ProfileMeasurement::aspectRatio(mask);
}

PhotoServices::DriverImage AnalysisPhotoServices::renderDriverImage(const Photo& photo, const SubjectMask& mask,
                                                                    homey_project::DriverImageSize size) const {
    photo_analysis::DriverImageRenderer renderer;
    renderer.margin = driverImageMargin;
    const photo_analysis::DriverImageRenderer::Rendering rendering = renderer.render(photo, mask, size);
    const std::vector<std::uint8_t> png = photo_analysis::DriverImageRenderer::pngData(rendering.image);
    DriverImage image;
    image.png = QByteArray(reinterpret_cast<const char*>(png.data()), static_cast<qsizetype>(png.size()));
    image.findings = homey_project::DriverImageCheck::checkImageData(png, size);
    image.upscale = rendering.upscale;
    return image;
}

std::vector<Vector2> AnalysisPhotoServices::boundaryPoints(const SubjectMask& mask) const {
    return photo_analysis::ShapeFitting::boundaryPoints(mask.width, mask.height, mask.coverage);
}

std::optional<double> AnalysisPhotoServices::cornerRadius(std::span<const Vector2> points, double width,
                                                          double height) const {
    return photo_analysis::ShapeFitting::cornerRadius(points, width, height);
}

std::optional<photo_analysis::FaceFit> AnalysisPhotoServices::bestFit(std::span<const Vector2> points) const {
    return photo_analysis::ShapeFitting::fit(points);
}

std::optional<photo_analysis::FeatureDetection::Face> AnalysisPhotoServices::findFace(
    const Photo& photo, const SubjectMask& mask, const std::optional<photo_analysis::FaceCorners>& corners,
    std::optional<double> aspectRatio) const {
    return photo_analysis::FeatureDetection::face(photo, mask, corners, aspectRatio, trace_);
}

std::vector<photo_analysis::DetectedFeature> AnalysisPhotoServices::detectFeatures(
    const Photo& faceImage, const icon_geometry::FaceShape& faceShape) const {
    std::lock_guard lock(recognizerMutex_);
    // Loading the languages takes a while: once, on the first detection, away
    // from the main thread.
    if (!recognizer_) recognizer_ = photo_analysis::makeTesseractRecognizer();
    // The editor detects with the detection's own tuning.
    photo_analysis::FeatureDetection::Detection detection = photo_analysis::FeatureDetection::detect(
        photo_analysis::RgbaView::of(faceImage), faceShape, {}, recognizer_.get(), trace_);
    using Status = photo_analysis::FeatureDetection::Status;
    switch (detection.status) {
        case Status::complete:
            break;
        case Status::unreadableImage:
            throw photo_analysis::PhotoAnalysisError::unreadableImage();
        case Status::tooManyMarks:
            throw photo_analysis::PhotoAnalysisError::tooManyMarks();
        case Status::textRecognitionUnavailable:
            throw photo_analysis::PhotoAnalysisError::textRecognitionUnavailable();
    }
    return std::move(detection.features);
}

std::vector<icon_geometry::FaceDetail> AnalysisPhotoServices::faceDetails(
    const std::vector<photo_analysis::DetectedFeature>& features, double width, double height, double aspect) const {
    return photo_analysis::FeatureDetection::faceDetails(features, width, height, aspect);
}

std::vector<icon_geometry::BezierPath> AnalysisPhotoServices::featurePaths(
    const photo_analysis::DetectedFeature& feature) const {
    return feature.paths();
}

}  // namespace glyphsmith_state
