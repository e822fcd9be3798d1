// The face photo's geometry (clicks, corners, the two face fits), the profile
// import and the driver images. The analysis runs on the photo work's runner;
// results are applied on the main thread while the face photo they were started
// from is still the current one.

#include <QUuid>
#include <cmath>

#include "glyphsmith_state/driver_editor.hpp"
#include "model_edits.hpp"
#include "photo_tasks.hpp"

namespace glyphsmith_state {

using icon_geometry::ExtrudedBody;
using icon_geometry::FaceShape;
using icon_geometry::Rect;
using icon_geometry::Vector2;
using photo_analysis::FaceCorners;
using photo_analysis::Photo;
using photo_analysis::SubjectMask;

namespace {

// Boundary points within this share past the face's half sides count for the
// corner radius.
constexpr double keptPointMargin = 1.04;
// The corner radius, as a share of the face height, when none can be fitted.
constexpr double fallbackCornerRadius = 0.08;
// An image drawn more than this many times larger than the photo's pixels.
constexpr double upscaleWarning = 2.0;

// The fitted outline at `scale`, its sizes held within the face setters' limits.
std::optional<FaceShape> scaledFit(const FaceShape& fit, double scale) {
    if (!(std::isfinite(scale) && scale > 0)) return std::nullopt;
    return std::visit(
        [&](const auto& shape) -> std::optional<FaceShape> {
            using Shape = std::decay_t<decltype(shape)>;
            if constexpr (std::is_same_v<Shape, FaceShape::RoundedRectangle>) {
                return FaceShape::roundedRectangle(clampedFaceSize(shape.width * scale),
                                                   clampedFaceSize(shape.height * scale),
                                                   clampedCornerRadius(shape.cornerRadius * scale));
            } else if constexpr (std::is_same_v<Shape, FaceShape::Superellipse>) {
                return FaceShape::superellipse(clampedFaceSize(shape.width * scale),
                                               clampedFaceSize(shape.height * scale), clampedExponent(shape.exponent));
            } else if constexpr (std::is_same_v<Shape, FaceShape::Ellipse>) {
                return FaceShape::ellipse(clampedFaceSize(shape.width * scale), clampedFaceSize(shape.height * scale));
            } else if constexpr (std::is_same_v<Shape, FaceShape::Capsule>) {
                return FaceShape::capsule(clampedFaceSize(shape.width * scale), clampedFaceSize(shape.height * scale));
            } else {
                // The model's own bounds check refuses a polygon grown past its limits.
                std::vector<Vector2> vertices = shape.vertices;
                for (Vector2& v : vertices) v = {v.x * scale, v.y * scale};
                return FaceShape::roundedPolygon(std::move(vertices), clampedCornerRadius(shape.cornerRadius * scale));
            }
        },
        fit.value);
}

struct RenderedImages {
    DriverEditor::DriverImages images;
    std::vector<homey_project::DriverImageIssue> warnings;
};

}  // namespace

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
    ++fitsInFlight_;
    updateWorking();
    photoWork_.runner->run(
        TaskPriority::userInitiated, this,
        [services = photoWork_.services, mask = faceMask_, toFace = r->photoToFace, a] {
            std::vector<Vector2> kept;
            for (const Vector2& p : services->boundaryPoints(*mask)) {
                const Vector2 f = toFace.apply(p);
                // A NaN fails both tests.
                if (std::abs(f.x) <= 0.5 * a * keptPointMargin && std::abs(f.y) <= 0.5 * keptPointMargin)
                    kept.push_back(f);
            }
            return services->cornerRadius(kept, a, 1).value_or(fallbackCornerRadius);
        },
        [this, revision, fittedCorners, apply](TaskOutcome<double> outcome) {
            --fitsInFlight_;
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
    ++fitsInFlight_;
    updateWorking();
    photoWork_.runner->run(
        TaskPriority::userInitiated, this,
        [services = photoWork_.services, mask = faceMask_] {
            return services->bestFit(services->boundaryPoints(*mask));
        },
        [this, revision](TaskOutcome<std::optional<photo_analysis::FaceFit>> outcome) {
            --fitsInFlight_;
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
    struct Profile {
        QByteArray bytes;
        Photo photo;
        SharedMask mask;
        MaskFigures figures;
    };
    ++profileImportsInFlight_;
    updateWorking();
    photoWork_.runner->run(
        TaskPriority::userInitiated, this,
        [services = photoWork_.services, path = url.toLocalFile()] {
            // Read once: the bytes kept are those analysed.
            std::optional<QByteArray> bytes = services->readPhotoFile(path);
            if (!bytes) throw photo_analysis::PhotoAnalysisError::unreadableImage();
            Profile profile{*bytes, services->decodePhoto(*bytes), {}, {}};
            profile.mask = std::make_shared<const SubjectMask>(services->subjectMask(profile.photo));
            profile.figures = MaskFigures::of(*profile.mask);
            profile.figures.profileRatio = services->profileRatio(*profile.mask);
            return profile;
        },
        [this, url](TaskOutcome<Profile> outcome) {
            --profileImportsInFlight_;
            if (!outcome.hasValue()) {
                setError(photoTaskError(outcome.exception()));
                updateWorking();
                return;
            }
            Profile& profile = outcome.value();
            applyProfileRatio(profile.figures.profileRatio);
            // The photos are moved out and back, never copied: each holds a
            // photo-sized mask. Nothing reads them in between.
            for (std::size_t i = 0; i < loadedPhotos_.size(); ++i) {
                if (loadedPhotos_[i].role != LoadedPhoto::Role::profile) continue;
                std::vector<LoadedPhoto> photos = std::move(loadedPhotos_);
                photos[i].role = LoadedPhoto::Role::spare;
                setLoadedPhotos(std::move(photos));
            }
            LoadedPhoto added{
                QUuid::createUuid(),     url,          std::move(profile.photo),  std::move(profile.bytes),
                std::move(profile.mask), std::nullopt, LoadedPhoto::Role::profile};
            photoFigures_[added.id] = profile.figures;
            std::vector<LoadedPhoto> photos = std::move(loadedPhotos_);
            photos.push_back(std::move(added));
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
    ++renderingsInFlight_;
    updateWorking();
    photoWork_.runner->run(
        TaskPriority::userInitiated, this,
        [services = photoWork_.services, photo = *facePhoto_, mask = faceMask_] {
            RenderedImages rendered;
            for (const homey_project::DriverImageSize size : homey_project::allDriverImageSizes) {
                PhotoServices::DriverImage image;
                try {
                    image = services->renderDriverImage(photo, *mask, size);
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
        },
        [this, revision, whenDone = std::move(whenDone)](TaskOutcome<RenderedImages> outcome) {
            --renderingsInFlight_;
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
