#include <QFile>
#include <QScopeGuard>
#include <algorithm>
#include <cmath>
#include <memory>

#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/photo_files.hpp"
#include "homey_project/source_layout.hpp"
#include "model_edits.hpp"
#include "photo_tasks.hpp"

namespace glyphsmith_state {

using photo_analysis::FaceCorners;
using photo_analysis::Photo;
using photo_analysis::SubjectMask;

namespace {

// A subject narrower than this share of the face's aspect is seen from the side.
constexpr double profileAspectShare = 0.55;

// Width ÷ height of the subject's box; 1 without a box.
double maskAspect(const DriverEditor::MaskFigures& figures) {
    if (!figures.box || !(figures.box->height > 0)) return 1.0;
    return figures.box->width / figures.box->height;
}

// How much a photo looks like the face: a profile scores −1, a photo with a face
// quadrilateral above 1, others by how much of its box the subject fills.
double faceScore(const LoadedPhoto& photo, const DriverEditor::MaskFigures& figures, double threshold) {
    if (maskAspect(figures) < threshold) return -1;
    if (photo.faceCoverage) return *photo.faceCoverage + 1;
    const std::optional<icon_geometry::Rect>& box = figures.box;
    if (box && box->width > 0 && box->height > 0) {
        const double maskArea = static_cast<double>(photo.mask->width) * static_cast<double>(photo.mask->height);
        return figures.coverageShare * maskArea / (box->width * box->height);
    }
    return 0;
}

// Gives the face and profile roles, the masks' figures read from `figures`.
void assignRoles(std::vector<LoadedPhoto>& photos, const std::vector<DriverEditor::MaskFigures>& figures,
                 bool firstIsFace, double faceAspect) {
    const std::size_t n = photos.size();
    if (n == 0) return;
    const double threshold = faceAspect * profileAspectShare;
    std::size_t face = 0;
    if (!firstIsFace && n > 1) {
        double best = faceScore(photos[0], figures[0], threshold);
        for (std::size_t i = 1; i < n; ++i) {
            const double score = faceScore(photos[i], figures[i], threshold);
            if (score > best) {
                best = score;
                face = i;
            }
        }
    }
    for (LoadedPhoto& photo : photos) photo.role = LoadedPhoto::Role::spare;
    photos[face].role = LoadedPhoto::Role::face;

    std::optional<std::size_t> profile;
    double narrowest = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (i == face) continue;
        const double aspect = maskAspect(figures[i]);
        if (!(aspect < threshold)) continue;
        if (!profile || aspect < narrowest) {
            profile = i;
            narrowest = aspect;
        }
    }
    if (profile) photos[*profile].role = LoadedPhoto::Role::profile;
}

// A file as the background read and analysed it.
struct AnalysedFile {
    LoadedPhoto photo;
    DriverEditor::MaskFigures figures;
};

// The files of one load, filled in as their work ends, in batch order.
struct Batch {
    explicit Batch(std::size_t count) : files(count), failures(count), remaining(count) {}
    std::vector<std::optional<AnalysedFile>> files;
    std::vector<std::optional<AppError>> failures;
    std::size_t remaining;
};

QString localPath(const QUrl& url) {
    return url.isLocalFile() ? url.toLocalFile() : url.path();
}

// Four finite points inside the photo (its edges included).
bool areUsableCorners(const std::vector<icon_geometry::Vector2>& corners, const Photo& photo) {
    if (corners.size() != 4) return false;
    return std::all_of(corners.begin(), corners.end(), [&](icon_geometry::Vector2 c) {
        return std::isfinite(c.x) && std::isfinite(c.y) && c.x >= 0 && c.y >= 0 && c.x <= photo.width() &&
               c.y <= photo.height();
    });
}

}  // namespace

double DriverEditor::faceAspect() const {
    const icon_geometry::Rect box = outlineBox(model_.primaryBody().face);
    return box.height > 0 ? box.width / box.height : 1.0;
}

DriverEditor::MaskFigures DriverEditor::MaskFigures::of(const SubjectMask& mask) {
    return {mask.boundingBox(), mask.coverageShare(), std::nullopt};
}

void DriverEditor::assignPhotoRoles(std::vector<LoadedPhoto>& photos, bool firstIsFace, double faceAspect) {
    std::vector<MaskFigures> figures;
    for (const LoadedPhoto& photo : photos) figures.push_back(MaskFigures::of(*photo.mask));
    assignRoles(photos, figures, firstIsFace, faceAspect);
}

