#include <gtest/gtest.h>

#include <homey_project/driver_assets_state.hpp>
#include <homey_project/driver_package_writer.hpp>
#include <homey_project/homey_app.hpp>
#include <icon_geometry/model_input.hpp>
#include <image_io/image.hpp>

#include "fixtures.hpp"
#include "messages.hpp"

namespace icon_command {
namespace {

namespace fs = std::filesystem;
using homey_project::DriverAssetsState;
using icon_geometry::IconModel;
using icon_geometry::ModelTemplate;
using testing::expectRefusal;
using testing::runTool;
using testing::TemporaryFolder;
using testing::Transcript;

// A Homey app in a scratch folder: "app.json" with its id and names, its own
// icon, and two drivers, "capteur" (nothing drawn yet) and "prise" (with an icon).
struct Project {
    TemporaryFolder folder;
    fs::path root = folder.path() / "app";

    Project() {
        testing::writeText(file("app.json"), R"({"id": "com.exemple.maison", "name": {"en": "Home", "fr": "Maison"}})");
        testing::writeText(file("assets/icon.svg"), testing::templateIcon(ModelTemplate::bulb));
        addDriver("capteur", R"({"name": {"en": "Door sensor", "fr": "Capteur de porte"}})");
        addDriver("prise", R"({"name": "Plug"})");
        testing::writeText(file("drivers/prise/assets/icon.svg"), testing::templateIcon(ModelTemplate::panel));
    }

    std::string file(std::string_view relative) const { return (root / relative).string(); }
    void addDriver(const std::string& id, std::string_view compose) const {
        testing::writeText(file("drivers/" + id + "/driver.compose.json"), compose);
    }
    homey_project::HomeyApp read() const { return homey_project::HomeyProjectReader().read(root); }
};

std::vector<std::string> driverIds(const homey_project::HomeyApp& app) {
    std::vector<std::string> ids;
    for (const auto& driver : app.drivers) ids.push_back(driver.id);
    return ids;
}

TEST(DriverCommand, Refusals) {
    const Project project;
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{
             {"driver", project.root.string()}, {"driver", project.root.string(), "capteur", "prise"}}) {
        expectRefusal(runTool(arguments, Language::en), 2,
                      "Usage: glyphctl driver <app folder> <driver id> [options] [--write]");
    }
    expectRefusal(runTool({"pilote"}, Language::fr), 2,
                  "Usage : glyphctl pilote <dossier de l’app> <id du pilote> [options] [--ecrire]");
    expectRefusal(runTool({"driver", "x", "y", "-o", "z"}, Language::en), 2, "This command does not take --sortie.");

    // Not a Homey app: named by its full path, normalised.
    fs::create_directories(project.folder.file("vide"));
    expectRefusal(runTool({"driver", project.folder.file("vide/./"), "capteur"}, Language::en), 3,
                  project.folder.file("vide") + " is not a Homey app: its app.json is missing or unreadable.");
    expectRefusal(runTool({"pilote", project.folder.file("absent//"), "capteur"}, Language::fr), 3,
                  project.folder.file("absent") + " n’est pas une app Homey : son app.json est absent ou illisible.");

