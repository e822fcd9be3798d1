#include "glyphsmith_state/app_error.hpp"

#include <QCoreApplication>

#include "glyphsmith_state/update_site.hpp"
#include "homey_project/homey_project_error.hpp"
#include "photo_analysis/photo_analysis_error.hpp"

namespace glyphsmith_state {
namespace {

// The French text is both the translation key and the default wording.
QString tr(const char* french) {
    return QCoreApplication::translate("AppError", french);
}

// Words joined by single spaces around the site's host, or around "le site des
// mises à jour" when the build names no site, so the sentence still reads.
QString aroundHost(const char* before, const char* after) {
    const QString host = updateSiteHost();
    return QStringList{tr(before), host.isEmpty() ? tr("le site des mises à jour") : host, tr(after)}.join(
        QLatin1Char(' '));
}

QStringList qStrings(const std::vector<std::string>& texts) {
    QStringList list;
    for (const std::string& text : texts) list.append(QString::fromStdString(text));
    return list;
}

}  // namespace

QString AppError::message() const {
    if (const auto* e = std::get_if<WouldOverwrite>(&value))
        return tr("Ces fichiers existent déjà : %1.").arg(e->paths.join(QStringLiteral(", ")));
    if (const auto* e = std::get_if<OutsideProject>(&value))
        return tr("Écriture refusée hors du dossier du projet : %1.").arg(e->path);
    if (const auto* e = std::get_if<WriteFailed>(&value)) {
        const QString failed = tr("Impossible d’écrire %1.").arg(e->path);
        if (e->written.isEmpty()) return failed;
        // A write that stopped part-way says what is now in the project.
        return failed + u'\n' + tr("Écrits : %1.").arg(e->written.join(QStringLiteral(", "))) + u'\n' +
               tr("Non écrits : %1.").arg(e->notWritten.join(QStringLiteral(", ")));
    }
    if (const auto* e = std::get_if<UnreadableSourceFile>(&value))
        return tr("Le fichier %1 est illisible. Les réglages par défaut le remplacent dans l’app ; il ne sera réécrit "
                  "que si vous écrivez le pilote, et la liste des fichiers le montrera.")
            .arg(e->name);
    if (const auto* e = std::get_if<NewerModel>(&value))
        return tr("Le modèle %1 a été enregistré par une version plus récente de l’app. Il ne sera pas remplacé : "
                  "mettez l’app à jour pour modifier ce pilote.")
            .arg(e->name);
    if (std::holds_alternative<NotAHomeyApp>(value))
        return tr("Ce dossier n’est pas une app Homey : il n’a pas de fichier app.json lisible.");
    if (std::holds_alternative<UnreadablePhoto>(value)) return tr("Cette photo est illisible.");
    if (std::holds_alternative<NoSubjectFound>(value)) return tr("Aucun objet n’a été trouvé sur la photo.");
    if (std::holds_alternative<RenderingFailed>(value)) return tr("Le rendu de l’image a échoué.");
    if (std::holds_alternative<NoPhoto>(value)) return tr("Ajoutez d’abord une photo de face.");
    if (std::holds_alternative<CornersNeedFourPoints>(value))
        return tr("Cliquez les quatre coins de la face : haut gauche, haut droit, bas droit, bas gauche.");
    if (std::holds_alternative<UnreadableModel>(value)) return tr("Ce fichier n’est pas un modèle d’icône lisible.");
    if (std::holds_alternative<UpdateCheckFailed>(value))
        return aroundHost("Impossible de joindre",
                          "pour rechercher une mise à jour. Vérifiez la connexion, puis réessayez.");
    if (std::holds_alternative<UnreadableVersionFile>(value))
        return aroundHost("Le fichier de version publié sur", "est illisible.");
    if (std::holds_alternative<TextRecognitionUnavailable>(value))
        return tr(
            "La lecture du texte n’est pas installée : installez les paquets tesseract-ocr-eng et "
            "tesseract-ocr-fra, puis relancez la détection.");
    if (std::holds_alternative<TooManyMarks>(value))
        return tr(
            "La face porte bien plus de marques qu’un appareil : cliquez ses quatre coins, puis relancez la "
            "détection.");
    if (std::holds_alternative<NoFaceFound>(value))
        return tr("La face n’a pas été trouvée sur la photo. Cliquez ses quatre coins, puis relancez la détection.");
    return tr(
        "Aucun détail n’a été trouvé sur la face. Les marquages très pâles échappent parfois à la détection : "
        "posez-les à la main.");
}

AppError appError(const homey_project::HomeyProjectError& error) {
    using Kind = homey_project::HomeyProjectError::Kind;
    const QString path = QString::fromStdString(error.path());
    switch (error.kind()) {
        case Kind::unknownDriver:
            return AppError::writeFailed(path);
        case Kind::writeFailed:
            return AppError::writeFailed(path, qStrings(error.written()), qStrings(error.notWritten()));
        case Kind::wouldOverwrite:
            return AppError::wouldOverwrite(qStrings(error.paths()));
        case Kind::outsideProject:
            return AppError::outsideProject(path);
        case Kind::unreadableSource:
            return AppError::unreadableSourceFile(path);
        case Kind::newerModel:
            return AppError::newerModel(path);
        case Kind::notAHomeyApp:
            return AppError::notAHomeyApp();
    }
    return AppError::notAHomeyApp();
}

AppError appError(const photo_analysis::PhotoAnalysisError& error) {
    using Kind = photo_analysis::PhotoAnalysisError::Kind;
    switch (error.kind()) {
        case Kind::unreadableImage:
            return AppError::unreadablePhoto();
        case Kind::noSubjectFound:
            return AppError::noSubjectFound();
        case Kind::renderingFailed:
            return AppError::renderingFailed();
        case Kind::tooManyMarks:
            return AppError::tooManyMarks();
        case Kind::textRecognitionUnavailable:
            return AppError::textRecognitionUnavailable();
    }
    return AppError::renderingFailed();
}

}  // namespace glyphsmith_state
