#include "starting_model.hpp"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <icon_geometry/json.hpp>

#include "commands.hpp"
#include "icon_command/icon_command.hpp"
#include "transcript.hpp"

namespace icon_command {
namespace {

using testing::refusal;

using icon_geometry::BodyPart;
using icon_geometry::Camera;
using icon_geometry::ExtrudedBody;
using icon_geometry::FaceShape;
using icon_geometry::IconModel;
using icon_geometry::ModelTemplate;
using icon_geometry::Orientation;
using IconCommand::startingModel;

IconModel built(const std::vector<std::string>& arguments, const std::optional<IconModel>& stored = std::nullopt,
                Language language = Language::en) {
    return startingModel(IconCommand::parseArguments(arguments, language), stored, language);
}

std::string refusalOf(const std::vector<std::string>& arguments, Language language = Language::en,
                      const std::optional<IconModel>& stored = std::nullopt) {
    return refusal([&] { (void)built(arguments, stored, language); });
}

const ExtrudedBody& face(const IconModel& model) {
    return *model.parts.at(0).solid.extrudedBody();
}

IconModel withBody(FaceShape shape, std::optional<double> bevel = std::nullopt) {
    ExtrudedBody body;
    body.face = std::move(shape);
    body.bevel = bevel;
    return IconModel::withSingleBody(std::move(body));
}

TEST(TemplateNames, FrenchEnglishAndCaseNamesInAnyLetterCase) {
    const std::vector<std::pair<std::string, ModelTemplate::Case>> names{
        {"AMPOULE", ModelTemplate::bulb},
        {"bulb", ModelTemplate::bulb},
        {"filamentbulb", ModelTemplate::filamentBulb},
        {"FilamentBulb", ModelTemplate::filamentBulb},
        {"ampoule-filament", ModelTemplate::filamentBulb},
        {"tete-thermostatique", ModelTemplate::radiatorHead},
        {"Dial-Thermostat", ModelTemplate::dialThermostat},
        {"capteur-ouverture", ModelTemplate::contactSensor},
        {"ceilingDetector", ModelTemplate::ceilingDetector},
        {"panneau", ModelTemplate::panel},
    };
    for (const auto& [name, expected] : names) {
        EXPECT_EQ(IconCommand::templateNamed(name, Language::fr), expected) << name;
    }
    EXPECT_EQ(refusal([] { (void)IconCommand::templateNamed("lampe", Language::fr); }),
              "Gabarit inconnu : « lampe ». La liste : glyphctl gabarits.");
    EXPECT_EQ(refusal([] { (void)IconCommand::templateNamed("Lampe", Language::en); }),
              "Unknown template: “Lampe”. The list: glyphctl templates.");
}

TEST(OrientationNames, WordsOfBothLanguagesAfterLowerCasing) {
    const std::vector<std::pair<std::string, Orientation::Case>> names{
        {"mur", Orientation::wall},        {"Mural", Orientation::wall},      {"WALL", Orientation::wall},
        {"plafond", Orientation::ceiling}, {"Ceiling", Orientation::ceiling}, {"pose", Orientation::floor},
        {"posé", Orientation::floor},      {"POSÉ", Orientation::floor},      {"pose\u0301", Orientation::floor},
        {"SOL", Orientation::floor},       {"floor", Orientation::floor},     {"standing", Orientation::floor},
    };
    for (const auto& [name, expected] : names) {
        EXPECT_EQ(IconCommand::orientationNamed(name, Language::fr), expected) << name;
    }
    EXPECT_EQ(refusal([] { (void)IconCommand::orientationNamed("toit", Language::fr); }),
              "Orientation inconnue : « toit ». Orientations : mur, plafond, pose.");
    EXPECT_EQ(refusal([] { (void)IconCommand::orientationNamed("roof", Language::en); }),
              "Unknown orientation: “roof”. Orientations: wall, ceiling, floor.");
}

TEST(NameFolding, LowerCasesTheLettersNamesCanBeSpelledWith) {
    EXPECT_EQ(IconCommand::foldedName("ÀÉÎÕÜÞ×"), "àéîõüþ×");
    EXPECT_EQ(IconCommand::foldedName("DIS\u212A"), "disk");
    EXPECT_EQ(IconCommand::foldedName("Cafe\u0301"), "café");
    EXPECT_EQ(IconCommand::foldedName("\u0301x"), "\u0301x");
}

TEST(StartingModel, ModelFileBeforeTemplateBeforeStoredModelBeforePanel) {
    testing::TemporaryFolder folder;
    const IconModel bulb = ModelTemplate(ModelTemplate::bulb).model();
    testing::writeText(folder.file("bulb.json"), IconCommand::encodeModel(bulb).value());
    const IconModel stored = withBody(FaceShape::ellipse(30, 40));

    EXPECT_EQ(built({"--modele", folder.file("bulb.json"), "--gabarit", "lampe"}, stored), bulb);
    EXPECT_EQ(built({"--gabarit", "capteur-ouverture"}, stored), ModelTemplate(ModelTemplate::contactSensor).model());
    EXPECT_EQ(built({}, stored), stored);
    EXPECT_EQ(built({}), ModelTemplate(ModelTemplate::panel).model());
}

TEST(ModelFiles, UnreadableAndInvalidFilesAreFileErrors) {
    testing::TemporaryFolder folder;
    const std::string missing = folder.file("absent.json");
    EXPECT_EQ(refusal([&] { (void)IconCommand::readModelFile(missing, Language::en); }, ExitCode::fileError),
              "Cannot read " + missing + ".");
    EXPECT_EQ(
        refusal([&] { (void)IconCommand::readModelFile(folder.path().string(), Language::fr); }, ExitCode::fileError),
        "Impossible de lire " + folder.path().string() + ".");

    std::string deep = "{\"version\": 2, \"parts\": ";
    for (int i = 0; i < 64; ++i) deep += "[";
    for (int i = 0; i < 64; ++i) deep += "]";
    deep += "}";
    const std::vector<std::pair<std::string, std::string>> invalid{
        {"text.json", "not json at all"},
        {"array.json", "[1, 2, 3]"},
        {"deep.json", deep},
        {"newer.json", R"({"version": 3, "parts": [], "orientation": "wall"})"},
        {"huge.json",
         R"({"version": 2, "parts": [], "orientation": "wall", "camera": {"yawDegrees": 1e5, "elevationDegrees": 0, "distanceInDiagonals": 2.5}})"},
        {"empty.json", ""},
    };
    for (const auto& [name, text] : invalid) {
        const std::string path = folder.file(name);
        testing::writeText(path, text);
        EXPECT_EQ(refusal([&] { (void)IconCommand::readModelFile(path, Language::en); }, ExitCode::fileError),
                  path + " is not a readable icon model.")
            << name;
    }
    EXPECT_EQ(
        refusal([&] { (void)IconCommand::readModelFile(folder.file("text.json"), Language::fr); }, ExitCode::fileError),
        folder.file("text.json") + " n’est pas un modèle d’icône lisible.");
}

TEST(ModelFiles, PipesDevicesAndOversizedFilesAreNoModelsAndNeverBlock) {
    testing::TemporaryFolder folder;
    const std::string pipe = folder.file("pipe.json");
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    const std::string zeros = folder.file("zeros.json");
    std::filesystem::create_symlink("/dev/zero", zeros);
    // Over 16 MiB: a sparse file, so the test writes almost nothing.
    const std::string oversized = folder.file("oversized.json");
    testing::writeText(oversized, "{");
    std::filesystem::resize_file(oversized, (std::uintmax_t{16} << 20) + 1);
    for (const std::string& path : {pipe, zeros, oversized}) {
        EXPECT_EQ(refusal([&] { (void)IconCommand::readModelFile(path, Language::en); }, ExitCode::fileError),
                  path + " is not a readable icon model.");
    }
}

TEST(FaceSettings, NewShapesTakeTheGivenOrCurrentSize) {
    EXPECT_EQ(face(built({"--forme", "disque", "--largeur", "64", "--hauteur", "64"})).face,
              FaceShape::ellipse(64, 64));
    EXPECT_EQ(face(built({"--shape", "Capsule", "--width", "40", "--height", "20"})).face, FaceShape::capsule(40, 20));
    const FaceShape rectangle = face(built({"--forme", "rectangle", "--largeur", "50", "--hauteur", "20"})).face;
    ASSERT_EQ(rectangle.caseIndex(), 0u);
    EXPECT_DOUBLE_EQ(std::get<FaceShape::RoundedRectangle>(rectangle.value).cornerRadius, 1.6);
    EXPECT_EQ(face(built({"--forme", "rounded-rectangle", "--largeur", "50", "--hauteur", "20", "--rayon", "-3"})).face,
              FaceShape::roundedRectangle(50, 20, 0));
    EXPECT_EQ(face(built({"--forme", "superellipse", "--exposant", "1", "--largeur", "50", "--hauteur", "20"})).face,
              FaceShape::superellipse(50, 20, 1.2));
    EXPECT_EQ(face(built({"--forme", "squircle", "--largeur", "50", "--hauteur", "20"})).face,
              FaceShape::superellipse(50, 20, 4));

    // Without sizes, the shape takes the current face's bounding box.
    const IconModel discModel = built({"--forme", "disk"});
    const auto* disc = std::get_if<FaceShape::Ellipse>(&face(discModel).face.value);
    ASSERT_NE(disc, nullptr);
    EXPECT_NEAR(disc->width, 86, 1e-9);
    EXPECT_NEAR(disc->height, 86, 1e-9);
}

TEST(FaceSettings, WithoutAShapeTheCurrentFaceIsScaled) {
    // The wall panel's face is 86 × 86 with corner radius 6.
    const auto rounded = [](const IconModel& model) {
        return std::get<FaceShape::RoundedRectangle>(face(model).face.value);
    };
    const FaceShape::RoundedRectangle wider = rounded(built({"--largeur", "100"}));
    EXPECT_NEAR(wider.width, 100, 1e-9);
    EXPECT_NEAR(wider.height, 86, 1e-9);
    EXPECT_NEAR(wider.cornerRadius, 6, 1e-9);  // scaled by the smaller factor, 1
    const FaceShape::RoundedRectangle narrower = rounded(built({"--largeur", "43"}));
    EXPECT_NEAR(narrower.cornerRadius, 3, 1e-9);
    const FaceShape::RoundedRectangle radius = rounded(built({"--rayon", "10"}));
    EXPECT_NEAR(radius.width, 86, 1e-9);
    EXPECT_EQ(radius.cornerRadius, 10);
    EXPECT_EQ(rounded(built({"--rayon", "-1"})).cornerRadius, 0);

    // Radius and exponent apply only to the kinds that have them.
    const IconModel superellipse = withBody(FaceShape::superellipse(40, 20, 3));
    EXPECT_EQ(face(built({"--exposant", "0,5", "--rayon", "7"}, superellipse)).face,
              FaceShape::superellipse(40, 20, 1.2));
    const IconModel ellipse = withBody(FaceShape::ellipse(40, 20));
    EXPECT_EQ(face(built({"--exposant", "6", "--rayon", "7"}, ellipse)).face.caseIndex(), 2u);
    const FaceShape::RoundedRectangle kept =
        std::get<FaceShape::RoundedRectangle>(face(built({"--exposant", "6"})).face.value);
    EXPECT_NEAR(kept.cornerRadius, 6, 1e-9);
}

TEST(FaceSettings, DepthBevelAndPartPlacement) {
    EXPECT_EQ(face(built({"--epaisseur", "0,5"})).depth, 0.5);
    EXPECT_EQ(face(built({"--depth", "10000"})).depth, 10000);
    EXPECT_EQ(refusalOf({"--epaisseur", "0"}), "Depth must be positive.");
    EXPECT_EQ(refusalOf({"--epaisseur", "-1"}, Language::fr), "L’épaisseur doit être positive.");

    const IconModel plain = withBody(FaceShape::ellipse(40, 20));
    const IconModel bevelled = withBody(FaceShape::ellipse(40, 20), 20);
    EXPECT_EQ(face(built({"--biseau"}, plain)).bevel, 50);
    EXPECT_EQ(face(built({"--bevel"}, bevelled)).bevel, 20);
    EXPECT_EQ(face(built({"--sans-biseau"}, bevelled)).bevel, std::nullopt);
    EXPECT_EQ(face(built({"--biseau", "--no-bevel"}, plain)).bevel, std::nullopt);

    IconModel placed = withBody(FaceShape::ellipse(40, 20));
    placed.parts[0].offset = {1, 2, 3};
    placed.parts[0].turn = 10;
    placed.parts.push_back(placed.parts[0]);
    const IconModel changed = built({"--largeur", "80"}, placed);
    EXPECT_EQ(changed.parts[0].offset, (icon_geometry::Vector3{1, 2, 3}));
    EXPECT_EQ(changed.parts[0].turn, 10);
    EXPECT_EQ(changed.parts[1], placed.parts[1]);
    EXPECT_EQ(face(changed).face, FaceShape::ellipse(80, 20));
}

TEST(FaceSettings, SizesMustBePositiveAndAreCheckedBeforeTheShape) {
    EXPECT_EQ(refusalOf({"--largeur", "-5", "--forme", "blob"}), "Width and height must be positive.");
    EXPECT_EQ(refusalOf({"--hauteur", "0"}, Language::fr), "La largeur et la hauteur doivent être positives.");
    EXPECT_EQ(refusalOf({"--forme", "blob"}, Language::fr),
              "Forme inconnue : « blob ». Formes : rectangle, superellipse, disque, ellipse, capsule.");
    EXPECT_EQ(refusalOf({"--forme", "Blob"}),
              "Unknown shape: “Blob”. Shapes: rectangle, superellipse, disc, ellipse, capsule.");
    // Numbers are read in the order of the settings: width before depth.
    EXPECT_EQ(refusalOf({"--epaisseur", "abc", "--largeur", "-1"}), "Width and height must be positive.");
    EXPECT_EQ(refusalOf({"--rayon", "x", "--largeur", "10001"}),
              "--largeur needs a number between -10,000 and 10,000, not “10001”.");
    EXPECT_EQ(face(built({"--largeur", "10000", "--hauteur", "0,001"})).face.caseIndex(), 0u);
}

TEST(FaceSettings, RevolvedOrMissingMainBodyHasNoFace) {
    const std::string noFace = "This model has no face to adjust: its main body is a body of revolution.";
    EXPECT_EQ(refusalOf({"--gabarit", "bulb", "--largeur", "50"}), noFace);
    EXPECT_EQ(refusalOf({"--gabarit", "bulb", "--biseau"}, Language::fr),
              "Ce modèle n’a pas de face à régler : son corps principal est de révolution.");
    EXPECT_EQ(refusalOf({"--epaisseur", "3"}, Language::en, IconModel()), noFace);

    const IconModel bulb = built({"--gabarit", "bulb", "--orientation", "plafond", "--lacet", "30"});
    EXPECT_EQ(bulb.orientation, Orientation::ceiling);
    EXPECT_EQ(bulb.camera, (Camera{30, 0, 2.5}));
}

TEST(CameraSettings, EachAngleAtItsLimitsAndOnePastThem) {
    EXPECT_EQ(built({"--lacet", "40"}).camera, (Camera{40, 0, 2.5}));
    EXPECT_EQ(built({"--distance", "5,5"}).camera, (Camera{29.5, 0, 5.5}));
    EXPECT_EQ(built({}).camera, std::nullopt);

    const std::vector<std::pair<std::string, std::string>> accepted{{"lacet", "25"},     {"lacet", "40"},
                                                                    {"elevation", "0"},  {"elevation", "5"},
                                                                    {"distance", "2.2"}, {"distance", "5.5"}};
    for (const auto& [name, value] : accepted) {
        EXPECT_NO_THROW((void)built({"--" + name, value})) << name << " " << value;
    }
    const std::string angle =
        "Angle outside Athom’s style: yaw 25 to 40°, elevation 0 to 5°, distance 2.2 to 5.5 diagonals.";
    const std::vector<std::pair<std::string, std::string>> refused{{"lacet", "24.99"},     {"lacet", "41"},
                                                                   {"elevation", "-0.01"}, {"elevation", "5.01"},
                                                                   {"distance", "2.19"},   {"distance", "5.51"}};
    for (const auto& [name, value] : refused) {
        EXPECT_EQ(refusalOf({"--" + name, value}), angle) << name << " " << value;
    }
    EXPECT_EQ(
        refusalOf({"--yaw", "41"}, Language::fr),
        "Angle hors du style d’Athom : lacet de 25 à 40°, élévation de 0 à 5°, distance de 2,2 à 5,5 diagonales.");

    // The model's own camera is the start; the orientation is checked first.
    IconModel own = withBody(FaceShape::ellipse(40, 20));
    own.camera = Camera{30, 2, 3};
    EXPECT_EQ(built({"--yaw", "35"}, own).camera, (Camera{35, 2, 3}));
    EXPECT_EQ(refusalOf({"--lacet", "abc", "--orientation", "toit"}),
              "Unknown orientation: “toit”. Orientations: wall, ceiling, floor.");
    EXPECT_EQ(built({"--orientation", "posé"}).orientation, Orientation::floor);
}

}  // namespace
}  // namespace icon_command
