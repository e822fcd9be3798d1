#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "glyphsmith_state/photo_services.hpp"
#include "icon_geometry/rect.hpp"
#include "photo_analysis/feature_detection.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/profile_measurement.hpp"

namespace glyphsmith_state_testing {

// Photo services that answer from a script: the test says which bytes a file
// holds, which photo those bytes decode to, and that photo's mask, corners, face,
// features and driver images. Fits and points are the photo analysis's own unless
// the test sets an answer. Every call is counted, so a test can tell that nothing
// was analysed before the runner ran the work.
class PhotoServicesDouble final : public glyphsmith_state::PhotoServices {
public:
    using Kind = photo_analysis::PhotoAnalysisError::Kind;

    // What the double knows of one photo.
    struct Script {
        // The file bytes that decode to the photo.
        QByteArray bytes;
        photo_analysis::Photo photo;
        // Absent: finding the subject fails with `maskFailure`.
        std::optional<photo_analysis::SubjectMask> mask;
        Kind maskFailure = Kind::noSubjectFound;
        std::optional<photo_analysis::FaceCorners> corners;
        std::optional<photo_analysis::FeatureDetection::Face> face;
        std::vector<photo_analysis::DetectedFeature> features;
        // Present: detection on the face fails with this kind.
        std::optional<Kind> detectionFailure;
        // The driver images by size; a size missing here cannot be rendered.
        std::map<homey_project::DriverImageSize, DriverImage> images;
    };

    // ----- The script; set before any work runs -----

    void addFile(const QString& path, QByteArray bytes) { files_[path] = std::move(bytes); }
    void addPhoto(Script script) { scripts_.push_back(std::move(script)); }

    // Answers that replace the photo analysis's own; absent: the real one.
    std::optional<std::vector<icon_geometry::Vector2>> boundaryAnswer;
    std::optional<std::optional<double>> cornerRadiusAnswer;
    std::optional<std::optional<photo_analysis::FaceFit>> bestFitAnswer;
    std::optional<std::optional<double>> profileRatioAnswer;
    // The detail and the paths of one feature; by default the photo analysis's
    // own conversions.
    std::function<icon_geometry::FaceDetail(const photo_analysis::DetectedFeature&, double width, double height,
                                            double aspect)>
        detailOf;
    std::function<std::vector<icon_geometry::BezierPath>(const photo_analysis::DetectedFeature&)> pathsOf;

    // ----- What was asked -----

    // The names of the calls, in the order they were made.
    std::vector<std::string> calls() const {
        std::lock_guard lock(mutex_);
        return calls_;
    }
    std::size_t callCount() const {
        std::lock_guard lock(mutex_);
        return calls_.size();
    }
    void forgetCalls() {
        std::lock_guard lock(mutex_);
        calls_.clear();
    }

    // ----- Helpers for scripts -----