    // An unknown id lists the app's drivers; a driver folder that is a link is none.
    fs::create_directories(project.folder.file("ailleurs"));
    fs::create_directory_symlink(project.folder.file("ailleurs"), project.file("drivers/lien"));
    expectRefusal(runTool({"driver", project.root.string(), "lien"}, Language::en), 2,
                  "Unknown driver: “lien”. The app’s drivers: capteur, prise.");
    expectRefusal(runTool({"pilote", project.root.string(), "Capteur"}, Language::fr), 2,
                  "Pilote inconnu : « Capteur ». Pilotes de l’app : capteur, prise.");
}

TEST(DriverCommand, DryRunShowsThePlanAndTheReportAndWritesNothing) {
    const Project project;
    const auto before = testing::tree(project.folder.path());
    for (const auto& [language, word, golden] : {std::tuple{Language::fr, "pilote", "driver-dry-run-fr.txt"},
                                                 std::tuple{Language::en, "driver", "driver-dry-run-en.txt"}}) {
        const Transcript t =
            runTool({word, project.root.string(), "capteur", "--gabarit", "capteur-ouverture"}, language);
        // The images are missing, so the report fails; a dry run still succeeds.
        EXPECT_EQ(t.code, 0);
        EXPECT_EQ(t.err, "");
        EXPECT_NE(t.out.find("✗"), std::string::npos);
        testing::expectMatchesGolden(golden, t.out);
    }
    EXPECT_EQ(testing::tree(project.folder.path()), before);
}

// A driver image saved as a JPEG under its PNG name is what Homey refuses: the
// report says so, and the driver's artwork is not compliant.
TEST(DriverCommand, AnImageOfAnotherFormatThanItsNameFailsTheReport) {
    const Project project;
    testing::writeText(project.file("drivers/capteur/assets/images/small.png"), testing::whiteJpeg(75));
    testing::writeText(project.file("drivers/capteur/assets/images/large.png"), testing::whitePng(500));
    testing::writeText(project.file("drivers/capteur/assets/images/xlarge.png"), testing::whitePng(1000));
    const Transcript t =
        runTool({"driver", project.root.string(), "capteur", "--gabarit", "capteur-ouverture"}, Language::en);
    EXPECT_EQ(t.code, 0) << t.err;
    EXPECT_NE(t.out.find("  ✗ small.png is not a PNG file\n"), std::string::npos) << t.out;
    EXPECT_EQ(t.out.find("✓ small.png"), std::string::npos) << t.out;
    EXPECT_NE(t.out.find("  ✓ large.png: 500 × 500 pixels\n"), std::string::npos) << t.out;
    const homey_project::HomeyApp app = project.read();
    ASSERT_EQ(app.drivers.front().id, "capteur");
    EXPECT_FALSE(DriverAssetsState::load(app.drivers.front(), app).isCompliant());
}

TEST(DriverCommand, StoredSourcesThatCannotBeUsedStopBeforeAnyOutput) {
    const std::string model = "sources/icones/capteur/modele.json";
    const struct {
        std::string name;
        std::function<void(const Project&)> prepare;
        std::string english;
    } cases[]{
        {"version 3", [&](const Project& p) { testing::writeText(p.file(model), R"({"version": 3})"); },
         model + " comes from a newer version of the tool: update it; nothing is written."},
        {"version 3.0",
         [&](const Project& p) { testing::writeText(p.file(model), R"({"version": 3.0, "parts": []})"); },
         model + " comes from a newer version of the tool: update it; nothing is written."},
        {"corrupt", [&](const Project& p) { testing::writeText(p.file(model), R"({"version": 1, "parts": [)"); },
         model + " is unreadable: fix or delete it; nothing is written."},
        {"pipe",
         [&](const Project& p) {
             fs::create_directories(p.file("sources/icones/capteur"));
             testing::makeFifo(p.file(model));
         },
         model + " is unreadable: fix or delete it; nothing is written."},
        {"link to /dev/zero",
         [&](const Project& p) {
             fs::create_directories(p.file("sources/icones/capteur"));
             fs::create_symlink("/dev/zero", p.file(model));
         },
         model + " is unreadable: fix or delete it; nothing is written."},
        {"brand camera", [&](const Project& p) { testing::writeText(p.file("sources/icones/marque.json"), "[]"); },
         "sources/icones/marque.json is unreadable: fix or delete it; nothing is written."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Project project;
        c.prepare(project);
        const auto before = testing::tree(project.folder.path());
        expectRefusal(runTool({"driver", project.root.string(), "capteur", "--write", "--overwrite"}, Language::en), 3,
                      c.english);
        EXPECT_EQ(testing::tree(project.folder.path()), before);
    }
    const Project project;
    testing::writeText(project.file(model), R"({"version": 3})");
    expectRefusal(runTool({"pilote", project.root.string(), "capteur"}, Language::fr), 3,
                  model + " vient d’une version plus récente de l’outil : mettez-le à jour, rien n’est écrit.");
}

TEST(DriverCommand, APhotoWithoutDeviceStopsTheDriverBeforeAnyWrite) {
    const Project project;
    const photo_analysis::Photo granite = test_photo::noDevicePhoto(test_photo::NoDevice::granite, 1200, 900);
    const std::vector<std::uint8_t> pixels(granite.pixels().begin(), granite.pixels().end());
    testing::writeText(project.folder.file("granit.png"),
                       testing::text(test_photo::encodePng(test_photo::rgbaImage(1200, 900, pixels))));
    const auto before = testing::tree(project.folder.path());
    const std::string photo = project.folder.file("granit.png");
    expectRefusal(runTool({"pilote", project.root.string(), "capteur", "--gabarit", "capteur-ouverture", "--photo",
                           photo, "--ecrire", "--remplacer"},
                          Language::fr),
                  1, "Aucun objet trouvé sur la photo " + photo + ".");
    EXPECT_EQ(testing::tree(project.folder.path()), before);
}

// Drivers laid out as the platform's own apps are: images the manifest names as
// JPEG files, PNG files in another folder, an "app.json" without Homey Compose
// that lists a driver's images, and a name leading out of the project.
struct NamedImagesProject {
    TemporaryFolder folder;
    fs::path root = folder.path() / "app";

    NamedImagesProject() {
        testing::writeText(file("app.json"), R"({"id": "com.exemple.jpeg", "drivers": [{"id": "liste", "images": {
            "small": "/drivers/liste/assets/images/small.jpg", "large": "/drivers/liste/assets/images/large.jpg"}}]})");
        compose("jpeg", R"({"small": "{{driverAssetsPath}}/images/small.jpg",)"
                        R"( "large": "{{driverAssetsPath}}/images/large.jpg"})");
        compose("photos",
                R"({"small": "{{driverPath}}/assets/photos/small.png", "large":)"
                R"( "{{driverPath}}/assets/photos/large.png", "xlarge": "./drivers/photos/assets/photos/xlarge.png"})");
        compose("dehors", R"({"small": "../../../../small.png", "large": "/drivers/dehors/assets/images/large.gif"})");
        fs::create_directories(file("drivers/liste"));
        testing::writeText(file("drivers/jpeg/assets/images/small.jpg"), testing::whiteJpeg(75));
        testing::writeText(file("drivers/jpeg/assets/images/large.jpg"), testing::whitePng(500));
    }
    void compose(const std::string& id, std::string_view images) const {
        testing::writeText(file("drivers/" + id + "/driver.compose.json"),
                           R"({"name": ")" + id + R"(", "images": )" + std::string(images) + "}");
    }
    std::string file(std::string_view relative) const { return (root / relative).string(); }
};

