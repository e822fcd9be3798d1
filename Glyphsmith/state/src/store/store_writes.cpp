// The planned writes of a driver into the project, and the exports of the
// current editor.

#include <algorithm>
#include <exception>

#include "driver_package.hpp"
#include "editor_registry.hpp"
#include "exports.hpp"
#include "glyphsmith_state/project_store.hpp"
#include "homey_project/source_layout.hpp"
#include "icon_geometry/model_input.hpp"
#include "planned_package.hpp"
#include "support/main_thread.hpp"

namespace glyphsmith_state {

using homey_project::DriverPackage;
using homey_project::HomeyDriver;
using homey_project::HomeyProjectError;
using homey_project::HomeyProjectWriter;
using homey_project::PlannedWrite;
using icon_geometry::IconModel;

// ----- The package -----

DriverPackage ProjectStore::driverPackage(const DriverEditor& editor) const {
    return driverPackageOf(editor, brandCamera_);
}

std::optional<DriverPackage> ProjectStore::storablePackage(const HomeyDriver& driver) {
    DriverPackage package = driverPackage(makeDriverEditor(driver));
    if (!icon_geometry::ModelInput::isStorable(package.model)) {
        // A model that would not read back is never written: the driver would
        // open on the starting model next time.
        const auto file = homey_project::SourceLayout{app_->root}.modelFile(driver.id);
        setError(AppError::writeFailed(QString::fromStdString(HomeyProjectWriter::relativePath(file, app_->root))));
        return std::nullopt;
    }
    return package;
}

// ----- Planned writes -----

void ProjectStore::prepareWrite() {
    assertMainThread(this);
    if (!app_) return;
    const std::optional<HomeyDriver> driver = selectedDriver();
    if (!driver) return;
    std::optional<DriverPackage> package = storablePackage(*driver);
    if (!package) return;
    PlannedWrites plan = writer_->plan(*package, *driver, *app_);
    auto planned = std::make_unique<PlannedPackage>(
        PlannedPackage{*driver, *app_, std::move(*package), editors_->find(driver->id)});
    setPendingWrite(std::move(plan));
    plannedPackage_ = std::move(planned);
}

void ProjectStore::writeSelectedDriver() {
    assertMainThread(this);
    if (!app_ || !pendingWrite_ || !plannedPackage_) return;
    const std::optional<HomeyDriver> driver = selectedDriver();
    if (!driver) return;
    const PlannedWrites confirmed = *pendingWrite_;
    std::unique_ptr<PlannedPackage> planned = std::move(plannedPackage_);
    setPendingWrite(std::nullopt);

    // Another driver or project than the one confirmed: plan afresh, to be
    // confirmed again.
    if (planned->driver != *driver || planned->app != *app_) {
        prepareWrite();
        return;
    }
    // The project may have changed while the sheet was open: a file that
    // appeared would be replaced unasked, one that vanished would be created
    // under a "replaced" line. Then the user confirms the new plan first.
    PlannedWrites now = writer_->plan(planned->package, planned->driver, planned->app);
    if (now != confirmed) {
        plannedPackage_ = std::move(planned);
        setPendingWrite(std::move(now));
        return;
    }
    const bool replace =
        std::any_of(confirmed.begin(), confirmed.end(), [](const PlannedWrite& w) { return w.exists; });
    PlannedWrites written;
    try {
        written = writer_->write(planned->package, planned->driver, planned->app, replace);
    } catch (const HomeyProjectError& error) {
        setError(appError(error));
        // Some files may be in place: the driver's state is read again.
        if (!error.written().empty()) refreshDriverStates();
        return;
    } catch (const std::exception&) {
        setError(AppError::writeFailed(QString::fromStdString(planned->driver.id)));
        return;
    }
    setLastWritten(std::move(written));
    // Saved as written: edits made while the sheet was open stay unwritten.
    if (const std::shared_ptr<DriverEditor> editor = planned->editor.lock()) {
        editor->setSavedModel(planned->package.model);
        std::optional<QByteArray> photo;
        if (!planned->package.sourcePhotos.empty())
            photo = QByteArray::fromStdString(planned->package.sourcePhotos.front().data);
        editor->setSavedPhotoData(std::move(photo));
    }
    refreshDriverStates();
}

// ----- Exports -----

void ProjectStore::showFailure(std::optional<AppError> failure) {
    if (failure) setError(std::move(failure));
}

void ProjectStore::exportIconSVG(const QString& file) {
    assertMainThread(this);
    showFailure(glyphsmith_state::exportIconSvg(currentEditor().model(), brandCamera_, file));
}

void ProjectStore::exportDriverImages(const QString& folder) {
    assertMainThread(this);
    showFailure(glyphsmith_state::exportDriverImages(currentEditor().driverImages(), folder));
}

void ProjectStore::saveIconModel(const QString& file) {
    assertMainThread(this);
    showFailure(exportIconModel(currentEditor().model(), file));
}

void ProjectStore::loadIconModel(const QString& file) {
    assertMainThread(this);
    if (std::optional<IconModel> model = readIconModel(file)) {
        currentEditor().setModel(std::move(*model));
    } else {
        setError(AppError::unreadableModel());
    }
}

}  // namespace glyphsmith_state
