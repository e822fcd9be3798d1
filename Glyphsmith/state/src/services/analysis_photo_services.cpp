#include "glyphsmith_state/analysis_photo_services.hpp"

#include "files.hpp"
#include "image_io/bounded_file.hpp"
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

AnalysisPhotoServices::AnalysisPhotoServices(std::unique_ptr<photo_analysis::Segmenter> segmenter,
                                             std::unique_ptr<photo_analysis::TextRecognizer> recognizer)
    : segmenter_(std::move(segmenter)), recognizer_(std::move(recognizer)) {}

AnalysisPhotoServices::~AnalysisPhotoServices() = default;

std::optional<QByteArray> AnalysisPhotoServices::readPhotoFile(const QString& path) const {
    return readFileUpTo(path, image_io::imageFileLimit);
}

Photo AnalysisPhotoServices::decodePhoto(const QByteArray& bytes) const {
    return Photo::decode(bytesOf(bytes));
}

SubjectMask AnalysisPhotoServices::subjectMask(const Photo& photo) const {
    if (segmenter_) {
        try {
            return photo_analysis::SubjectExtraction::extractForeground(photo, *segmenter_);
        } catch (...) {
            // Whatever the segmenter's failure, the background colour gets its chance.
        }
    }
    return photo_analysis::SubjectExtraction::extractByBackground(photo,
                                                                  photo_analysis::SubjectExtraction::defaultTolerance);
}

std::optional<photo_analysis::FaceCorners> AnalysisPhotoServices::faceCorners(const Photo& photo,
                                                                              const SubjectMask& mask) const {
    return photo_analysis::FeatureDetection::detectFaceCorners(photo, mask);
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
    return photo_analysis::ShapeFitting::bestFit(points);
}

std::optional<photo_analysis::FeatureDetection::Face> AnalysisPhotoServices::findFace(
    const Photo& photo, const SubjectMask& mask, const std::optional<photo_analysis::FaceCorners>& corners,
    std::optional<double> aspectRatio) const {
    return photo_analysis::FeatureDetection::face(photo, mask, corners, aspectRatio);
}

std::vector<photo_analysis::DetectedFeature> AnalysisPhotoServices::detectFeatures(
    const Photo& faceImage, const icon_geometry::FaceShape& faceShape) const {
    std::lock_guard lock(recognizerMutex_);
    // Loading the languages takes a while: once, on the first detection, away
    // from the main thread.
    if (!recognizer_) recognizer_ = photo_analysis::makeTesseractRecognizer();
    // The editor detects with the detection's own tuning.
    return photo_analysis::FeatureDetection::detect(faceImage, faceShape, {}, recognizer_.get());
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
