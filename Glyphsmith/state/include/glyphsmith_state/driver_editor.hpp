#pragma once

// Everything the app knows about one driver being edited: its device model, its
// face photo and what came of it, the clicked face corners, the detection
// proposals, the loaded photos, the last compliance report, and what was last
// written. One editor per opened driver, one for the icon without a project.
//
// A façade over parts with one job each, in src/editor: the model edits
// (model_edits, face_shapes), the photo session's work away from the main
// thread and the role rules (photo_session, photo_roles), and the proposal set
// (proposal_set). The editor keeps the observed fields, runs the work on its
// task runner and applies the results.
//
// Confined to the main thread. Each observed field has its own change signal,
// without payload; a setter signals only a value that differs, except the face
// photo and the loaded photos, which signal on every assignment. Each model
// operation signals modelChanged once, and an operation that changes nothing
// (an index out of range, a refused value, a face edit on a model whose main
// body is not extruded, a value the model already has) signals nothing. No
// operation reports an error.

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "glyphsmith_state/app_error.hpp"
#include "glyphsmith_state/editing_choices.hpp"
#include "glyphsmith_state/loaded_photo.hpp"
#include "glyphsmith_state/photo_services.hpp"
#include "glyphsmith_state/proposed_detail.hpp"
#include "glyphsmith_state/task_runner.hpp"
#include "homey_project/compliance_report.hpp"
#include "homey_project/driver_image_check.hpp"
#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/camera.hpp"
#include "icon_geometry/icon_model.hpp"
#include "icon_geometry/rect.hpp"
#include "icon_geometry/vector.hpp"
#include "photo_analysis/face_rectification.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/subject_mask.hpp"

namespace glyphsmith_state_testing {
class EditorFields;
}

namespace glyphsmith_state {

struct MaskFigures;

class DriverEditor : public QObject {
    Q_OBJECT
public:
    // Rendered PNG driver images by size.
    using DriverImages = std::map<homey_project::DriverImageSize, QByteArray>;

    // An editor for model editing only: its photo operations find no services
    // and do nothing.
    explicit DriverEditor(icon_geometry::IconModel model, QObject* parent = nullptr);
    // An editor whose photo work runs through `work`: the analysis on the
    // runner, away from the main thread, the results applied back on it.
    DriverEditor(icon_geometry::IconModel model, PhotoWork work, QObject* parent = nullptr);
    ~DriverEditor() override;

    const PhotoWork& photoWork() const { return photoWork_; }

    // Tells this editor from every other one made in this process, also from
    // one made later at the same address.
    std::uint64_t serial() const { return serial_; }

    // ----- Observed fields -----

    const icon_geometry::IconModel& model() const { return model_; }
    void setModel(icon_geometry::IconModel model);

    // The decoded face photo. Signals on every assignment.
    const std::optional<photo_analysis::Photo>& facePhoto() const { return facePhoto_; }
    // Moves at every assignment of the face photo, equal or not: work started on
    // one face photo applies its result only while this has not moved.
    std::uint64_t facePhotoRevision() const { return facePhotoRevision_; }
    // The face photo's file bytes, as written into the project.
    const std::optional<QByteArray>& facePhotoData() const { return facePhotoData_; }
    // The face photo's file extension, naming the stored source photo; "png" at first.
    const QString& facePhotoExtension() const { return facePhotoExtension_; }
    // The subject mask of the face photo; null without one. Shared, never copied:
    // a new mask replaces the pointer.
    const SharedMask& faceMask() const { return faceMask_; }
    // Depth ÷ face height read from a profile photo.
    std::optional<double> profileDepthRatio() const { return profileDepthRatio_; }
    // Clicked face corners in face-photo pixels, in click order: top left, top
    // right, bottom right, bottom left.
    const std::vector<icon_geometry::Vector2>& corners() const { return corners_; }
    void setCorners(std::vector<icon_geometry::Vector2> corners);
    // The corner fit keeps the width ÷ height entered in the model; true at first.
    bool keepEnteredAspect() const { return keepEnteredAspect_; }
    void setKeepEnteredAspect(bool keep);
    // What a click on the face photo does.
    const PhotoTool& tool() const { return tool_; }
    void setTool(PhotoTool tool);
    // The rendered driver images; empty until a face photo has given them.
    const DriverImages& driverImages() const { return driverImages_; }
    // Moves by one whenever the driver images take a different value, so that a
    // key (the compliance report's) can tell image sets apart without their bytes.
    int driverImagesRevision() const { return driverImagesRevision_; }
    // Findings on those images.
    const std::vector<homey_project::DriverImageIssue>& imageWarnings() const { return imageWarnings_; }
    // The last compliance report.
    const std::optional<homey_project::ComplianceReport>& report() const { return report_; }
    // A photo operation is running: a load, a detection, a profile import, a face
    // fit or the rendering of the driver images.
    bool isWorking() const { return isWorking_; }
    // The last failure, shown in the "Erreur" alert.
    const std::optional<AppError>& error() const { return error_; }
    void setError(std::optional<AppError> error);
    // Index of the selected detail among the main body's details.
    std::optional<int> selectedDetail() const { return selectedDetail_; }
    void setSelectedDetail(std::optional<int> index);
    // Index of the selected part among the model's parts.
    std::optional<int> selectedPart() const { return selectedPart_; }
    void setSelectedPart(std::optional<int> index);
    // Detection proposals, in detection order.
    const std::vector<ProposedDetail>& proposals() const { return proposals_; }
    void setProposals(std::vector<ProposedDetail> proposals);
    // The photos of the device with their roles, in load order. Signals on every assignment.
    const std::vector<LoadedPhoto>& loadedPhotos() const { return loadedPhotos_; }
    // Generation counter of photo loading.
    int photoLoad() const { return photoLoad_; }
    // The model and the face photo bytes as last written or loaded.
    const icon_geometry::IconModel& savedModel() const { return savedModel_; }
    const std::optional<QByteArray>& savedPhotoData() const { return savedPhotoData_; }