    // A photo of one shade, told apart from others of its size by the shade.
    static photo_analysis::Photo plainPhoto(int width, int height, std::uint8_t shade) {
        std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4, shade);
        for (std::size_t i = 3; i < pixels.size(); i += 4) pixels[i] = 255;
        return photo_analysis::Photo(width, height, std::move(pixels));
    }
    // A mask of width × height whose inside is the box, in whole pixels.
    static photo_analysis::SubjectMask boxMask(int width, int height, icon_geometry::Rect box) {
        photo_analysis::SubjectMask mask{width, height, {}};
        mask.coverage.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0);
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (x >= box.minX() && x < box.maxX() && y >= box.minY() && y < box.maxY())
                    mask.coverage[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                  static_cast<std::size_t>(x)] = 255;
        return mask;
    }

    // ----- The services -----

    std::optional<QByteArray> readPhotoFile(const QString& path) const override {
        record("readPhotoFile");
        const auto found = files_.find(path);
        if (found == files_.end()) return std::nullopt;
        return found->second;
    }
    photo_analysis::Photo decodePhoto(const QByteArray& bytes) const override {
        record("decodePhoto");
        for (const Script& script : scripts_)
            if (script.bytes == bytes) return script.photo;
        throw photo_analysis::PhotoAnalysisError::unreadableImage();
    }
    photo_analysis::SubjectMask subjectMask(const photo_analysis::Photo& photo) const override {
        record("subjectMask");
        const Script* script = scriptOf(photo);
        if (!script) throw photo_analysis::PhotoAnalysisError::noSubjectFound();
        if (!script->mask) throw photo_analysis::PhotoAnalysisError(script->maskFailure);
        return *script->mask;
    }
    std::optional<photo_analysis::FaceCorners> faceCorners(const photo_analysis::Photo& photo,
                                                           const photo_analysis::SubjectMask&) const override {
        record("faceCorners");
        const Script* script = scriptOf(photo);
        return script ? script->corners : std::nullopt;
    }
    std::optional<double> profileRatio(const photo_analysis::SubjectMask& mask) const override {
        record("profileRatio");
        if (profileRatioAnswer) return *profileRatioAnswer;
        return photo_analysis::ProfileMeasurement::aspectRatio(mask);
    }
    DriverImage renderDriverImage(const photo_analysis::Photo& photo, const photo_analysis::SubjectMask&,
                                  homey_project::DriverImageSize size) const override {
        record("renderDriverImage");
        const Script* script = scriptOf(photo);
        if (!script || !script->images.contains(size)) throw photo_analysis::PhotoAnalysisError::renderingFailed();
        return script->images.at(size);
    }
    std::vector<icon_geometry::Vector2> boundaryPoints(const photo_analysis::SubjectMask& mask) const override {
        record("boundaryPoints");
        if (boundaryAnswer) return *boundaryAnswer;
        return photo_analysis::ShapeFitting::boundaryPoints(mask.width, mask.height, mask.coverage);
    }
    std::optional<double> cornerRadius(std::span<const icon_geometry::Vector2> points, double width,
                                       double height) const override {
        record("cornerRadius");
        if (cornerRadiusAnswer) return *cornerRadiusAnswer;
        return photo_analysis::ShapeFitting::cornerRadius(points, width, height);
    }
    std::optional<photo_analysis::FaceFit> bestFit(std::span<const icon_geometry::Vector2> points) const override {
        record("bestFit");
        if (bestFitAnswer) return *bestFitAnswer;
        return photo_analysis::ShapeFitting::fit(points);
    }
    std::optional<photo_analysis::FeatureDetection::Face> findFace(const photo_analysis::Photo& photo,
                                                                   const photo_analysis::SubjectMask&,
                                                                   const std::optional<photo_analysis::FaceCorners>&,
                                                                   std::optional<double>) const override {
        record("findFace");
        const Script* script = scriptOf(photo);
        return script ? script->face : std::nullopt;
    }
    std::vector<photo_analysis::DetectedFeature> detectFeatures(const photo_analysis::Photo& faceImage,
                                                                const icon_geometry::FaceShape&) const override {
        record("detectFeatures");
        for (const Script& script : scripts_)
            if (script.face && script.face->image == faceImage) {
                if (script.detectionFailure) throw photo_analysis::PhotoAnalysisError(*script.detectionFailure);
                return script.features;
            }
        return {};
    }
    std::vector<icon_geometry::FaceDetail> faceDetails(const std::vector<photo_analysis::DetectedFeature>& features,
                                                       double width, double height, double aspect) const override {
        record("faceDetails");
        std::vector<icon_geometry::FaceDetail> details;
        for (const auto& feature : features)
            details.push_back(
                detailOf ? detailOf(feature, width, height, aspect)
                         : photo_analysis::FeatureDetection::faceDetails({feature}, width, height, aspect).at(0));
        return details;
    }
    std::vector<icon_geometry::BezierPath> featurePaths(const photo_analysis::DetectedFeature& feature) const override {
        record("featurePaths");
        return pathsOf ? pathsOf(feature) : feature.paths();
    }

private:
    void record(const char* call) const {
        std::lock_guard lock(mutex_);
        calls_.emplace_back(call);
    }
    // The script of a photo; none for a photo the test did not describe.
    const Script* scriptOf(const photo_analysis::Photo& photo) const {
        for (const Script& script : scripts_)
            if (script.photo == photo) return &script;
        return nullptr;
    }

    std::map<QString, QByteArray> files_;
    std::vector<Script> scripts_;
    mutable std::mutex mutex_;
    mutable std::vector<std::string> calls_;
};

}  // namespace glyphsmith_state_testing