TEST(DriverCommand, ImagesAreJudgedAndPlannedUnderTheNamesTheManifestGives) {
    const NamedImagesProject project;
    testing::writeText(project.folder.file("face.png"), testing::squarePhoto(120, 60));
    const auto before = testing::tree(project.folder.path());
    for (const auto& [language, word, expected] :
         {std::tuple{Language::en, "driver",
                     std::vector<std::string>{
                         "  ✓ small.jpg: 75 × 75 pixels", "  ✓ small.jpg: white or transparent background",
                         "  ✗ large.jpg is not a JPEG file", "  ✗ xlarge.png: 1000 × 1000 pixels"}},
          std::tuple{Language::fr, "pilote",
                     std::vector<std::string>{
                         "  ✓ small.jpg : 75 × 75 pixels", "  ✓ small.jpg : fond blanc ou transparent",
                         "  ✗ large.jpg n’est pas un fichier JPEG", "  ✗ xlarge.png : 1000 × 1000 pixels"}}}) {
        const Transcript t = runTool({word, project.root.string(), "jpeg"}, language);
        EXPECT_EQ(t.code, 0) << t.err;
        std::vector<std::string> images;
        for (std::size_t start = 0, end; (end = t.out.find('\n', start)) != std::string::npos; start = end + 1)
            if (const std::string line = t.out.substr(start, end - start);
                line.find("small.") != std::string::npos || line.find("large.") != std::string::npos)
                images.push_back(line);
        EXPECT_EQ(images, expected) << t.out;
    }

    const Transcript dry =
        runTool({"driver", project.root.string(), "jpeg", "--photo", project.folder.file("face.png")}, Language::en);
    EXPECT_EQ(dry.code, 0) << dry.err;
    EXPECT_NE(dry.out.find("\n  replaced drivers/jpeg/assets/images/small.jpg\n"
                           "  replaced drivers/jpeg/assets/images/large.jpg\n"
                           "  new      drivers/jpeg/assets/images/xlarge.png\n"),
              std::string::npos)
        << dry.out;
    EXPECT_NE(dry.out.find("  ✓ large.jpg: 500 × 500 pixels\n"), std::string::npos) << dry.out;
    // The photo is small: its warnings name the files they are for.
    EXPECT_NE(dry.err.find("⚠︎ large.jpg: photo too small, device enlarged "), std::string::npos) << dry.err;
    EXPECT_EQ(testing::tree(project.folder.path()), before);
}

