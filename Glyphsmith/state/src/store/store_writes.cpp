#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <exception>

#include "glyphsmith_state/project_store.hpp"
#include "homey_project/source_layout.hpp"
#include "icon_geometry/icon_svg.hpp"
#include "icon_geometry/json.hpp"
#include "icon_geometry/model_input.hpp"
#include "planned_package.hpp"
#include "services/files.hpp"
#include "support/main_thread.hpp"

namespace glyphsmith_state {

using homey_project::DriverPackage;
using homey_project::HomeyDriver;
using homey_project::HomeyProjectError;
using homey_project::HomeyProjectWriter;
using homey_project::PlannedWrite;
using icon_geometry::IconModel;

namespace {

QString lastComponent(const QString& file) {
    return QFileInfo(file).fileName();
}

std::string fromQBytes(const QByteArray& bytes) {
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

}  // namespace

// ----- The package -----

DriverPackage ProjectStore::driverPackage(const HomeyDriver& driver) {
    DriverEditor& editor = makeDriverEditor(driver);
    DriverPackage package;
    package.iconSVG = icon_geometry::iconSvg(editor.model(), brandCamera_);
    for (const auto& [size, png] : editor.driverImages()) package.images.emplace(size, fromQBytes(png));
    package.model = editor.model();
    if (const std::optional<QByteArray>& photo = editor.facePhotoData()) {
        package.sourcePhotos.push_back(
            {homey_project::SourceLayout::facePhotoName(editor.facePhotoExtension().toStdString()),
             fromQBytes(*photo)});
    }
    if (editor.corners().size() == 4) package.faceCorners = editor.corners();
    package.brandCamera = brandCamera_;
    return package;
}

std::optional<DriverPackage> ProjectStore::storablePackage(const HomeyDriver& driver) {
    DriverPackage package = driverPackage(driver);
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
    auto planned =
        std::make_unique<PlannedPackage>(PlannedPackage{*driver, *app_, std::move(*package), editors_.at(driver->id)});
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

bool ProjectStore::writeExport(const QString& file, const QByteArray& bytes) {
    // A folder at the chosen name is never replaced by a file.
    if (QFileInfo(file).isDir() || !replaceFile(file, bytes)) {
        setError(AppError::writeFailed(lastComponent(file)));
        return false;
    }
    return true;
}

void ProjectStore::exportIconSVG(const QString& file) {
    assertMainThread(this);
    const std::string svg = icon_geometry::iconSvg(currentEditor().model(), brandCamera_);
    writeExport(file, QByteArray::fromStdString(svg));
}

void ProjectStore::exportDriverImages(const QString& folder) {
    assertMainThread(this);
    const DriverEditor::DriverImages images = currentEditor().driverImages();
    if (images.empty()) {
        setError(AppError::noPhoto());
        return;
    }
    // The map runs in size order: small, large, xlarge.
    for (const auto& [size, png] : images) {
        const QString name = QString::fromUtf8(homey_project::fileName(size));
        if (!writeExport(QDir(folder).filePath(name), png)) return;
    }
}

void ProjectStore::saveIconModel(const QString& file) {
    assertMainThread(this);
    const IconModel model = currentEditor().model();
    std::string json;
    try {
        if (icon_geometry::ModelInput::isStorable(model))
            json = icon_geometry::json::write(icon_geometry::json::encode(model));
    } catch (const std::exception&) {
        json.clear();
    }
    if (json.empty()) {
        setError(AppError::writeFailed(lastComponent(file)));
        return;
    }
    writeExport(file, QByteArray::fromStdString(json));
}

void ProjectStore::loadIconModel(const QString& file) {
    assertMainThread(this);
    // The bounded reader refuses FIFOs, devices and huge files without blocking;
    // the guarded decoder refuses deep, huge and newer models.
    const std::optional<QByteArray> bytes = readTextFile(file);
    if (!bytes) {
        setError(AppError::unreadableModel());
        return;
    }
    try {
        IconModel model = icon_geometry::ModelInput::decode<IconModel>(
            std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
        currentEditor().setModel(std::move(model));
    } catch (const std::exception&) {
        setError(AppError::unreadableModel());
    }
}

// ----- Panels -----

void ProjectStore::chooseHomeyAppFolder() {
    if (!panels_) return;
    OpenPanelRequest request;
    request.canChooseFolders = true;
    request.canChooseFiles = false;
    request.message = tr("Choisissez le dossier d’une app Homey.");
    request.prompt = tr("Ouvrir");
    if (const std::optional<QString> folder = panels_->open(request)) requestOpenHomeyApp(*folder);
}

void ProjectStore::chooseSVGDestination() {
    if (!panels_) return;
    SavePanelRequest request;
    request.allowedSuffixes = {QStringLiteral("svg")};
    request.proposedName = QString::fromStdString(selectedDriverID_.value_or("icone")) + QStringLiteral(".svg");
    request.message = tr("Enregistrer l’icône au format SVG.");
    if (const std::optional<QString> file = panels_->save(request)) exportIconSVG(*file);
}

void ProjectStore::chooseImagesFolder() {
    if (!panels_) return;
    OpenPanelRequest request;
    request.canChooseFolders = true;
    request.canChooseFiles = false;
    request.canCreateFolders = true;
    request.message = tr("Choisissez le dossier où enregistrer small.png, large.png et xlarge.png.");
    request.prompt = tr("Enregistrer");
    if (const std::optional<QString> folder = panels_->open(request)) exportDriverImages(*folder);
}

void ProjectStore::chooseModelDestination() {
    if (!panels_) return;
    SavePanelRequest request;
    request.allowedSuffixes = {QStringLiteral("json")};
    request.proposedName = QString::fromStdString(selectedDriverID_.value_or("icone")) + QStringLiteral("-modele.json");
    request.message = tr("Enregistrer le modèle de l’icône, pour la reprendre plus tard.");
    if (const std::optional<QString> file = panels_->save(request)) saveIconModel(*file);
}

void ProjectStore::chooseModelToOpen() {
    if (!panels_) return;
    OpenPanelRequest request;
    request.allowedSuffixes = {QStringLiteral("json")};
    request.message = tr("Choisissez un modèle d’icône enregistré.");
    if (const std::optional<QString> file = panels_->open(request)) loadIconModel(*file);
}

}  // namespace glyphsmith_state
