#pragma once

// The app's central state: the open Homey app project, the asset state of its
// drivers, one editor per driver opened since the project was opened, the
// editor of the free-standing icon, the selection, the brand camera, the
// planned and last written files, the recent projects and a pending decision to
// abandon unwritten changes. It also writes a driver into the project, exports
// the current icon, images and model, and computes compliance reports in the
// background.
//
// A façade over parts with one job each, in src/store: the project session
// (here and project_store.cpp), the editor registry, the planned writes and the
// driver package, the exports, the compliance requests and the panel questions.
//
// Confined to the main thread. One change signal per observed field, without
// payload; a setter signals only a value that differs, except `editors`, which
// signals on every replacement.

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <utility>
#include <variant>
#include <vector>

#include "glyphsmith_state/app_error.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/file_panels.hpp"
#include "glyphsmith_state/free_icon.hpp"
#include "glyphsmith_state/photo_services.hpp"
#include "glyphsmith_state/recent_projects.hpp"
#include "glyphsmith_state/report_key.hpp"
#include "glyphsmith_state/task_runner.hpp"
#include "homey_project/compliance_report.hpp"
#include "homey_project/driver_assets_state.hpp"
#include "homey_project/driver_package_writer.hpp"
#include "homey_project/homey_app.hpp"
#include "icon_geometry/camera.hpp"
#include "icon_geometry/icon_model.hpp"

namespace glyphsmith_state {

class EditorRegistry;
class PanelQuestions;
class ReportRequests;

// What to do once the user agrees to abandon unwritten changes.
struct DiscardAction {
    struct Open {
        QString folder;
        friend bool operator==(const Open&, const Open&) = default;
    };
    struct Close {
        friend constexpr bool operator==(Close, Close) = default;
    };
    std::variant<Open, Close> value;

    static DiscardAction open(QString folder) { return {Open{std::move(folder)}}; }
    static DiscardAction close() { return {Close{}}; }

    friend bool operator==(const DiscardAction&, const DiscardAction&) = default;
};

// What the project store reaches the world through. Absent members take the
// production ones: the project reader and writer, the photo analysis. Without
// panels the panel commands do nothing.
struct ProjectStoreSeams {
    // Builds an editor on its starting model, in place of an editor whose photo
    // work runs on the store's runner with `photoServices`.
    using EditorFactory = std::function<std::shared_ptr<DriverEditor>(icon_geometry::IconModel)>;

    std::shared_ptr<const homey_project::HomeyProjectReading> reader;
    std::shared_ptr<const homey_project::HomeyProjectWriting> writer;
    FilePanels* panels = nullptr;
    EditorFactory makeEditor;
    std::shared_ptr<const PhotoServices> photoServices;
};

class ProjectStore : public QObject {
    Q_OBJECT
public:
    using Editors = std::map<std::string, std::shared_ptr<DriverEditor>>;
    using States = std::map<std::string, homey_project::DriverAssetsState>;
    using PlannedWrites = std::vector<homey_project::PlannedWrite>;
    using DiscardAction = glyphsmith_state::DiscardAction;
    using EditorFactory = ProjectStoreSeams::EditorFactory;
    using Seams = ProjectStoreSeams;

    // The fills-canvas tolerance of every report, in canvas units.
    static constexpr double complianceTolerance = 16.0;

    // `recents`, `freeIcon` and `runner` must outlive the store. The free editor
    // starts from the stored free icon when it loads, else from the starting model.
    ProjectStore(RecentProjectsStoring& recents, FreeIconStoring* freeIcon, TaskRunner& runner, Seams seams = {},
                 QObject* parent = nullptr);
    ~ProjectStore() override;

    // ----- Observed fields -----