TEST(DriverCommand, EachImageIsWrittenWhereTheManifestNamesItInItsFormat) {
    const NamedImagesProject project;
    testing::writeText(project.folder.file("face.png"), testing::squarePhoto(120, 60));
    const std::string manifest = testing::readText(project.file("app.json"));
    const struct {
        std::string id;
        std::array<std::string, 3> files;
    } cases[]{{"jpeg",
               {"drivers/jpeg/assets/images/small.jpg", "drivers/jpeg/assets/images/large.jpg",
                "drivers/jpeg/assets/images/xlarge.png"}},
              {"photos",
               {"drivers/photos/assets/photos/small.png", "drivers/photos/assets/photos/large.png",
                "drivers/photos/assets/photos/xlarge.png"}},
              {"liste",
               {"drivers/liste/assets/images/small.jpg", "drivers/liste/assets/images/large.jpg",
                "drivers/liste/assets/images/xlarge.png"}},
              {"dehors",
               {"drivers/dehors/assets/images/small.png", "drivers/dehors/assets/images/large.png",
                "drivers/dehors/assets/images/xlarge.png"}}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.id);
        const std::string compose = testing::readText(project.file("drivers/" + c.id + "/driver.compose.json"));
        const Transcript t = runTool({"driver", project.root.string(), c.id, "--photo", project.folder.file("face.png"),
                                      "--write", "--overwrite"},
                                     Language::en);
        EXPECT_LE(t.code, 1) << t.err;
        const homey_project::HomeyApp app = homey_project::HomeyProjectReader().read(project.root);
        const auto driver = std::find_if(app.drivers.begin(), app.drivers.end(),
                                         [&](const homey_project::HomeyDriver& d) { return d.id == c.id; });
        ASSERT_NE(driver, app.drivers.end());
        const DriverAssetsState state = DriverAssetsState::load(*driver, app);
        for (std::size_t i = 0; i < c.files.size(); ++i) {
            const homey_project::DriverImageSize size = homey_project::allDriverImageSizes[i];
            EXPECT_NE(t.out.find(" " + c.files[i] + "\n"), std::string::npos) << t.out;
            const std::string bytes = testing::readText(project.file(c.files[i]));
            const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
            EXPECT_EQ(image_io::sniffFormat(data),
                      c.files[i].ends_with(".jpg") ? image_io::ImageFormat::jpeg : image_io::ImageFormat::png);
            EXPECT_EQ(state.images.at(size), DriverAssetsState::ImageState{DriverAssetsState::ImageState::Valid{}})
                << c.files[i];
        }
        EXPECT_EQ(testing::readText(project.file("drivers/" + c.id + "/driver.compose.json")), compose);
    }
    EXPECT_EQ(testing::readText(project.file("app.json")), manifest);
    EXPECT_FALSE(fs::exists(project.file("drivers/jpeg/assets/images/small.png")));
    EXPECT_FALSE(fs::exists(project.folder.file("small.png")));
}

