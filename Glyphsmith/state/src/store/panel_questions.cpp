#include "panel_questions.hpp"

#include <QCoreApplication>

#include "glyphsmith_state/photo_files.hpp"
#include "glyphsmith_state/project_store.hpp"

namespace glyphsmith_state {

namespace {

// The words belong to the store's commands.
QString text(const char* source) {
    return QCoreApplication::translate("glyphsmith_state::ProjectStore", source);
}

// The one path an open panel gave, if any.
std::optional<QString> single(const QStringList& paths) {
    if (paths.isEmpty()) return std::nullopt;
    return paths.first();
}

QString baseName(const std::optional<std::string>& driverID) {
    return QString::fromStdString(driverID.value_or("icone"));
}

}  // namespace

std::optional<QString> PanelQuestions::homeyAppFolder() const {
    if (!panels_) return std::nullopt;
    OpenPanelRequest request;
    request.canChooseFolders = true;
    request.canChooseFiles = false;
    request.message = text("Choisissez le dossier d’une app Homey.");
    request.prompt = text("Ouvrir");
    return single(panels_->open(request));
}

std::optional<QString> PanelQuestions::svgDestination(const std::optional<std::string>& driverID) const {
    if (!panels_) return std::nullopt;
    SavePanelRequest request;
    request.allowedSuffixes = {QStringLiteral("svg")};
    request.proposedName = baseName(driverID) + QStringLiteral(".svg");
    request.message = text("Enregistrer l’icône au format SVG.");
    return panels_->save(request);
}

std::optional<QString> PanelQuestions::imagesFolder() const {
    if (!panels_) return std::nullopt;
    OpenPanelRequest request;
    request.canChooseFolders = true;
    request.canChooseFiles = false;
    request.canCreateFolders = true;
    request.message = text("Choisissez le dossier où enregistrer small.png, large.png et xlarge.png.");
    request.prompt = text("Enregistrer");
    return single(panels_->open(request));
}

std::optional<QString> PanelQuestions::modelDestination(const std::optional<std::string>& driverID) const {
    if (!panels_) return std::nullopt;
    SavePanelRequest request;
    request.allowedSuffixes = {QStringLiteral("json")};
    request.proposedName = baseName(driverID) + QStringLiteral("-modele.json");
    request.message = text("Enregistrer le modèle de l’icône, pour la reprendre plus tard.");
    return panels_->save(request);
}

std::optional<QString> PanelQuestions::modelToOpen() const {
    if (!panels_) return std::nullopt;
    OpenPanelRequest request;
    request.allowedSuffixes = {QStringLiteral("json")};
    request.message = text("Choisissez un modèle d’icône enregistré.");
    return single(panels_->open(request));
}

QList<QUrl> PanelQuestions::photoFiles(bool several) const {
    if (!panels_) return {};
    // Nothing of its own: no message, no prompt.
    OpenPanelRequest request;
    request.allowsMultipleSelection = several;
    request.allowedSuffixes = photoFileExtensions();
    QList<QUrl> files;
    for (const QString& path : panels_->open(request)) files << QUrl::fromLocalFile(path);
    return files;
}

// ----- The store's panel commands -----

void ProjectStore::chooseHomeyAppFolder() {
    if (const std::optional<QString> folder = panelQuestions_->homeyAppFolder()) requestOpenHomeyApp(*folder);
}

void ProjectStore::chooseSVGDestination() {
    if (const std::optional<QString> file = panelQuestions_->svgDestination(selectedDriverID_)) exportIconSVG(*file);
}

void ProjectStore::chooseImagesFolder() {
    if (const std::optional<QString> folder = panelQuestions_->imagesFolder()) exportDriverImages(*folder);
}

void ProjectStore::chooseModelDestination() {
    if (const std::optional<QString> file = panelQuestions_->modelDestination(selectedDriverID_)) saveIconModel(*file);
}

QList<QUrl> ProjectStore::choosePhotoFiles(bool several) const {
    return panelQuestions_->photoFiles(several);
}

void ProjectStore::chooseModelToOpen() {
    if (const std::optional<QString> file = panelQuestions_->modelToOpen()) loadIconModel(*file);
}

}  // namespace glyphsmith_state
