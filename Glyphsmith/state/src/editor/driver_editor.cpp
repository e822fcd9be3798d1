#include "glyphsmith_state/driver_editor.hpp"

#include <atomic>

#include "editor_changes.hpp"
#include "face_shapes.hpp"
#include "icon_geometry/icon_svg.hpp"
#include "model_edits.hpp"
#include "photo_roles.hpp"
#include "proposal_set.hpp"

namespace glyphsmith_state {

using icon_geometry::ExtrudedBody;
using icon_geometry::FaceDetail;
using icon_geometry::FaceShape;
using icon_geometry::IconModel;
using icon_geometry::Vector2;

namespace {

std::uint64_t nextSerial() {
    // Editors are made on the main thread, but a counter costs nothing to guard.
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

}  // namespace

DriverEditor::DriverEditor(IconModel model, QObject* parent) : DriverEditor(std::move(model), PhotoWork{}, parent) {}

DriverEditor::DriverEditor(IconModel model, PhotoWork work, QObject* parent)
    : QObject(parent),
      serial_(nextSerial()),
      photoWork_(std::move(work)),
      model_(model),
      savedModel_(std::move(model)) {}

DriverEditor::~DriverEditor() = default;

// ----- Observed fields -----

void DriverEditor::setModel(IconModel model) {
    assignObserved(*this, model_, std::move(model), &DriverEditor::modelChanged);
}
void DriverEditor::setFacePhoto(std::optional<photo_analysis::Photo> photo) {
    assertMainThread(this);
    facePhoto_ = std::move(photo);
    ++facePhotoRevision_;
    emit facePhotoChanged();
}
void DriverEditor::setFaceMask(SharedMask mask) {
    assertMainThread(this);
    // Two masks are compared by their contents only when they are not the same one.
    const bool same = mask == faceMask_ || (mask && faceMask_ && *mask == *faceMask_);
    if (same) return;
    faceMask_ = std::move(mask);
    faceMaskBox_.reset();
    emit faceMaskChanged();
}
void DriverEditor::setFaceMask(std::optional<photo_analysis::SubjectMask> mask) {
    setFaceMask(mask ? std::make_shared<const photo_analysis::SubjectMask>(std::move(*mask)) : nullptr);
}
void DriverEditor::setProposals(std::vector<ProposedDetail> proposals) {
    assignObserved(*this, proposals_, std::move(proposals), &DriverEditor::proposalsChanged);
}
void DriverEditor::setLoadedPhotos(std::vector<LoadedPhoto> photos) {
    assertMainThread(this);
    loadedPhotos_ = std::move(photos);
    emit loadedPhotosChanged();
}
void DriverEditor::setFacePhotoData(std::optional<QByteArray> data) {
    assignObserved(*this, facePhotoData_, std::move(data), &DriverEditor::facePhotoDataChanged);
}
void DriverEditor::setFacePhotoExtension(QString extension) {
    assignObserved(*this, facePhotoExtension_, std::move(extension), &DriverEditor::facePhotoExtensionChanged);
}
void DriverEditor::setProfileDepthRatio(std::optional<double> ratio) {
    assignObserved(*this, profileDepthRatio_, ratio, &DriverEditor::profileDepthRatioChanged);
}
void DriverEditor::setCorners(std::vector<Vector2> corners) {
    assignObserved(*this, corners_, std::move(corners), &DriverEditor::cornersChanged);
}
void DriverEditor::setKeepEnteredAspect(bool keep) {
    assignObserved(*this, keepEnteredAspect_, keep, &DriverEditor::keepEnteredAspectChanged);
}
void DriverEditor::setTool(PhotoTool tool) {
    assignObserved(*this, tool_, tool, &DriverEditor::toolChanged);
}
void DriverEditor::setDriverImages(DriverImages images) {
    assertMainThread(this);
    if (images == driverImages_) return;
    driverImages_ = std::move(images);
    ++driverImagesRevision_;
    emit driverImagesChanged();
}
void DriverEditor::setImageWarnings(std::vector<homey_project::DriverImageIssue> warnings) {
    assignObserved(*this, imageWarnings_, std::move(warnings), &DriverEditor::imageWarningsChanged);
}
void DriverEditor::setReport(std::optional<homey_project::ComplianceReport> report) {
    assignObserved(*this, report_, std::move(report), &DriverEditor::reportChanged);
}
void DriverEditor::setWorking(bool working) {
    assignObserved(*this, isWorking_, working, &DriverEditor::isWorkingChanged);
}
void DriverEditor::setError(std::optional<AppError> error) {
    assignObserved(*this, error_, std::move(error), &DriverEditor::errorChanged);
}
void DriverEditor::setSelectedDetail(std::optional<int> index) {
    assignObserved(*this, selectedDetail_, index, &DriverEditor::selectedDetailChanged);
}
void DriverEditor::setSelectedPart(std::optional<int> index) {
    assignObserved(*this, selectedPart_, index, &DriverEditor::selectedPartChanged);
}
void DriverEditor::setPhotoLoad(int generation) {
    assignObserved(*this, photoLoad_, generation, &DriverEditor::photoLoadChanged);
}
void DriverEditor::setSavedModel(IconModel model) {
    assignObserved(*this, savedModel_, std::move(model), &DriverEditor::savedModelChanged);
}
void DriverEditor::setSavedPhotoData(std::optional<QByteArray> data) {
    assignObserved(*this, savedPhotoData_, std::move(data), &DriverEditor::savedPhotoDataChanged);
}

bool DriverEditor::hasUnwrittenChanges() const {
    // Two absent photos are equal; one present and one absent differ.
    return model_ != savedModel_ || facePhotoData_ != savedPhotoData_;
}

// ----- The camera -----

void DriverEditor::setUsesBrandCamera(bool uses) {
    changeModel([&](IconModel& model) { useBrandCamera(model, uses); });
}

// ----- The main face -----

ShapeKind DriverEditor::faceShapeKind() const {
    return shapeKindOf(model_.primaryBody().face);
}

void DriverEditor::setFaceShapeKind(ShapeKind kind) {
    changeMainBody([&](ExtrudedBody& body) {
        const auto [w, h] = storedFaceSize(body.face);
        body.face = faceOfKind(kind, w, h);
    });
}

double DriverEditor::faceWidth() const {
    return outlineBox(model_.primaryBody().face).width;
}
double DriverEditor::faceHeight() const {
    return outlineBox(model_.primaryBody().face).height;
}

void DriverEditor::setFaceWidth(double width) {
    resizeFace(clampedFaceSize(width), storedFaceSize(model_.primaryBody().face).height);
}
void DriverEditor::setFaceHeight(double height) {
    resizeFace(storedFaceSize(model_.primaryBody().face).width, clampedFaceSize(height));
}

void DriverEditor::resizeFace(double width, double height) {
    changeMainBody([&](ExtrudedBody& body) { body.face = resizedFace(body.face, width, height); });
}

double DriverEditor::depth() const {
    return model_.primaryBody().depth;
}

void DriverEditor::setDepth(double depth) {
    const double clamped = clampedOr(depth, 0, 10000, 0);
    changeMainBody([&](ExtrudedBody& body) { body.depth = clamped; });
}

double DriverEditor::faceShapeParameter() const {
    return shapeParameter(model_.primaryBody().face);
}

void DriverEditor::setFaceShapeParameter(double value) {
    const std::optional<FaceShape> face = withShapeParameter(model_.primaryBody().face, value);
    if (!face) return;
    changeMainBody([&](ExtrudedBody& body) { body.face = *face; });
}

bool DriverEditor::hasBevel() const {
    return model_.primaryBody().bevel.has_value();
}

void DriverEditor::setHasBevel(bool bevel) {
    changeMainBody([&](ExtrudedBody& body) { setBevel(body, bevel); });
}

// ----- Face details -----

void DriverEditor::addDetail(DetailTemplate detailTemplate, Vector2 point) {
    std::size_t index = 0;
    const bool added =
        changeMainBody([&](ExtrudedBody& body) { index = glyphsmith_state::addDetail(body, detailTemplate, point); });
    if (added) setSelectedDetail(static_cast<int>(index));
}

std::optional<Vector2> DriverEditor::detailCenter(int index) const {
    const ExtrudedBody body = model_.primaryBody();
    const std::optional<std::size_t> i = detailIndex(body, index);
    if (!i) return std::nullopt;
    return body.details[*i].center();
}

void DriverEditor::setSelectedDetailCenter(double x, double y) {
    if (!(std::abs(x) <= maximumDetailCoordinate && std::abs(y) <= maximumDetailCoordinate)) return;
    if (!detailIndex(model_.primaryBody(), selectedDetail_)) return;
    changeMainBody([&](ExtrudedBody& body) { moveDetailCenter(body, *detailIndex(body, selectedDetail_), x, y); });
}

void DriverEditor::scaleSelectedDetail(double factor) {
    if (!(std::isfinite(factor) && factor > 0)) return;
    if (!detailIndex(model_.primaryBody(), selectedDetail_)) return;
    changeMainBody([&](ExtrudedBody& body) {
        FaceDetail& detail = body.details[*detailIndex(body, selectedDetail_)];
        detail = detail.scaledAboutCenter(factor);
    });
}

void DriverEditor::removeDetail(int index) {
    if (!detailIndex(model_.primaryBody(), index)) return;
    const bool removed = changeMainBody([&](ExtrudedBody& body) {
        body.details.erase(body.details.begin() + static_cast<std::ptrdiff_t>(*detailIndex(body, index)));
    });
    if (removed) setSelectedDetail(std::nullopt);
}

// ----- The icon -----

IconModel DriverEditor::modelWithKeptProposals() const {
    return withKeptProposals(model_, proposals_);
}

QByteArray DriverEditor::iconSvg(const icon_geometry::Camera& camera) const {
    return QByteArray::fromStdString(icon_geometry::iconSvg(modelWithKeptProposals(), camera));
}

}  // namespace glyphsmith_state
