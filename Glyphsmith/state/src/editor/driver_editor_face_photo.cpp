// The face photo's geometry (clicks, corners, the two face fits), the profile
// import and the driver images. The analysis runs on the photo work's runner;
// results are applied on the main thread while the face photo they were started
// from is still the current one.

#include <QUuid>
#include <cmath>

#include "editor_changes.hpp"
#include "face_shapes.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "photo_session.hpp"
#include "photo_tasks.hpp"

namespace glyphsmith_state {

using icon_geometry::ExtrudedBody;
using icon_geometry::FaceShape;
using icon_geometry::Rect;
using icon_geometry::Vector2;
using photo_analysis::FaceCorners;
using photo_analysis::Photo;
using photo_analysis::SubjectMask;

// ----- Clicks -----

void DriverEditor::handlePhotoClick(double x, double y) {
    assertMainThread(this);
    if (const auto* place = std::get_if<PhotoTool::Place>(&tool_.value)) {
        const DetailTemplate detailTemplate = place->detailTemplate;
        if (const std::optional<Vector2> point = facePoint(x, y)) addDetail(detailTemplate, *point);
        setTool(PhotoTool::none());
    } else if (std::holds_alternative<PhotoTool::Corners>(tool_.value)) {
        std::vector<Vector2> clicked = corners_;
        clicked.push_back({x, y});
        const bool complete = clicked.size() == 4;
        setCorners(std::move(clicked));
        if (complete) {
            fitFaceToCorners();
            setTool(PhotoTool::none());
        }
    }
}

std::optional<photo_analysis::Rectification> DriverEditor::rectification() const {
    if (corners_.size() != 4 || !facePhoto_) return std::nullopt;
    const FaceCorners corners{corners_[0], corners_[1], corners_[2], corners_[3]};
    std::optional<double> imposedAspect;
    if (keepEnteredAspect_) {
        const Rect box = outlineBox(model_.primaryBody().face);
        const double aspect = box.width / box.height;
        if (std::isfinite(aspect) && aspect > 0) imposedAspect = aspect;
    }
    return photo_analysis::Rectification::make(corners, facePhoto_->width(), facePhoto_->height(), imposedAspect);
}

std::optional<Vector2> DriverEditor::facePoint(double x, double y) const {
    const double height = faceHeight();
    std::optional<Vector2> point;
    if (const std::optional<photo_analysis::Rectification> r = rectification()) {
        const Vector2 face = r->photoToFace.apply(x, y);
        point = Vector2{face.x * height, face.y * height};
    } else if (const std::optional<Rect> box = faceMaskBox()) {
        const double scale = height / box->height;
        point = Vector2{scale * (x - box->midX()), scale * (y - box->midY())};
    }
    // A click on the vanishing line maps nowhere.
    if (point && !(std::isfinite(point->x) && std::isfinite(point->y))) return std::nullopt;
    return point;
}

const std::optional<Rect>& DriverEditor::faceMaskBox() const {
    if (!faceMaskBox_) faceMaskBox_ = faceMask_ ? faceMask_->boundingBox() : std::nullopt;
    return *faceMaskBox_;
}

// ----- The face fits -----

void DriverEditor::fitFaceToCorners() {
    assertMainThread(this);
    const std::optional<photo_analysis::Rectification> r = rectification();
    if (!r) {
        setError(AppError::cornersNeedFourPoints());
        return;
    }
    // A revolved main body has no face to fit: it would become a default box.
    if (!model_.hasExtrudedPrimaryBody()) return;
    const double a = r->aspectRatio;
    // At the height the face has when the radius arrives: one entered meanwhile stays.
    const auto apply = [this, a](double radiusShare) {
        const double height = faceHeight();
        changeMainBody([&](ExtrudedBody& body) {
            body.face = FaceShape::roundedRectangle(clampedFaceSize(a * height), clampedFaceSize(height),
                                                    clampedCornerRadius(radiusShare * height));
        });
    };
    if (!faceMask_) {
        apply(0);
        return;
    }
    if (!photoWork_.isAvailable()) return;
    const std::uint64_t revision = facePhotoRevision_;
    const std::vector<Vector2> fittedCorners = corners_;
    ++work_.fits;
    updateWorking();
    photoWork_.runner->run(
        TaskPriority::userInitiated, this,
        [services = photoWork_.services, mask = faceMask_, toFace = r->photoToFace, a] {
            return fittedCornerRadius(*services, *mask, toFace, a);
        },
        [this, revision, fittedCorners, apply](TaskOutcome<double> outcome) {
            --work_.fits;
            // Another photo, or other corners, have been fitted meanwhile.
            if (revision == facePhotoRevision_ && fittedCorners == corners_)
                apply(outcome.hasValue() ? outcome.value() : fallbackCornerRadius);
            updateWorking();
        });
}

void DriverEditor::fitFaceOutline() {
    assertMainThread(this);
    if (!faceMask_) {
        setError(AppError::noPhoto());
        return;
    }
    if (!model_.hasExtrudedPrimaryBody()) return;
    if (!photoWork_.isAvailable()) return;
    const std::uint64_t revision = facePhotoRevision_;
    ++work_.fits;
    updateWorking();
    photoWork_.runner->run(
        TaskPriority::userInitiated, this,
        [services = photoWork_.services, mask = faceMask_] {
            return services->bestFit(services->boundaryPoints(*mask));
        },
        [this, revision](TaskOutcome<std::optional<photo_analysis::FaceFit>> outcome) {
            --work_.fits;
            applyOutlineFit(revision, std::move(outcome));
            updateWorking();
        });
}

void DriverEditor::applyOutlineFit(std::uint64_t revision,
                                   TaskOutcome<std::optional<photo_analysis::FaceFit>> outcome) {
    if (revision != facePhotoRevision_) return;
    // The height entered while the fit ran is kept.
    const double height = faceHeight();
    std::optional<FaceShape> face;
    if (outcome.hasValue() && outcome.value()) {
        FaceShape fitted = outcome.value()->shape;
        // The exponent first: the outline's height depends on it.
        if (auto* s = std::get_if<FaceShape::Superellipse>(&fitted.value)) s->exponent = clampedExponent(s->exponent);
        face = scaledFit(fitted, height / outlineBox(fitted).height);
    }
    if (!face) {
        setError(AppError::noPhoto());
        return;
    }
    changeMainBody([&](ExtrudedBody& body) { body.face = *face; });
}

// ----- The profile import -----

void DriverEditor::loadPickedPhoto(const QUrl& url) {
    assertMainThread(this);
    if (!photoWork_.isAvailable()) return;
    ++work_.profileImports;
    updateWorking();
    photoWork_.runner->run(
        TaskPriority::userInitiated, this,
        [services = photoWork_.services, url] { return analysePhotoFile(*services, url, PhotoAnalysis::subjectOnly); },
        [this](TaskOutcome<AnalysedPhoto> outcome) {
            --work_.profileImports;
            if (!outcome.hasValue()) {
                setError(photoTaskError(outcome.exception()));
                updateWorking();
                return;
            }
            AnalysedPhoto& profile = outcome.value();
            applyProfileRatio(profile.figures.profileRatio);
            // The photos share their masks: the list is copied without them.
            std::vector<LoadedPhoto> photos = loadedPhotos_;
            for (LoadedPhoto& photo : photos)
                if (photo.role == LoadedPhoto::Role::profile) photo.role = LoadedPhoto::Role::spare;
            profile.photo.role = LoadedPhoto::Role::profile;
            photoFigures_[profile.photo.id] = profile.figures;
            photos.push_back(std::move(profile.photo));
            setLoadedPhotos(std::move(photos));
            updateWorking();
        });
}

// ----- Driver images -----

void DriverEditor::renderDriverImages(std::function<void()> whenDone) {
    assertMainThread(this);
    if (!facePhoto_ || !faceMask_ || !photoWork_.isAvailable()) {
        if (whenDone) whenDone();
        return;
    }
    const std::uint64_t revision = facePhotoRevision_;
    ++work_.renderings;
    updateWorking();
    photoWork_.runner->run(
        TaskPriority::userInitiated, this,
        [services = photoWork_.services, photo = *facePhoto_, mask = faceMask_] {
            return renderDriverImageSet(*services, photo, *mask);
        },
        [this, revision, whenDone = std::move(whenDone)](TaskOutcome<RenderedImages> outcome) {
            --work_.renderings;
            // The images of a replaced face photo would be written beside the new one.
            if (revision != facePhotoRevision_) {
                updateWorking();
                return;
            }
            if (outcome.hasValue()) {
                setDriverImages(std::move(outcome.value().images));
                setImageWarnings(std::move(outcome.value().warnings));
            }
            updateWorking();
            if (whenDone) whenDone();
        });
}

}  // namespace glyphsmith_state