    // Whether the model or the face photo bytes differ from what was last written.
    bool hasUnwrittenChanges() const;

    // ----- The camera -----

    // The model has no camera of its own and follows the app's brand camera.
    bool usesBrandCamera() const { return !model_.camera; }
    // True removes the model's camera; false keeps its camera, or gives it the
    // default camera when it had none.
    void setUsesBrandCamera(bool uses);

    // ----- The main face (millimetres) -----

    ShapeKind faceShapeKind() const;
    // Rebuilds the face as the kind at the current width and height; a rounded
    // rectangle gets corner radius 0.08 × the smaller side, a superellipse exponent 4.
    void setFaceShapeKind(ShapeKind kind);
    // Width and height of the face outline's bounding box.
    double faceWidth() const;
    double faceHeight() const;
    // Clamped to 1 … 10000; a value that is not finite gives 1.
    void setFaceWidth(double width);
    void setFaceHeight(double height);
    // The face at w × h, keeping its kind and its radius or exponent; a rounded
    // polygon's vertices are stretched.
    void resizeFace(double width, double height);
    double depth() const;
    // Clamped to 0 … 10000; a value that is not finite gives 0.
    void setDepth(double depth);
    // A rounded rectangle's corner radius, a superellipse's exponent, else 0.
    double faceShapeParameter() const;
    // The radius clamped to 0 … 10000 (not finite: 0), the exponent to 1.2 … 100
    // (not finite: 1.2); other kinds are left alone.
    void setFaceShapeParameter(double value);
    bool hasBevel() const;
    // True keeps the current bevel or sets the default one; false removes it.
    void setHasBevel(bool bevel);

    // ----- Face details (face millimetres) -----

    // Builds the template's detail at the face point, appends it and selects it.
    void addDetail(DetailTemplate detailTemplate, icon_geometry::Vector2 point);
    // The centre of the main body's detail at the index; nothing out of range.
    std::optional<icon_geometry::Vector2> detailCenter(int index) const;
    // Moves the selected detail so that its centre is (x, y); only finite values
    // within ±10000.
    void setSelectedDetailCenter(double x, double y);
    // Scales the selected detail about its centre; only a finite factor above 0.
    void scaleSelectedDetail(double factor);
    // Removes the detail at the index and clears the selection; nothing out of range.
    void removeDetail(int index);

    // ----- The face photo, its corners and the driver images -----

    // What a click on the face photo (photo pixels) does, by the tool: place a
    // detail at the face point, or add a face corner and fit the face at the fourth.
    void handlePhotoClick(double x, double y);
    // The four clicked corners seen as a face, at the entered aspect when it is
    // kept; nothing without four corners and a face photo.
    std::optional<photo_analysis::Rectification> rectification() const;
    // A face-photo pixel as a face point in millimetres: through the corners'
    // rectification, else taking the subject's box as the face; nothing otherwise.
    std::optional<icon_geometry::Vector2> facePoint(double x, double y) const;
    // The face becomes a rounded rectangle of the corners' aspect (or the entered
    // one) at the current height, its corner radius fitted on the subject's
    // outline in the background. Without a rectification: cornersNeedFourPoints.
    void fitFaceToCorners();
    // The face takes the kind and proportions of the outline fitted on the
    // subject, at the current height, in the background. Without a fit: noPhoto.
    void fitFaceOutline();
    // Imports a profile photo: its subject's proportions give the depth.
    void loadPickedPhoto(const QUrl& url);
    // Renders the three driver images of the current face photo in the background
    // and applies them while that photo is still the face photo; then calls
    // `whenDone` on the main thread. Images of a photo replaced meanwhile are
    // dropped and call nothing. Without a face photo and its mask nothing changes
    // and `whenDone` is called at once.
    void renderDriverImages(std::function<void()> whenDone = {});