std::optional<double> DriverEditor::faceCoverage(const std::optional<FaceCorners>& corners, const Photo& photo,
                                                 const SubjectMask& mask) {
    if (!corners) return std::nullopt;
    const auto points = corners->points();
    double twiceArea = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const icon_geometry::Vector2 a = points[i];
        const icon_geometry::Vector2 b = points[(i + 1) % points.size()];
        twiceArea += a.x * b.y - a.y * b.x;
    }
    const double subjectArea =
        mask.coverageShare() * static_cast<double>(photo.width()) * static_cast<double>(photo.height());
    return std::abs(twiceArea) / 2 / std::max(1.0, subjectArea);
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
    loadInFlight_ = true;
    updateWorking();

    auto batch = std::make_shared<Batch>(static_cast<std::size_t>(accepted.size()));
    for (qsizetype i = 0; i < accepted.size(); ++i) {
        const std::size_t index = static_cast<std::size_t>(i);
        // The files are analysed side by side; the batch keeps their order.
        photoWork_.runner->run(
            TaskPriority::userInitiated, this,
            [services = photoWork_.services, url = accepted[i]] {
                // Only files: a remote address is not read as the local path it names.
                if (!url.isLocalFile()) throw photo_analysis::PhotoAnalysisError::unreadableImage();
                // Read once: the bytes analysed are the bytes that will be stored.
                std::optional<QByteArray> bytes = services->readPhotoFile(url.toLocalFile());
                if (!bytes) throw photo_analysis::PhotoAnalysisError::unreadableImage();
                AnalysedFile file;
                file.photo.id = QUuid::createUuid();
                file.photo.url = url;
                file.photo.photo = services->decodePhoto(*bytes);
                file.photo.data = std::move(*bytes);
                file.photo.mask = std::make_shared<const SubjectMask>(services->subjectMask(file.photo.photo));
                const SubjectMask& mask = *file.photo.mask;
                file.photo.faceCoverage =
                    faceCoverage(services->faceCorners(file.photo.photo, mask), file.photo.photo, mask);
                file.figures = MaskFigures::of(mask);
                file.figures.profileRatio = services->profileRatio(mask);
                return file;
            },
            [this, batch, index, generation, firstIsFace, thenDetect, done](TaskOutcome<AnalysedFile> outcome) {
                if (outcome.hasValue()) {
                    batch->files[index] = std::move(outcome.value());
                } else {
                    batch->failures[index] = photoTaskError(outcome.exception());
                }
                if (--batch->remaining > 0) return;
                // A newer load owns the photos, the error and isWorking.
                if (generation != photoLoad_) {
                    if (done) done(false);
                    return;
                }
                loadInFlight_ = false;
                // Told once what follows the load (the driver images, a detection) has started.
                const auto settle = qScopeGuard([this] { updateWorking(); });
                std::vector<LoadedPhoto> photos;
                std::vector<MaskFigures> figures;
                std::optional<AppError> lastFailure;
                for (std::size_t i = 0; i < batch->files.size(); ++i) {
                    if (batch->files[i]) {
                        photos.push_back(std::move(batch->files[i]->photo));
                        figures.push_back(std::move(batch->files[i]->figures));
                    } else if (batch->failures[i]) {
                        lastFailure = batch->failures[i];
                    }
                }
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
    const auto found =
        std::find_if(loadedPhotos_.begin(), loadedPhotos_.end(), [&](const LoadedPhoto& p) { return p.id == id; });
    if (found == loadedPhotos_.end()) return;
    const std::size_t index = static_cast<std::size_t>(found - loadedPhotos_.begin());
    std::vector<LoadedPhoto> photos = loadedPhotos_;
    if (role != LoadedPhoto::Role::spare)
        for (LoadedPhoto& photo : photos)
            if (photo.role == role) photo.role = LoadedPhoto::Role::spare;
    photos[index].role = role;
    setLoadedPhotos(std::move(photos));
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
                [services = photoWork_.services, mask = profile->mask] {
                    MaskFigures figures = MaskFigures::of(*mask);
                    figures.profileRatio = services->profileRatio(*mask);
                    return figures;
                },
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
    setWorking(loadInFlight_ || detectionsInFlight_ > 0 || profileImportsInFlight_ > 0 || fitsInFlight_ > 0 ||
               renderingsInFlight_ > 0);
}

}  // namespace glyphsmith_state