    const std::optional<homey_project::HomeyApp>& app() const { return app_; }
    // Driver id to asset state, for the drivers of the open project.
    const States& states() const { return states_; }
    // Opened folders, most recent first, absolute and lexically normalised.
    const QStringList& recentProjects() const { return recentProjects_; }
    const std::optional<std::string>& selectedDriverID() const { return selectedDriverID_; }
    // Selecting a driver of the open project makes its editor at once, so that
    // reading currentEditor never changes anything; then selectedDriverIDChanged
    // and currentEditorChanged tell of it.
    void setSelectedDriverID(std::optional<std::string> id);
    // Driver id to editor, for the drivers opened since the project was opened.
    const Editors& editors() const;
    const icon_geometry::Camera& brandCamera() const { return brandCamera_; }
    void setBrandCamera(icon_geometry::Camera camera);
    const std::optional<AppError>& error() const { return error_; }
    void setError(std::optional<AppError> error);
    // The files a confirmed write would write; present while the confirmation
    // sheet is to be shown. Clearing it (the sheet cancelled) drops the plan.
    const std::optional<PlannedWrites>& pendingWrite() const { return pendingWrite_; }
    void setPendingWrite(std::optional<PlannedWrites> plan);
    // What the last successful write wrote; kept when the project is closed.
    const PlannedWrites& lastWritten() const { return lastWritten_; }
    const std::optional<DiscardAction>& pendingDiscard() const { return pendingDiscard_; }
    void setPendingDiscard(std::optional<DiscardAction> action);

    // The editor of the free-standing icon; lives as long as the store.
    DriverEditor& freeEditor() const { return *freeEditor_; }
    FreeIconStoring* freeIcon() const { return freeIcon_; }

    // ----- The project -----

    // The selected driver's editor in an open project, else the free editor.
    // Never an editor on its way out: while a project opens or closes, it is
    // already the new one.
    DriverEditor& currentEditor() const;
    // The driver of the open project whose id is selected.
    std::optional<homey_project::HomeyDriver> selectedDriver() const;
    // The driver's editor, built from the project's sources on first use: the
    // stored model (a stored model that cannot be used gives the starting model,
    // and its error reaches `error` one event-loop turn later), then the stored
    // face photo and corners, restored by the editor in its own tasks.
    DriverEditor& makeDriverEditor(const homey_project::HomeyDriver& driver);
    // Display names of the opened drivers with unwritten changes, in project order.
    QStringList unwrittenDriverNames() const;
    // The selected driver's name, else "Icône sans projet".
    QString currentTitle() const;
    // Reads the folder as a Homey app and makes it the open project. A folder
    // that is no Homey app leaves everything as it was and sets `error`.
    void openHomeyApp(const QString& folder);
    // Back to the state without a project; the written list and the error stay.
    void closeProject();
    // Opening another project or closing this one, once unwritten changes are
    // abandoned: carried out at once when there are none, else left pending.
    void requestOpenHomeyApp(const QString& folder);
    void requestCloseProject();
    // Carries out and clears the pending discard; nothing when none is pending.
    void confirmDiscard();
    // The asset state of every driver of the open project, read from the disk in
    // the background, one task per driver; each state lands in `states` when it
    // arrives. States of an earlier refresh or another project are dropped.
    void refreshDriverStates();
    // The language of the default locale, "fr" when it has none.
    static QString currentLanguageCode();

    // ----- Writes and exports -----

    // The driver's files as its editor holds them now (see makeDriverEditor for
    // the editor of a driver).
    homey_project::DriverPackage driverPackage(const DriverEditor& editor) const;
    // Plans the write of the selected driver into `pendingWrite`.
    void prepareWrite();
    // Writes the confirmed plan. When the project or the package changed since it
    // was planned so that other files would be written, nothing is written and
    // the new plan is pending, for the user to confirm again.
    void writeSelectedDriver();
    // Exports of the current editor, each file replaced atomically.
    void exportIconSVG(const QString& file);
    void exportDriverImages(const QString& folder);
    void saveIconModel(const QString& file);
    // Loads a model file into the current editor; its saved model stays.
    void loadIconModel(const QString& file);

    // The panel commands, each carried out with the store as it is once the panel
    // has returned.
    void chooseHomeyAppFolder();
    void chooseSVGDestination();
    void chooseImagesFolder();
    void chooseModelDestination();
    void chooseModelToOpen();
    // The image files the user picks for the current editor's photos: several at
    // once, or one; none when cancelled or without panels.
    QList<QUrl> choosePhotoFiles(bool several) const;