    // ----- Parts and templates -----

    // Replaces the model by the template's, keeping the current camera (or its
    // absence); clears both selections.
    void applyTemplate(icon_geometry::ModelTemplate modelTemplate);
    // Appends a part built from the template, sized after the main body, and selects it.
    void addPart(PartTemplate partTemplate);
    // Removes the part at an index from 1 up and clears the part selection; the
    // main body cannot be removed.
    void removePart(int index);
    // The part's offset in millimetres; the origin out of range.
    icon_geometry::Vector3 partOffset(int index) const;
    // Applied only when each component is finite and within ±10000.
    void setPartOffset(int index, double x, double y, double z);
    // The part's turn in degrees; 0 out of range.
    double partTurn(int index) const;
    // A finite value, clamped to −60 … 60.
    void setPartTurn(int index, double degrees);
    // [width, height, depth] of an extruded part, [diameter, height] of a
    // revolved one; empty out of range.
    std::vector<double> partDimensions(int index) const;
    // Sets the dimension at `which` (as partDimensions numbers them) when
    // 0.1 < value ≤ 10000.
    void setPartDimension(int which, int index, double value);

    // ----- Loaded photos and roles -----

    // Loads a batch of files in the background and replaces the loaded photos
    // with those that loaded, then gives them roles and applies the roles. Only
    // the latest batch may publish; when none loads, the last failure in batch
    // order becomes the error. `firstIsFace`: the first loaded photo is the face.
    // `thenDetect`: a new face photo is followed by the detail detection.
    void addPhotos(const QList<QUrl>& urls, bool firstIsFace, bool thenDetect);
    // Restores a driver's stored face photo and its stored corners (ignored
    // unless four finite points inside the photo). The restored bytes count as
    // written, unless another load superseded the restore.
    void loadSourcePhoto(const QUrl& url, std::vector<icon_geometry::Vector2> storedCorners);
    // Imports one face photo: it becomes the face, details are detected on it,
    // and the earlier photos other than the face stay (a profile stays the
    // profile). A load that fails or is superseded leaves the photos as they were.
    void addPickedPhotos(const QUrl& url);
    // Gives one loaded photo a role; a face or profile role is taken from the
    // photo that had it. Then applies the roles, detecting on a new face photo.
    void setPhotoRole(const QUuid& id, LoadedPhoto::Role role);
    // The profile photo sets the depth; a face photo with other bytes than the
    // current one replaces it, clears corners and proposals and renders the
    // driver images again.
    void applyPhotoRoles(bool thenDetect);
    // Chooses the face and the profile of a batch by the shape of each subject
    // against the model's face aspect (width ÷ height). The photo roles' rule,
    // under the editor's name.
    static void assignPhotoRoles(std::vector<LoadedPhoto>& photos, bool firstIsFace, double faceAspect);
    // Share of the subject's area that the face quadrilateral covers; absent
    // without corners. The photo roles' rule, under the editor's name.
    static std::optional<double> faceCoverage(const std::optional<photo_analysis::FaceCorners>& corners,
                                              const photo_analysis::Photo& photo,
                                              const photo_analysis::SubjectMask& mask);
    // The model's face width ÷ height, 1 for a face without height.
    double faceAspect() const;

    // ----- Detail proposals -----

    // Finds the face on the face photo and proposes its details, in the
    // background. Silent: failures leave the error alone.
    void detectDetails(bool silent);
    // Flips whether the proposal nearest to a photo point, within the tolerance
    // (photo pixels), is kept; false when none is that near.
    bool toggleProposalNear(icon_geometry::Vector2 point, double tolerance);
    // Keeps or drops every proposal, signalling once.
    void setAllProposalsKept(bool kept);
    // Appends the kept proposals' details to the main body and clears the
    // proposals; nothing while the main body is not extruded.
    void addKeptProposals();
    // Distance from a point to a path flattened at 8 points per cubic; infinite
    // for a path without subpaths. The proposal set's rule, under the editor's
    // name.
    static double pathDistance(const icon_geometry::BezierPath& path, icon_geometry::Vector2 point);

    // ----- The icon -----

