#include "glyphsmith_state/app_error.hpp"

#include <gtest/gtest.h>

#include "glyphsmith_state/update_site.hpp"
#include "homey_project/homey_project_error.hpp"
#include "photo_analysis/photo_analysis_error.hpp"

using glyphsmith_state::AppError;
using namespace Qt::Literals::StringLiterals;

namespace {

// The words of an update message around the site's host; a build that names
// no site still gives a whole sentence.
QString aroundHost(const QString& before, const QString& after) {
    const QString host = glyphsmith_state::updateSiteHost();
    return before + u' ' + (host.isEmpty() ? u"le site des mises à jour"_s : host) + u' ' + after;
}

TEST(AppErrorMessages, EveryCaseHasItsFrenchWording) {
    const std::vector<std::pair<AppError, QString>> table{
        {AppError::wouldOverwrite({"drivers/a/assets/icon.svg"}),
         u"Ces fichiers existent déjà : drivers/a/assets/icon.svg."_s},
        {AppError::outsideProject("/tmp/ailleurs.svg"),
         u"Écriture refusée hors du dossier du projet : /tmp/ailleurs.svg."_s},
        {AppError::writeFailed("small.png"), u"Impossible d’écrire small.png."_s},
        {AppError::unreadableSourceFile("coins-face.json"),
         u"Le fichier coins-face.json est illisible. Les réglages par défaut le remplacent dans l’app ; il ne sera "
         u"réécrit que si vous écrivez le pilote, et la liste des fichiers le montrera."_s},
        {AppError::newerModel("modele.json"),
         u"Le modèle modele.json a été enregistré par une version plus récente de l’app. Il ne sera pas remplacé : "
         u"mettez l’app à jour pour modifier ce pilote."_s},
        {AppError::notAHomeyApp(), u"Ce dossier n’est pas une app Homey : il n’a pas de fichier app.json lisible."_s},
        {AppError::unreadablePhoto(), u"Cette photo est illisible."_s},
        {AppError::noSubjectFound(), u"Aucun objet n’a été trouvé sur la photo."_s},
        {AppError::renderingFailed(), u"Le rendu de l’image a échoué."_s},
        {AppError::noPhoto(), u"Ajoutez d’abord une photo de face."_s},
        {AppError::cornersNeedFourPoints(),
         u"Cliquez les quatre coins de la face : haut gauche, haut droit, bas droit, bas gauche."_s},
        {AppError::unreadableModel(), u"Ce fichier n’est pas un modèle d’icône lisible."_s},
        {AppError::updateCheckFailed(),
         aroundHost(u"Impossible de joindre"_s,
                    u"pour rechercher une mise à jour. Vérifiez la connexion, puis réessayez."_s)},
        {AppError::unreadableVersionFile(), aroundHost(u"Le fichier de version publié sur"_s, u"est illisible."_s)},
        {AppError::noFaceFound(),
         u"La face n’a pas été trouvée sur la photo. Cliquez ses quatre coins, puis relancez la détection."_s},
        {AppError::noDetailFound(),
         u"Aucun détail n’a été trouvé sur la face. Les marquages très pâles échappent parfois à la détection : "
         u"posez-les à la main."_s},
        {AppError::textRecognitionUnavailable(),
         u"La lecture du texte n’est pas installée : installez les paquets tesseract-ocr-eng et tesseract-ocr-fra, "
         u"puis relancez la détection."_s},
        {AppError::tooManyMarks(),
         u"La face porte bien plus de marques qu’un appareil : cliquez ses quatre coins, puis relancez la détection."_s},
    };
    ASSERT_EQ(table.size(), std::variant_size_v<decltype(AppError::value)>);
    for (std::size_t i = 0; i < table.size(); ++i) {
        const auto& [error, message] = table[i];
        EXPECT_EQ(error.caseIndex(), i);
        EXPECT_EQ(error.message(), message) << "case " << i;
        // Typographic apostrophes only, and ordinary spaces before ":" and ";".
        EXPECT_FALSE(error.message().contains(u'\'')) << "case " << i;
        EXPECT_FALSE(error.message().contains(QChar(0x00A0))) << "case " << i;
        EXPECT_FALSE(error.message().contains(QChar(0x202F))) << "case " << i;
        EXPECT_FALSE(error.message().contains(u"  "_s)) << "case " << i;
    }
}

TEST(AppErrorMessages, AWriteStoppedPartWayListsTheFilesWrittenAndNot) {
    EXPECT_EQ(AppError::writeFailed("b.png", {"icon.svg", "a.png"}, {"b.png", "c.png"}).message(),
              u"Impossible d’écrire b.png.\nÉcrits : icon.svg, a.png.\nNon écrits : b.png, c.png."_s);
}

TEST(AppErrorMessages, ExistingFilesAreListedWithCommas) {
    EXPECT_EQ(AppError::wouldOverwrite({}).message(), u"Ces fichiers existent déjà : ."_s);
    EXPECT_EQ(AppError::wouldOverwrite({"a.svg"}).message(), u"Ces fichiers existent déjà : a.svg."_s);
    EXPECT_EQ(AppError::wouldOverwrite({"a.svg", "b, c.png", "%1.json"}).message(),
              u"Ces fichiers existent déjà : a.svg, b, c.png, %1.json."_s);
}

TEST(AppErrorEquality, SameCaseAndSamePayload) {
    EXPECT_EQ(AppError::notAHomeyApp(), AppError::notAHomeyApp());
    EXPECT_EQ(AppError::writeFailed("a"), AppError::writeFailed("a"));
    EXPECT_NE(AppError::writeFailed("a"), AppError::writeFailed("b"));
    EXPECT_NE(AppError::writeFailed("a"), AppError::outsideProject("a"));
    EXPECT_NE(AppError::noPhoto(), AppError::noFaceFound());
    EXPECT_EQ(AppError::wouldOverwrite({"a", "b"}), AppError::wouldOverwrite({"a", "b"}));
    EXPECT_NE(AppError::wouldOverwrite({"a", "b"}), AppError::wouldOverwrite({"b", "a"}));
}

TEST(AppErrorFromProject, EachProjectFailureHasItsCase) {
    using homey_project::HomeyProjectError;
    const std::vector<std::pair<HomeyProjectError, AppError>> table{
        {HomeyProjectError::unknownDriver("prise-murale"), AppError::writeFailed("prise-murale")},
        {HomeyProjectError::wouldOverwrite({"drivers/a/assets/icon.svg", "drivers/a/assets/images/small.png"}),
         AppError::wouldOverwrite({"drivers/a/assets/icon.svg", "drivers/a/assets/images/small.png"})},
        {HomeyProjectError::outsideProject("/etc/passwd"), AppError::outsideProject("/etc/passwd")},
        {HomeyProjectError::writeFailed("drivers/a/assets/icon.svg"),
         AppError::writeFailed("drivers/a/assets/icon.svg")},
        {HomeyProjectError::partlyWritten("drivers/a/assets/images/large.png", {"drivers/a/assets/icon.svg"},
                                          {"drivers/a/assets/images/large.png"}),
         AppError::writeFailed("drivers/a/assets/images/large.png", {"drivers/a/assets/icon.svg"},
                               {"drivers/a/assets/images/large.png"})},
        {HomeyProjectError::unreadableSource("sources/icones/a/coins-face.json"),
         AppError::unreadableSourceFile("sources/icones/a/coins-face.json")},
        {HomeyProjectError::newerModel("sources/icones/a/modele.json"),
         AppError::newerModel("sources/icones/a/modele.json")},
        {HomeyProjectError::notAHomeyApp(), AppError::notAHomeyApp()},
    };
    for (const auto& [projectError, expected] : table) EXPECT_EQ(glyphsmith_state::appError(projectError), expected);
    EXPECT_EQ(glyphsmith_state::appError(HomeyProjectError::unknownDriver("capteur")).message(),
              u"Impossible d’écrire capteur."_s);
}

TEST(AppErrorFromPhotoAnalysis, EachPhotoFailureHasItsCase) {
    using photo_analysis::PhotoAnalysisError;
    EXPECT_EQ(glyphsmith_state::appError(PhotoAnalysisError::unreadableImage()), AppError::unreadablePhoto());
    EXPECT_EQ(glyphsmith_state::appError(PhotoAnalysisError::noSubjectFound()), AppError::noSubjectFound());
    EXPECT_EQ(glyphsmith_state::appError(PhotoAnalysisError::renderingFailed()), AppError::renderingFailed());
    EXPECT_EQ(glyphsmith_state::appError(PhotoAnalysisError::tooManyMarks()), AppError::tooManyMarks());
    EXPECT_EQ(glyphsmith_state::appError(PhotoAnalysisError::textRecognitionUnavailable()),
              AppError::textRecognitionUnavailable());
}

}  // namespace