TEST(DriverCommand, WrittenDriverReadsBackFromTheProject) {
    const Project project;
    testing::writeText(project.folder.file("face.JPG"), testing::devicePhoto());
    const Transcript t = runTool({"pilote", project.root.string(), "capteur", "--gabarit", "capteur-ouverture",
                                  "--photo", project.folder.file("face.JPG"), "--ecrire"},
                                 Language::fr);
    const bool failed = t.out.find("  ✗ ") != std::string::npos;
    EXPECT_EQ(t.code, failed ? 1 : 0) << t.out;
    EXPECT_EQ(t.err, "");
    EXPECT_TRUE(t.out.starts_with("Pilote capteur de Maison :\n  nouveau  drivers/capteur/assets/icon.svg\n")) << t.out;

    // Every planned file, and nothing else.
    const std::vector<std::string> files{"drivers/capteur/assets/icon.svg",
                                         "drivers/capteur/assets/images/small.png",
                                         "drivers/capteur/assets/images/large.png",
                                         "drivers/capteur/assets/images/xlarge.png",
                                         "sources/icones/capteur/modele.json",
                                         "sources/icones/capteur/photo-face.jpg",
                                         "sources/icones/capteur/coins-face.json",
                                         "sources/icones/marque.json",
                                         ".homeyignore"};
    for (const std::string& file : files) {
        EXPECT_TRUE(fs::is_regular_file(project.file(file))) << file;
        EXPECT_NE(t.out.find("  nouveau  " + file + "\n"), std::string::npos) << file;
    }
    EXPECT_TRUE(t.out.ends_with("\n\n9 fichiers écrits.\n")) << t.out;
    EXPECT_EQ(testing::readText(project.file(".homeyignore")), "sources/\n");
    EXPECT_EQ(testing::readText(project.file("sources/icones/capteur/photo-face.jpg")),
              testing::readText(project.folder.file("face.JPG")));

    // The project reader sees the driver with its names and complete artwork.
    const homey_project::HomeyApp app = project.read();
    ASSERT_EQ(driverIds(app), (std::vector<std::string>{"capteur", "prise"}));
    EXPECT_EQ(app.drivers[0].displayName("fr"), "Capteur de porte");
    const DriverAssetsState state = DriverAssetsState::load(app.drivers[0], app);
    ASSERT_TRUE(std::holds_alternative<DriverAssetsState::IconState::Valid>(state.icon.value));
    EXPECT_FALSE(std::get<DriverAssetsState::IconState::Valid>(state.icon.value).identicalToAppIcon);
    for (const auto size : homey_project::allDriverImageSizes) {
        EXPECT_TRUE(std::holds_alternative<DriverAssetsState::ImageState::Valid>(state.images.at(size).value));
    }
    EXPECT_TRUE(state.hasModel);
    EXPECT_TRUE(state.isCompliant());

    // The stored model is the one drawn, and drawing it again gives the same icon.
    const homey_project::HomeyProjectWriter writer;
    const std::optional<IconModel> saved = writer.savedModel(app.drivers[0], app);
    ASSERT_TRUE(saved);
    EXPECT_EQ(*saved, ModelTemplate(ModelTemplate::contactSensor).model());
    EXPECT_EQ(writer.brandCamera(app), icon_geometry::Camera::defaultCamera());
    const Transcript redrawn =
        runTool({"icon", "--model", project.file("sources/icones/capteur/modele.json")}, Language::en);
    EXPECT_EQ(redrawn.out, testing::readText(project.file("drivers/capteur/assets/icon.svg")));
}

TEST(DriverCommand, ExistingFilesAreReplacedOnlyWhenAsked) {
    const Project project;
    // Written although the report fails (no images): the failure is the exit code.
    const Transcript first = runTool({"driver", project.root.string(), "capteur", "--write"}, Language::en);
    EXPECT_EQ(first.code, 1);
    EXPECT_TRUE(first.out.ends_with("\n\n4 files written.\n")) << first.out;
    const auto before = testing::tree(project.folder.path());

    // A second dry run starts from the stored model: nothing but the files to replace.
    const Transcript again = runTool({"driver", project.root.string(), "capteur"}, Language::en);
    EXPECT_EQ(again.code, 0);
    EXPECT_TRUE(
        again.out.starts_with("Driver capteur of Home:\n"
                              "  replaced drivers/capteur/assets/icon.svg\n"
                              "  replaced sources/icones/capteur/modele.json\n\n"))
        << again.out;

    const Transcript refused = runTool({"driver", project.root.string(), "capteur", "--write"}, Language::en);
    EXPECT_EQ(refused.code, 1);
    EXPECT_EQ(refused.out, again.out.substr(0, again.out.rfind("\n\n") + 1));
    EXPECT_EQ(refused.err,
              "These files already exist; add --overwrite to replace them: drivers/capteur/assets/icon.svg, "
              "sources/icones/capteur/modele.json.\n");
    EXPECT_EQ(testing::tree(project.folder.path()), before);

    const Transcript replaced = runTool(
        {"pilote", project.root.string(), "capteur", "--ecrire", "--remplacer", "--forme", "disque"}, Language::fr);
    EXPECT_LE(replaced.code, 1);
    EXPECT_EQ(replaced.err, "");
    EXPECT_TRUE(replaced.out.ends_with("\n\n2 fichiers écrits.\n")) << replaced.out;
    EXPECT_NE(testing::tree(project.folder.path()), before);
}