    // The model as the icon preview shows it: the kept proposals' details follow
    // the main body's own. The model itself while there are no proposals, and
    // while its main body is not extruded (they belong to a face it no longer has).
    icon_geometry::IconModel modelWithKeptProposals() const;
    // The icon document of that model, drawn with `camera` when the model has no
    // camera of its own.
    QByteArray iconSvg(const icon_geometry::Camera& camera) const;

signals:
    void modelChanged();
    void facePhotoChanged();
    void facePhotoDataChanged();
    void facePhotoExtensionChanged();
    void faceMaskChanged();
    void profileDepthRatioChanged();
    void cornersChanged();
    void keepEnteredAspectChanged();
    void toolChanged();
    // Also tells that driverImagesRevision moved.
    void driverImagesChanged();
    void imageWarningsChanged();
    void reportChanged();
    void isWorkingChanged();
    void errorChanged();
    void selectedDetailChanged();
    void selectedPartChanged();
    void proposalsChanged();
    void loadedPhotosChanged();
    void photoLoadChanged();
    void savedModelChanged();
    void savedPhotoDataChanged();

private:
    // The fields the editor's own work derives, and what the store records of
    // its reports and writes: no view sets them.
    friend class ProjectStore;
    friend class glyphsmith_state_testing::EditorFields;
    void setFacePhoto(std::optional<photo_analysis::Photo> photo);
    void setFacePhotoData(std::optional<QByteArray> data);
    void setFacePhotoExtension(QString extension);
    void setFaceMask(SharedMask mask);
    // A mask made by the caller, shared from now on.
    void setFaceMask(std::optional<photo_analysis::SubjectMask> mask);
    void setProfileDepthRatio(std::optional<double> ratio);
    void setDriverImages(DriverImages images);
    void setImageWarnings(std::vector<homey_project::DriverImageIssue> warnings);
    void setReport(std::optional<homey_project::ComplianceReport> report);
    void setLoadedPhotos(std::vector<LoadedPhoto> photos);
    void setSavedModel(icon_geometry::IconModel model);
    void setSavedPhotoData(std::optional<QByteArray> data);

    void setWorking(bool working);
    void setPhotoLoad(int generation);
    // Applies the change to a copy of the model and stores it, signalling once,
    // when the result still reads back as a model; otherwise nothing happens.
    template <class Change>
    bool changeModel(Change&& change);
    // The same on the main body, only while part 0 is an extruded body: the model
    // would otherwise gain a default box in front of its revolved main body.
    template <class Change>
    bool changeMainBody(Change&& change);
    template <class Change>
    bool changePart(int index, Change&& change);
    bool isPartIndex(int index) const;
    // The face mask's box, found once per mask.
    const std::optional<icon_geometry::Rect>& faceMaskBox() const;

    void loadPhotosThen(const QList<QUrl>& urls, bool firstIsFace, bool thenDetect,
                        std::function<void(bool applied)> done);
    void updateWorking();
    void applyProfileRatio(std::optional<double> ratio);
    void applyOutlineFit(std::uint64_t revision, TaskOutcome<std::optional<photo_analysis::FaceFit>> outcome);

    // The photo work in flight, for isWorking.
    struct WorkInFlight {
        bool load = false;
        int detections = 0;
        int profileImports = 0;
        int fits = 0;
        int renderings = 0;
        bool any() const { return load || detections > 0 || profileImports > 0 || fits > 0 || renderings > 0; }
    };
    WorkInFlight work_;
    // The figures of the loaded photos' masks, by photo id.
    std::map<QUuid, MaskFigures> photoFigures_;

    std::uint64_t serial_;
    PhotoWork photoWork_;
    icon_geometry::IconModel model_;
    std::optional<photo_analysis::Photo> facePhoto_;
    std::uint64_t facePhotoRevision_ = 0;
    std::optional<QByteArray> facePhotoData_;
    QString facePhotoExtension_ = QStringLiteral("png");
    // Shared with the loaded photos and the work in flight, which reads it away
    // from the main thread.
    SharedMask faceMask_;
    mutable std::optional<std::optional<icon_geometry::Rect>> faceMaskBox_;
    std::optional<double> profileDepthRatio_;
    std::vector<icon_geometry::Vector2> corners_;
    bool keepEnteredAspect_ = true;
    PhotoTool tool_;
    DriverImages driverImages_;
    int driverImagesRevision_ = 0;
    std::vector<homey_project::DriverImageIssue> imageWarnings_;
    std::optional<homey_project::ComplianceReport> report_;
    bool isWorking_ = false;
    std::optional<AppError> error_;
    std::optional<int> selectedDetail_;
    std::optional<int> selectedPart_;
    std::vector<ProposedDetail> proposals_;
    std::vector<LoadedPhoto> loadedPhotos_;
    int photoLoad_ = 0;
    icon_geometry::IconModel savedModel_;
    std::optional<QByteArray> savedPhotoData_;
};

}  // namespace glyphsmith_state
