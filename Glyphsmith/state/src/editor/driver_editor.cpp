#include "glyphsmith_state/driver_editor.hpp"

#include <atomic>

#include "icon_geometry/icon_svg.hpp"
#include "model_edits.hpp"

namespace glyphsmith_state {

using icon_geometry::ExtrudedBody;
using icon_geometry::FaceDetail;
using icon_geometry::FaceShape;
using icon_geometry::IconModel;
using icon_geometry::Vector2;

namespace {

// Where a moved detail may go, in face millimetres.
constexpr double maximumDetailCoordinate = 10000;

std::uint64_t nextSerial() {
    // Editors are made on the main thread, but a counter costs nothing to guard.
    static std::atomic<std::uint64_t> last{0};
    return ++last;
}

std::optional<std::size_t> detailIndex(const ExtrudedBody& body, std::optional<int> index) {
    if (!index || *index < 0 || static_cast<std::size_t>(*index) >= body.details.size()) return std::nullopt;
    return static_cast<std::size_t>(*index);
}

}  // namespace

DriverEditor::DriverEditor(IconModel model, QObject* parent) : DriverEditor(std::move(model), PhotoWork{}, parent) {}

DriverEditor::DriverEditor(IconModel model, PhotoWork work, QObject* parent)
    : QObject(parent),
      serial_(nextSerial()),
      photoWork_(std::move(work)),
      model_(model),
      savedModel_(std::move(model)) {}

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
    changeModel([&](IconModel& model) {
        if (uses) {
            model.camera.reset();
        } else {
            model.camera = model.camera.value_or(icon_geometry::Camera::defaultCamera());
        }
    });
}

// ----- The main face -----

ShapeKind DriverEditor::faceShapeKind() const {
    switch (model_.primaryBody().face.caseIndex()) {
        case 1:
            return ShapeKind::superellipse;
        case 2:
            return ShapeKind::ellipse;
        case 3:
            return ShapeKind::capsule;
        default:
            return ShapeKind::roundedRectangle;
    }
}

void DriverEditor::setFaceShapeKind(ShapeKind kind) {
    changeMainBody([&](ExtrudedBody& body) {
        const auto [w, h] = storedFaceSize(body.face);
        switch (kind.value) {
            case ShapeKind::roundedRectangle:
                body.face = FaceShape::roundedRectangle(w, h, 0.08 * std::min(w, h));
                break;
            case ShapeKind::superellipse:
                body.face = FaceShape::superellipse(w, h, 4);
                break;
            case ShapeKind::ellipse:
                body.face = FaceShape::ellipse(w, h);
                break;
            case ShapeKind::capsule:
                body.face = FaceShape::capsule(w, h);
                break;
        }
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
    changeMainBody([&](ExtrudedBody& body) {
        auto& face = body.face.value;
        if (auto* r = std::get_if<FaceShape::RoundedRectangle>(&face)) {
            r->width = width;
            r->height = height;
        } else if (auto* s = std::get_if<FaceShape::Superellipse>(&face)) {
            s->width = width;
            s->height = height;
        } else if (auto* e = std::get_if<FaceShape::Ellipse>(&face)) {
            e->width = width;
            e->height = height;
        } else if (auto* c = std::get_if<FaceShape::Capsule>(&face)) {
            c->width = width;
            c->height = height;
        } else if (auto* p = std::get_if<FaceShape::RoundedPolygon>(&face)) {
            // A flat polygon divides by zero here; the storability check refuses the result.
            const icon_geometry::Rect box = outlineBox(body.face);
            const double sx = width / box.width;
            const double sy = height / box.height;
            for (Vector2& v : p->vertices) v = {v.x * sx, v.y * sy};
        }
    });
}

double DriverEditor::depth() const {
    return model_.primaryBody().depth;
}

void DriverEditor::setDepth(double depth) {
    const double clamped = clampedOr(depth, 0, 10000, 0);
    changeMainBody([&](ExtrudedBody& body) { body.depth = clamped; });
}

double DriverEditor::faceShapeParameter() const {
    const FaceShape face = model_.primaryBody().face;
    if (const auto* r = std::get_if<FaceShape::RoundedRectangle>(&face.value)) return r->cornerRadius;
    if (const auto* s = std::get_if<FaceShape::Superellipse>(&face.value)) return s->exponent;
    return 0;
}

void DriverEditor::setFaceShapeParameter(double value) {
    const std::size_t kind = model_.primaryBody().face.caseIndex();
    if (kind != 0 && kind != 1) return;
    changeMainBody([&](ExtrudedBody& body) {
        const auto [w, h] = storedFaceSize(body.face);
        body.face = kind == 0 ? FaceShape::roundedRectangle(w, h, clampedCornerRadius(value))
                              : FaceShape::superellipse(w, h, clampedExponent(value));
    });
}

bool DriverEditor::hasBevel() const {
    return model_.primaryBody().bevel.has_value();
}

void DriverEditor::setHasBevel(bool bevel) {
    changeMainBody([&](ExtrudedBody& body) {
        if (bevel) {
            body.bevel = body.bevel.value_or(ExtrudedBody::defaultBevel);
        } else {
            body.bevel.reset();
        }
    });
}

// ----- Face details -----

void DriverEditor::addDetail(DetailTemplate detailTemplate, Vector2 point) {
    std::size_t count = 0;
    const bool added = changeMainBody([&](ExtrudedBody& body) {
        const icon_geometry::Rect box = outlineBox(body.face);
        body.details.push_back(detailTemplate.makeDetail(point, box.width, box.height));
        count = body.details.size();
    });
    if (added) setSelectedDetail(static_cast<int>(count - 1));
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
    changeMainBody([&](ExtrudedBody& body) {
        FaceDetail& detail = body.details[*detailIndex(body, selectedDetail_)];
        const Vector2 c = detail.center();
        detail = detail.translated(x - c.x, y - c.y);
    });
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
    if (proposals_.empty() || !model_.hasExtrudedPrimaryBody()) return model_;
    IconModel shown = model_;
    shown.changePrimaryBody([&](ExtrudedBody& body) {
        for (const ProposedDetail& proposal : proposals_)
            if (proposal.isKept) body.details.push_back(proposal.detail);
    });
    return shown;
}

QByteArray DriverEditor::iconSvg(const icon_geometry::Camera& camera) const {
    return QByteArray::fromStdString(icon_geometry::iconSvg(modelWithKeptProposals(), camera));
}

}  // namespace glyphsmith_state