TEST(DriverCommand, AFolderWhereAnImageGoesReplacesNothing) {
    const Project project;
    testing::writeText(project.folder.file("face.png"), testing::squarePhoto(120, 60));
    const std::vector<std::string> write = {"driver",     project.root.string(),           "capteur",
                                            "--photo",    project.folder.file("face.png"), "--write",
                                            "--overwrite"};
    ASSERT_LE(runTool(write, Language::en).code, 1);
    fs::remove(project.file("drivers/capteur/assets/images/xlarge.png"));
    fs::create_directory(project.file("drivers/capteur/assets/images/xlarge.png"));
    const auto before = testing::tree(project.folder.path());
    const Transcript t = runTool({"driver", project.root.string(), "capteur", "--template", "bulb", "--photo",
                                  project.folder.file("face.png"), "--write", "--overwrite"},
                                 Language::en);
    EXPECT_EQ(t.code, 3);
    EXPECT_TRUE(t.err.ends_with("\nCannot write drivers/capteur/assets/images/xlarge.png.\n")) << t.err;
    EXPECT_EQ(testing::tree(project.folder.path()), before);
}

TEST(DriverCommand, AWriteStoppedPartWayListsWhatItWroteAndWhatNot) {
    EXPECT_EQ(partialWriteFailure("b.png", {".homeyignore", "a.svg"}, {"b.png", "c.json"}, Language::en),
              "Cannot write b.png.\nWritten: .homeyignore, a.svg.\nNot written: b.png, c.json.");
    EXPECT_EQ(partialWriteFailure("b.png", {"a.svg"}, {"b.png"}, Language::fr),
              "Impossible d’écrire b.png.\nÉcrits : a.svg.\nNon écrits : b.png.");
}

TEST(DriverCommand, TheFacePhotoKeepsItsExtensionInLowerCase) {
    const Project project;
    const struct {
        std::string photo;
        std::string stored;
    } cases[]{{"face.JPÉG", "photo-face.jpég"},
              {"face.", "photo-face.png"},
              {".jpg", "photo-face.png"},
              {"photo.v2.Png", "photo-face.png"},
              {"sans-extension", "photo-face.png"}};
    for (const auto& c : cases) {
        testing::writeText(project.folder.file(c.photo), testing::squarePhoto(120, 60));
        const Transcript t = runTool(
            {"driver", project.root.string(), "capteur", "--photo", project.folder.file(c.photo)}, Language::en);
        EXPECT_EQ(t.code, 0) << t.err;
        EXPECT_NE(t.out.find("\n  new      sources/icones/capteur/" + c.stored + "\n"), std::string::npos)
            << c.photo << "\n"
            << t.out;
    }
}

TEST(DriverCommand, NothingIsWrittenOutsideTheProject) {
    const Project project;
    fs::create_directories(project.folder.file("dehors"));
    fs::create_directory_symlink(project.folder.file("dehors"), project.file("drivers/capteur/assets"));
    const Transcript t = runTool({"driver", project.root.string(), "capteur", "--write"}, Language::en);
    EXPECT_EQ(t.code, 3);
    // The plan and the report come first, then the refusal.
    EXPECT_TRUE(t.out.starts_with("Driver capteur of Home:\n")) << t.out;
    EXPECT_TRUE(t.out.ends_with(" warning\n") || t.out.ends_with(" warnings\n")) << t.out;
    EXPECT_EQ(t.err,
              "Write refused outside the project folder: " + project.file("drivers/capteur/assets/icon.svg") + ".\n");
    EXPECT_TRUE(fs::is_empty(project.folder.file("dehors")));
    EXPECT_FALSE(fs::exists(project.file("sources")));
}

TEST(DriverCommand, TheRootMayBeTypedAnyWay) {
    for (const std::string typed : {"app/", "./app/../app", "lien-vers-app"}) {
        SCOPED_TRACE(typed);
        const Project project;
        fs::create_directory_symlink(project.root, project.folder.file("lien-vers-app"));
        const testing::WorkingFolder working(project.folder.path());
        const Transcript t = runTool({"driver", typed, "prise", "--write", "--overwrite"}, Language::en);
        EXPECT_LE(t.code, 1) << t.err;
        EXPECT_EQ(t.err, "");
        EXPECT_TRUE(fs::is_regular_file(project.file("sources/icones/prise/modele.json")));
        EXPECT_EQ(testing::readText(project.file(".homeyignore")), "sources/\n");
    }
}

}  // namespace
}  // namespace icon_command