    // ----- Compliance -----

    // The driver of the app with that id, with the app.
    static std::optional<std::pair<homey_project::HomeyDriver, homey_project::HomeyApp>> complianceSubject(
        const std::optional<homey_project::HomeyApp>& app, const std::optional<std::string>& driverID);
    // The inputs of the editor's report as they stand now.
    ReportKey reportKey(const DriverEditor& editor) const;
    // Computes the editor's report in the background and stores it in the editor.
    // Only the latest request of an editor stores its report; an editor dropped
    // from the store meanwhile gets none. `finished` runs on the main thread
    // once the request is over, stored or not, while the store lives.
    void refreshComplianceReport(DriverEditor& editor, std::function<void()> finished = {});

signals:
    void appChanged();
    void statesChanged();
    void recentProjectsChanged();
    void selectedDriverIDChanged();
    void editorsChanged();
    void brandCameraChanged();
    void errorChanged();
    void pendingWriteChanged();
    void lastWrittenChanged();
    void pendingDiscardChanged();
    // currentEditor is another editor: emitted once the selection, the project
    // and the editors have settled, once per change, also when a newly opened
    // project's driver has the id of the last one's. The editor it replaces, when
    // it goes, goes after this signal.
    void currentEditorChanged();

private:
    // Tests look at the parts behind the façade (store/store_parts.hpp).
    friend struct StoreParts;

    void setStates(States states);
    void setRecentProjects(QStringList folders);
    void setLastWritten(PlannedWrites written);
    void makeSelectedEditor();
    // Emits currentEditorChanged when currentEditor is not the one last told of.
    void announceCurrentEditor();
    // Makes `app` (or none) the open project with the camera and states,
    // dropping the editors and selecting its first driver, and only then tells
    // of it all: a slot sees the new project whole.
    void replaceProject(std::optional<homey_project::HomeyApp> app, icon_geometry::Camera camera);
    // The driver's editor from the project's sources, not kept yet.
    std::shared_ptr<DriverEditor> buildDriverEditor(const homey_project::HomeyDriver& driver);
    std::shared_ptr<DriverEditor> newEditor(icon_geometry::IconModel model) const;
    // The free editor or an editor the registry keeps.
    bool isKept(const DriverEditor& editor) const;
    // The driver's package from its editor; nothing, with `error` set, when its
    // model would not read back.
    std::optional<homey_project::DriverPackage> storablePackage(const homey_project::HomeyDriver& driver);
    // Shows the export's failure, if any.
    void showFailure(std::optional<AppError> failure);

    struct PlannedPackage;

    RecentProjectsStoring& recents_;
    FreeIconStoring* freeIcon_;
    TaskRunner& runner_;
    std::shared_ptr<const homey_project::HomeyProjectReading> reader_;
    std::shared_ptr<const homey_project::HomeyProjectWriting> writer_;
    std::unique_ptr<PanelQuestions> panelQuestions_;
    EditorFactory makeEditor_;
    std::shared_ptr<const PhotoServices> photoServices_;

    std::optional<homey_project::HomeyApp> app_;
    States states_;
    QStringList recentProjects_;
    std::optional<std::string> selectedDriverID_;
    std::unique_ptr<EditorRegistry> editors_;
    icon_geometry::Camera brandCamera_;
    std::optional<AppError> error_;
    std::optional<PlannedWrites> pendingWrite_;
    PlannedWrites lastWritten_;
    std::shared_ptr<DriverEditor> freeEditor_;
    std::optional<DiscardAction> pendingDiscard_;

    // The package behind `pendingWrite`, for the driver it was planned for.
    std::unique_ptr<PlannedPackage> plannedPackage_;
    std::unique_ptr<ReportRequests> reportRequests_;
    // Moves at every refresh of the states and every change of project.
    std::uint64_t statesRefresh_ = 0;
    // The serial of the editor currentEditorChanged last told of.
    std::uint64_t announcedEditor_ = 0;
};

}  // namespace glyphsmith_state
