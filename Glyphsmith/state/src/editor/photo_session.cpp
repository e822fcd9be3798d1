#include "photo_session.hpp"

#include <QUuid>
#include <cmath>

#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_tasks.hpp"

namespace glyphsmith_state {

using icon_geometry::Vector2;

namespace {

// Boundary points within this share past the face's half sides count for the
// corner radius.
constexpr double keptPointMargin = 1.04;
// An image drawn more than this many times larger than the photo's pixels.
constexpr double upscaleWarning = 2.0;

}  // namespace

AnalysedPhoto analysePhotoFile(const PhotoServices& services, const QUrl& url, PhotoAnalysis analysis) {
    // Only files: a remote address is not read as the local path it names.
    if (!url.isLocalFile()) throw photo_analysis::PhotoAnalysisError::unreadableImage();
    std::optional<QByteArray> bytes = services.readPhotoFile(url.toLocalFile());
    if (!bytes) throw photo_analysis::PhotoAnalysisError::unreadableImage();
    AnalysedPhoto file;
    file.photo.id = QUuid::createUuid();
    file.photo.url = url;
    file.photo.photo = services.decodePhoto(*bytes);
    file.photo.data = std::move(*bytes);
    file.photo.mask = std::make_shared<const photo_analysis::SubjectMask>(services.subjectMask(file.photo.photo));
    const photo_analysis::SubjectMask& mask = *file.photo.mask;
    if (analysis == PhotoAnalysis::withFaceCoverage)
        file.photo.faceCoverage = faceCoverage(services.faceCorners(file.photo.photo, mask), file.photo.photo, mask);
    file.figures = measureMask(services, mask);
    return file;
}

bool LoadBatch::record(std::size_t index, TaskOutcome<AnalysedPhoto> outcome) {
    if (outcome.hasValue()) {
        files_[index] = std::move(outcome.value());
    } else {
        failures_[index] = photoTaskError(outcome.exception());
    }
    return --remaining_ == 0;
}

LoadBatch::Result LoadBatch::take() {
    Result result;
    for (std::size_t i = 0; i < files_.size(); ++i) {
        if (files_[i]) {
            result.photos.push_back(std::move(files_[i]->photo));
            result.figures.push_back(files_[i]->figures);
        } else if (failures_[i]) {
            result.lastFailure = failures_[i];
        }
    }
    files_.clear();
    return result;
}

MaskFigures measureMask(const PhotoServices& services, const photo_analysis::SubjectMask& mask) {
    MaskFigures figures = MaskFigures::of(mask);
    figures.profileRatio = services.profileRatio(mask);
    return figures;
}

double fittedCornerRadius(const PhotoServices& services, const photo_analysis::SubjectMask& mask,
                          const photo_analysis::Homography& toFace, double aspect) {
    std::vector<Vector2> kept;
    for (const Vector2& p : services.boundaryPoints(mask)) {
        const Vector2 f = toFace.apply(p);
        // A NaN fails both tests.
        if (std::abs(f.x) <= 0.5 * aspect * keptPointMargin && std::abs(f.y) <= 0.5 * keptPointMargin)
            kept.push_back(f);
    }
    return services.cornerRadius(kept, aspect, 1).value_or(fallbackCornerRadius);
}

RenderedImages renderDriverImageSet(const PhotoServices& services, const photo_analysis::Photo& photo,
                                    const photo_analysis::SubjectMask& mask) {
    RenderedImages rendered;
    for (const homey_project::DriverImageSize size : homey_project::allDriverImageSizes) {
        PhotoServices::DriverImage image;
        try {
            image = services.renderDriverImage(photo, mask, size);
        } catch (...) {
            // A size that cannot be drawn is left out; the others still come.
            continue;
        }
        rendered.images[size] = std::move(image.png);
        rendered.warnings.insert(rendered.warnings.end(), image.findings.begin(), image.findings.end());
        if (image.upscale > upscaleWarning)
            rendered.warnings.push_back(homey_project::DriverImageIssue::upscaled(image.upscale));
    }
    return rendered;
}

}  // namespace glyphsmith_state
