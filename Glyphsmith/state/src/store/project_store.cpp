// The project session: the open project, its drivers' states, the selection,
// the editors made for it and the brand camera; opening, closing and the
// decision to abandon unwritten changes.

#include "glyphsmith_state/project_store.hpp"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QMetaObject>
#include <QPointer>
#include <QUrl>
#include <exception>

#include "editor_registry.hpp"
#include "glyphsmith_state/analysis_photo_services.hpp"
#include "glyphsmith_state/project_sources.hpp"
#include "homey_project/source_layout.hpp"
#include "panel_questions.hpp"
#include "planned_package.hpp"
#include "project_session.hpp"
#include "report_requests.hpp"
#include "services/files.hpp"
#include "support/observed_field.hpp"

namespace glyphsmith_state {

using homey_project::DriverAssetsState;
using homey_project::HomeyApp;
using homey_project::HomeyDriver;
using homey_project::HomeyProjectError;
using homey_project::HomeyProjectWriter;
using homey_project::SourceLayout;
using icon_geometry::Camera;
using icon_geometry::IconModel;

namespace {

// Absolute and lexically clean, links left alone: the form recents are kept and
// compared in, so "/p/app" and "/p/./app/" are one project.
QString normalisedFolder(const QString& folder) {
    return QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
}

// A source file's path as the user sees it: relative to the project.
QString projectRelative(const std::filesystem::path& file, const HomeyApp& app) {
    return QString::fromStdString(HomeyProjectWriter::relativePath(file, app.root));
}

}  // namespace

ProjectStore::ProjectStore(RecentProjectsStoring& recents, FreeIconStoring* freeIcon, TaskRunner& runner, Seams seams,
                           QObject* parent)
    : QObject(parent),
      recents_(recents),
      freeIcon_(freeIcon),
      runner_(runner),
      reader_(seams.reader ? std::move(seams.reader) : std::make_shared<homey_project::HomeyProjectReader>()),
      writer_(seams.writer ? std::move(seams.writer) : std::make_shared<homey_project::HomeyProjectWriter>()),
      panelQuestions_(std::make_unique<PanelQuestions>(seams.panels)),
      makeEditor_(std::move(seams.makeEditor)),
      photoServices_(seams.photoServices ? std::move(seams.photoServices) : std::make_shared<AnalysisPhotoServices>()),
      editors_(std::make_unique<EditorRegistry>()),
      brandCamera_(Camera::defaultCamera()),
      reportRequests_(std::make_unique<ReportRequests>()) {
    recentProjects_ = recents_.loadRecentProjects();
    std::optional<IconModel> storedFreeIcon;
    if (freeIcon_) storedFreeIcon = freeIcon_->load();
    freeEditor_ = newEditor(storedFreeIcon.value_or(freeIconStartingModel()));
    announcedEditor_ = freeEditor_->serial();
}

ProjectStore::~ProjectStore() {
    // Editors going with the store tell it so while its members still exist.
    editors_->releaseAll();
    freeEditor_.reset();
}

// ----- Observed fields -----

const ProjectStore::Editors& ProjectStore::editors() const {
    return editors_->all();
}

void ProjectStore::setStates(States states) {
    assignObserved(*this, states_, std::move(states), &ProjectStore::statesChanged);
}
void ProjectStore::setRecentProjects(QStringList folders) {
    assignObserved(*this, recentProjects_, std::move(folders), &ProjectStore::recentProjectsChanged);
}
void ProjectStore::setSelectedDriverID(std::optional<std::string> id) {
    assertMainThread(this);
    const bool differs = id != selectedDriverID_;
    selectedDriverID_ = std::move(id);
    // The editor first: a slot reading currentEditor finds the selected one.
    makeSelectedEditor();
    if (differs) emit selectedDriverIDChanged();
    announceCurrentEditor();
}
void ProjectStore::setBrandCamera(Camera camera) {
    assignObserved(*this, brandCamera_, camera, &ProjectStore::brandCameraChanged);
}
void ProjectStore::setError(std::optional<AppError> error) {
    assignObserved(*this, error_, std::move(error), &ProjectStore::errorChanged);
}
void ProjectStore::setPendingWrite(std::optional<PlannedWrites> plan) {
    if (!plan) plannedPackage_.reset();
    assignObserved(*this, pendingWrite_, std::move(plan), &ProjectStore::pendingWriteChanged);
}
void ProjectStore::setLastWritten(PlannedWrites written) {
    assignObserved(*this, lastWritten_, std::move(written), &ProjectStore::lastWrittenChanged);
}
void ProjectStore::setPendingDiscard(std::optional<DiscardAction> action) {
    assignObserved(*this, pendingDiscard_, std::move(action), &ProjectStore::pendingDiscardChanged);
}

// ----- Editors -----

std::shared_ptr<DriverEditor> ProjectStore::newEditor(IconModel model) const {
    if (makeEditor_) return makeEditor_(std::move(model));
    return std::make_shared<DriverEditor>(std::move(model), PhotoWork{photoServices_, &runner_});
}

DriverEditor& ProjectStore::currentEditor() const {
    if (const HomeyDriver* driver = driverWithID(app_, selectedDriverID_)) {
        if (const std::shared_ptr<DriverEditor>& kept = editors_->find(driver->id)) return *kept;
    }
    return *freeEditor_;
}

std::optional<HomeyDriver> ProjectStore::selectedDriver() const {
    if (const HomeyDriver* driver = driverWithID(app_, selectedDriverID_)) return *driver;
    return std::nullopt;
}

void ProjectStore::makeSelectedEditor() {
    if (const HomeyDriver* driver = driverWithID(app_, selectedDriverID_)) makeDriverEditor(*driver);
}

void ProjectStore::announceCurrentEditor() {
    const std::uint64_t current = currentEditor().serial();
    if (current == announcedEditor_) return;
    announcedEditor_ = current;
    emit currentEditorChanged();
}

DriverEditor& ProjectStore::makeDriverEditor(const HomeyDriver& driver) {
    assertMainThread(this);
    if (const std::shared_ptr<DriverEditor>& kept = editors_->find(driver.id)) return *kept;
    std::shared_ptr<DriverEditor> editor = buildDriverEditor(driver);
    DriverEditor& made = *editor;
    editors_->keep(driver.id, std::move(editor));
    emit editorsChanged();
    return made;
}

std::shared_ptr<DriverEditor> ProjectStore::buildDriverEditor(const HomeyDriver& driver) {
    IconModel model = freeIconStartingModel();
    if (app_) {
        std::optional<AppError> storedModelError;
        try {
            if (std::optional<IconModel> stored = writer_->savedModel(driver, *app_)) model = std::move(*stored);
        } catch (const HomeyProjectError& error) {
            storedModelError = appError(error);
        } catch (const std::exception&) {
            storedModelError =
                AppError::unreadableSourceFile(projectRelative(SourceLayout{app_->root}.modelFile(driver.id), *app_));
        }
        if (storedModelError) {
            // Told once the view that asked for the editor has settled; the store
            // is the context, so nothing is told once it is gone.
            QMetaObject::invokeMethod(
                this, [this, error = std::move(*storedModelError)] { setError(error); }, Qt::QueuedConnection);
        }
    }

    std::shared_ptr<DriverEditor> editor = newEditor(std::move(model));
    if (app_) {
        if (const std::optional<QString> photo = storedFacePhotoPath(*app_, driver.id)) {
            QMetaObject::invokeMethod(
                this,
                [weakEditor = QPointer<DriverEditor>(editor.get()), path = *photo,
                 corners = storedFaceCorners(*app_, driver.id)]() mutable {
                    // The editor loads the photo in its own tasks, counts it as
                    // written and keeps four corners that lie on it.
                    if (weakEditor) weakEditor->loadSourcePhoto(QUrl::fromLocalFile(path), std::move(corners));
                },
                Qt::QueuedConnection);
        }
    }
    return editor;
}

bool ProjectStore::isKept(const DriverEditor& editor) const {
    return &editor == freeEditor_.get() || editors_->driverIDOf(editor).has_value();
}

QStringList ProjectStore::unwrittenDriverNames() const {
    QStringList names;
    if (!app_) return names;
    const std::string language = currentLanguageCode().toStdString();
    for (const HomeyDriver& driver : app_->drivers) {
        const std::shared_ptr<DriverEditor>& kept = editors_->find(driver.id);
        if (kept && kept->hasUnwrittenChanges()) names.append(QString::fromStdString(driver.displayName(language)));
    }
    return names;
}

QString ProjectStore::currentTitle() const {
    if (const HomeyDriver* driver = driverWithID(app_, selectedDriverID_))
        return QString::fromStdString(driver->displayName(currentLanguageCode().toStdString()));
    return tr("Icône sans projet");
}

// ----- Opening and closing -----

void ProjectStore::openHomeyApp(const QString& folder) {
    assertMainThread(this);
    HomeyApp app;
    try {
        app = reader_->read(fileSystemPath(folder));
    } catch (const HomeyProjectError& error) {
        setError(appError(error));
        return;
    } catch (const std::exception&) {
        setError(AppError::notAHomeyApp());
        return;
    }
    Camera camera = Camera::defaultCamera();
    std::optional<AppError> cameraError;
    try {
        camera = writer_->brandCamera(app).value_or(Camera::defaultCamera());
    } catch (const HomeyProjectError& error) {
        cameraError = appError(error);
    } catch (const std::exception&) {
        cameraError = AppError::unreadableSourceFile(projectRelative(SourceLayout{app.root}.brandCameraFile(), app));
    }
    replaceProject(std::move(app), camera);
    if (cameraError) setError(std::move(cameraError));
    refreshDriverStates();

    const QString opened = normalisedFolder(folder);
    QStringList recent{opened};
    for (const QString& earlier : recentProjects_)
        if (normalisedFolder(earlier) != opened) recent.append(earlier);
    setRecentProjects(recent);
    recents_.saveRecentProjects(recent);
}

void ProjectStore::closeProject() {
    assertMainThread(this);
    replaceProject(std::nullopt, Camera::defaultCamera());
}

void ProjectStore::replaceProject(std::optional<HomeyApp> app, Camera camera) {
    assertMainThread(this);
    // The last project's editors outlive the signals: a view still bound to one
    // rebinds on currentEditorChanged before it goes.
    const Editors previous = editors_->releaseAll();
    const bool appDiffers = app != app_;
    const bool statesDiffer = !states_.empty();
    const bool cameraDiffers = camera != brandCamera_;
    std::optional<std::string> selected;
    if (app && !app->drivers.empty()) selected = app->drivers.front().id;
    const bool selectionDiffers = selected != selectedDriverID_;

    app_ = std::move(app);
    // States still on their way belong to the last project.
    ++statesRefresh_;
    states_.clear();
    brandCamera_ = camera;
    selectedDriverID_ = std::move(selected);
    if (const HomeyDriver* driver = driverWithID(app_, selectedDriverID_))
        editors_->keep(driver->id, buildDriverEditor(*driver));

    if (appDiffers) emit appChanged();
    if (statesDiffer) emit statesChanged();
    emit editorsChanged();
    if (cameraDiffers) emit brandCameraChanged();
    if (selectionDiffers) emit selectedDriverIDChanged();
    announceCurrentEditor();
}

void ProjectStore::requestOpenHomeyApp(const QString& folder) {
    if (unwrittenDriverNames().isEmpty()) {
        openHomeyApp(folder);
    } else {
        setPendingDiscard(DiscardAction::open(folder));
    }
}

void ProjectStore::requestCloseProject() {
    if (unwrittenDriverNames().isEmpty()) {
        closeProject();
    } else {
        setPendingDiscard(DiscardAction::close());
    }
}

void ProjectStore::confirmDiscard() {
    if (!pendingDiscard_) return;
    const DiscardAction action = *pendingDiscard_;
    setPendingDiscard(std::nullopt);
    if (const auto* open = std::get_if<DiscardAction::Open>(&action.value)) {
        openHomeyApp(open->folder);
    } else {
        closeProject();
    }
}

// ----- Driver states -----

void ProjectStore::refreshDriverStates() {
    assertMainThread(this);
    if (!app_) return;
    const std::uint64_t refresh = ++statesRefresh_;
    // Each state reads and decodes five files: side by side, away from the main
    // thread, the list showing its drivers meanwhile.
    const auto app = std::make_shared<const HomeyApp>(*app_);
    for (const HomeyDriver& driver : app->drivers) {
        runner_.run(
            TaskPriority::userInitiated, this, [app, &driver] { return DriverAssetsState::load(driver, *app); },
            [this, refresh, id = driver.id](TaskOutcome<DriverAssetsState> outcome) {
                // A later refresh, or another project, owns the states now.
                if (refresh != statesRefresh_ || !outcome.hasValue()) return;
                States states = states_;
                states.insert_or_assign(id, std::move(outcome.value()));
                setStates(std::move(states));
            });
    }
}

QString ProjectStore::currentLanguageCode() {
    const QLocale::Language language = QLocale().language();
    if (language == QLocale::C || language == QLocale::AnyLanguage) return QStringLiteral("fr");
    const QString code = QLocale::languageToCode(language);
    return code.isEmpty() ? QStringLiteral("fr") : code;
}

}  // namespace glyphsmith_state
