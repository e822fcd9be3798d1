#include <QFile>
#include <QScopeGuard>
#include <algorithm>
#include <cmath>
#include <memory>

#include "editor_changes.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/photo_files.hpp"
#include "homey_project/source_layout.hpp"
#include "photo_roles.hpp"
#include "photo_session.hpp"
#include "photo_tasks.hpp"

namespace glyphsmith_state {

using photo_analysis::FaceCorners;
using photo_analysis::Photo;
using photo_analysis::SubjectMask;

namespace {

QString localPath(const QUrl& url) {
    return url.isLocalFile() ? url.toLocalFile() : url.path();
}

}  // namespace

double DriverEditor::faceAspect() const {
    return faceAspectOf(model_);
}

void DriverEditor::assignPhotoRoles(std::vector<LoadedPhoto>& photos, bool firstIsFace, double faceAspect) {
    std::vector<MaskFigures> figures;
    for (const LoadedPhoto& photo : photos) figures.push_back(MaskFigures::of(*photo.mask));
    assignRoles(photos, figures, firstIsFace, faceAspect);
}

std::optional<double> DriverEditor::faceCoverage(const std::optional<FaceCorners>& corners, const Photo& photo,
                                                 const SubjectMask& mask) {
    return glyphsmith_state::faceCoverage(corners, photo, mask);
}

// ----- Loading -----

void DriverEditor::addPhotos(const QList<QUrl>& urls, bool firstIsFace, bool thenDetect) {
    loadPhotosThen(urls, firstIsFace, thenDetect, nullptr);
}

void DriverEditor::loadPhotosThen(const QList<QUrl>& urls, bool firstIsFace, bool thenDetect,
                                  std::function<void(bool applied)> done) {
    assertMainThread(this);
    QList<QUrl> accepted;
    for (const QUrl& url : urls)
        if (acceptsPhotoFile(url)) accepted.push_back(url);
    if (accepted.isEmpty() || !photoWork_.isAvailable()) {
        setError(AppError::unreadablePhoto());
        if (done) done(false);
        return;
    }
    const int generation = photoLoad_ + 1;
    setPhotoLoad(generation);
    work_.load = true;
    updateWorking();

    auto batch = std::make_shared<LoadBatch>(static_cast<std::size_t>(accepted.size()));
    for (qsizetype i = 0; i < accepted.size(); ++i) {
        const std::size_t index = static_cast<std::size_t>(i);
        // The files are analysed side by side; the batch keeps their order.
        photoWork_.runner->run(
            TaskPriority::userInitiated, this,
            [services = photoWork_.services, url = accepted[i]] {
                return analysePhotoFile(*services, url, PhotoAnalysis::withFaceCoverage);
            },
            [this, batch, index, generation, firstIsFace, thenDetect, done](TaskOutcome<AnalysedPhoto> outcome) {
                if (!batch->record(index, std::move(outcome))) return;
                // A newer load owns the photos, the error and isWorking.
                if (generation != photoLoad_) {
                    if (done) done(false);
                    return;
                }
                work_.load = false;
                // Told once what follows the load (the driver images, a detection) has started.
                const auto settle = qScopeGuard([this] { updateWorking(); });
                auto [photos, figures, lastFailure] = batch->take();
                if (photos.empty()) {
                    setError(lastFailure.value_or(AppError::unreadablePhoto()));
                    if (done) done(false);
                    return;
                }
                assignRoles(photos, figures, firstIsFace, faceAspect());
                photoFigures_.clear();
                for (std::size_t i = 0; i < photos.size(); ++i) photoFigures_[photos[i].id] = figures[i];
                setLoadedPhotos(std::move(photos));
                applyPhotoRoles(thenDetect);
                if (done) done(true);
            });
    }
}

void DriverEditor::addPickedPhotos(const QUrl& url) {
    std::vector<LoadedPhoto> kept;
    std::map<QUuid, MaskFigures> keptFigures;
    for (const LoadedPhoto& photo : loadedPhotos_) {
        if (photo.role == LoadedPhoto::Role::face) continue;
        kept.push_back(photo);
        if (const auto figures = photoFigures_.find(photo.id); figures != photoFigures_.end())
            keptFigures.insert(*figures);
    }
    loadPhotosThen({url}, true, true,
                   [this, kept = std::move(kept), keptFigures = std::move(keptFigures)](bool applied) mutable {
                       // A load that failed or was superseded left the photos as they were.
                       if (!applied) return;
                       std::vector<LoadedPhoto> photos = loadedPhotos_;
                       for (LoadedPhoto& photo : kept) {
                           if (photo.role != LoadedPhoto::Role::profile) photo.role = LoadedPhoto::Role::spare;
                           photos.push_back(std::move(photo));
                       }
                       photoFigures_.merge(keptFigures);
                       setLoadedPhotos(std::move(photos));
                   });
}

void DriverEditor::loadSourcePhoto(const QUrl& url, std::vector<icon_geometry::Vector2> storedCorners) {
    loadPhotosThen({url}, true, false, [this, storedCorners = std::move(storedCorners)](bool applied) mutable {
        // Only the restore's own photo counts as written: a photo the user loaded
        // meanwhile has not been.
        if (!applied) return;
        for (const LoadedPhoto& photo : loadedPhotos_)
            if (photo.role == LoadedPhoto::Role::face) setSavedPhotoData(photo.data);
        if (facePhoto_ && areUsableCorners(storedCorners, *facePhoto_)) setCorners(std::move(storedCorners));
    });
}

// ----- Roles -----

void DriverEditor::setPhotoRole(const QUuid& id, LoadedPhoto::Role role) {
    assertMainThread(this);
    std::optional<std::vector<LoadedPhoto>> photos = withRole(loadedPhotos_, id, role);
    if (!photos) return;
    setLoadedPhotos(std::move(*photos));
    applyPhotoRoles(true);
}

void DriverEditor::applyPhotoRoles(bool thenDetect) {
    assertMainThread(this);
    const auto withRole = [&](LoadedPhoto::Role role) {
        return std::find_if(loadedPhotos_.begin(), loadedPhotos_.end(),
                            [&](const LoadedPhoto& p) { return p.role == role; });
    };
    if (const auto profile = withRole(LoadedPhoto::Role::profile); profile != loadedPhotos_.end()) {
        const auto figures = photoFigures_.find(profile->id);
        if (figures != photoFigures_.end()) {
            applyProfileRatio(figures->second.profileRatio);
        } else if (photoWork_.isAvailable()) {
            // A photo that came in without its figures (the profile import's): it
            // is measured in the background once, like the others.
            photoWork_.runner->run(
                TaskPriority::userInitiated, this,
                [services = photoWork_.services, mask = profile->mask] { return measureMask(*services, *mask); },
                [this, id = profile->id](TaskOutcome<MaskFigures> outcome) {
                    if (!outcome.hasValue()) return;
                    const auto photo = std::find_if(loadedPhotos_.begin(), loadedPhotos_.end(),
                                                    [&](const LoadedPhoto& p) { return p.id == id; });
                    if (photo == loadedPhotos_.end()) return;
                    photoFigures_[id] = outcome.value();
                    // Measured for a photo that has since stopped being the profile: kept, not applied.
                    if (photo->role == LoadedPhoto::Role::profile) applyProfileRatio(outcome.value().profileRatio);
                });
        }
    }

    const auto face = withRole(LoadedPhoto::Role::face);
    if (face == loadedPhotos_.end() || face->data == facePhotoData_) return;
    // The loaded photos stay as they are below: the face is read in place, its
    // mask not copied once more on the main thread.
    const LoadedPhoto& chosen = *face;
    setFacePhoto(chosen.photo);
    setFacePhotoData(chosen.data);
    setFacePhotoExtension(
        QString::fromStdString(homey_project::SourceLayout::facePhotoExtension(localPath(chosen.url).toStdString())));
    setFaceMask(chosen.mask);
    // Its box was measured with the load: a click mapped through it scans nothing.
    if (const auto figures = photoFigures_.find(chosen.id); figures != photoFigures_.end())
        faceMaskBox_ = figures->second.box;
    setCorners({});
    setProposals({});
    // The last photo's images would be written beside this one until its own arrive.
    setDriverImages({});
    setImageWarnings({});
    // The rendering and the detection each apply their result only while this
    // is still the face photo.
    renderDriverImages();
    if (thenDetect && model_.hasExtrudedPrimaryBody()) detectDetails(true);
}

void DriverEditor::applyProfileRatio(std::optional<double> ratio) {
    if (!ratio || !model_.hasExtrudedPrimaryBody()) return;
    setProfileDepthRatio(ratio);
    // The depth clamp holds a ratio measured on an odd photo within bounds.
    setDepth(faceHeight() * *ratio);
}

void DriverEditor::updateWorking() {
    setWorking(work_.any());
}

}  // namespace glyphsmith_state
