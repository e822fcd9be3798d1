#include "commands.hpp"

#include <gtest/gtest.h>

#include <icon_geometry/model_input.hpp>
#include <icon_geometry/model_template.hpp>
#include <icon_geometry/svg_validator.hpp>

#include "icon_command/icon_command.hpp"
#include "transcript.hpp"

namespace icon_command {
namespace {

using icon_geometry::FaceShape;
using icon_geometry::IconModel;
using icon_geometry::ModelTemplate;
using icon_geometry::ValidationIssue;
using testing::expectRefusal;
using testing::runTool;
using testing::TemporaryFolder;
using testing::Transcript;

std::string drawnIcon(const IconModel& model) {
    return IconCommand::iconSVG(model, icon_geometry::Camera::defaultCamera());
}

TEST(Dispatch, UsageTextsAndTheirExitCodes) {
    const std::vector<std::pair<Language, std::string>> languages{{Language::fr, "usage-fr.txt"},
                                                                  {Language::en, "usage-en.txt"}};
    for (const auto& [language, golden] : languages) {
        const Transcript bare = runTool({}, language);
        EXPECT_EQ(bare.code, 2);
        EXPECT_EQ(bare.err, "");
        testing::expectMatchesGolden(golden, bare.out);
        for (std::vector<std::string> arguments :
             std::vector<std::vector<std::string>>{{"aide"},
                                                   {"help"},
                                                   {"--help"},
                                                   {"-h"},
                                                   {"inconnu", "--aide"},
                                                   {"model", "--help", "--forme", "blob"},
                                                   {"gabarits", "--shape", "x", "--aide"}}) {
            // The aide flag wins over the command word and over options the
            // command would refuse.
            const Transcript help = runTool(arguments, language);
            EXPECT_EQ(help.code, 0) << arguments.front();
            EXPECT_EQ(help.out, bare.out) << arguments.front();
            EXPECT_EQ(help.err, "");
        }
    }
}

TEST(Dispatch, MalformedOptionsAreReportedBeforeTheCommandWord) {
    expectRefusal(runTool({"inconnu", "--oops"}, Language::fr), 2, "Option inconnue : --oops.");
    expectRefusal(runTool({"help", "--oops"}, Language::en), 2, "Unknown option: --oops.");
    expectRefusal(runTool({"icone", "-h", "--bevel=1"}, Language::en), 2, "Option --bevel takes no value.");
    expectRefusal(runTool({"inconnu"}, Language::fr), 2, "Commande inconnue : « inconnu ». L’aide : glyphctl aide.");
    expectRefusal(runTool({"Templates"}, Language::en), 2, "Unknown command: “Templates”. Help: glyphctl help.");
    // The command word is never read as an option.
    expectRefusal(runTool({"--largeur", "5"}, Language::en), 2, "Unknown command: “--largeur”. Help: glyphctl help.");
}

TEST(Dispatch, VersionCommand) {
    for (const std::string word : {"version", "--version"}) {
        const Transcript t = runTool({word}, Language::fr, "2.1 (build 57)");
        EXPECT_EQ(t.code, 0);
        EXPECT_EQ(t.out, "glyphctl 2.1 (build 57)\n");
    }
    EXPECT_EQ(runTool({"version"}, Language::en, "").out, "glyphctl \n");
}

TEST(TemplatesCommand, ListsNamesAndLabelsInTheChosenLanguage) {
    const Transcript french = runTool({"gabarits"}, Language::fr);
    EXPECT_EQ(french.code, 0);
    EXPECT_EQ(french.err, "");
    testing::expectMatchesGolden("templates-fr.txt", french.out);
    const Transcript english = runTool({"templates"}, Language::en);
    EXPECT_EQ(english.code, 0);
    testing::expectMatchesGolden("templates-en.txt", english.out);
    // Either command word, the language decides.
    EXPECT_EQ(runTool({"templates"}, Language::fr).out, french.out);

    expectRefusal(runTool({"templates", "--shape", "disque"}, Language::en), 2, "This command does not take --forme.");
    expectRefusal(runTool({"gabarits", "--biseau"}, Language::fr), 2, "Cette commande ne prend pas --biseau.");
}

TEST(ModelCommand, WritesTheModelJSONToStandardOutput) {
    const Transcript t = runTool({"model"}, Language::en);
    EXPECT_EQ(t.code, 0);
    EXPECT_EQ(t.err, "");
    ASSERT_TRUE(t.out.ends_with("}\n"));
    EXPECT_EQ(t.out, IconCommand::encodeModel(ModelTemplate(ModelTemplate::panel).model()).value() + "\n");
    EXPECT_EQ(icon_geometry::ModelInput::decode<IconModel>(t.out), ModelTemplate(ModelTemplate::panel).model());
    // Sorted keys, two-space indentation.
    EXPECT_TRUE(t.out.starts_with("{\n  \"orientation\"")) << t.out.substr(0, 40);
}

TEST(ModelCommand, WritesToAFileInNewFoldersAndReadsItBack) {
    TemporaryFolder folder;
    const std::string path = folder.file("nouveau/dossier/m.json");
    const Transcript written =
        runTool({"modele", "--gabarit", "thermostat-molette", "--orientation", "plafond", "--lacet", "33", "-o", path},
                Language::fr);
    EXPECT_EQ(written.code, 0);
    EXPECT_EQ(written.err, "");
    EXPECT_EQ(written.out, "Modèle écrit : " + path + "\n");

    IconModel expected = ModelTemplate(ModelTemplate::dialThermostat).model();
    expected.orientation = icon_geometry::Orientation::ceiling;
    expected.camera = icon_geometry::Camera{33, 0, 2.5};
    EXPECT_EQ(icon_geometry::ModelInput::decode<IconModel>(testing::readText(path)), expected);

    // Read back without settings, the same model comes out.
    const Transcript again = runTool({"model", "--model", path}, Language::en);
    EXPECT_EQ(again.code, 0);
    EXPECT_EQ(again.out, testing::readText(path) + "\n");
    EXPECT_EQ(runTool({"model", "--model", path, "--output=" + folder.file("copy.json")}, Language::en).out,
              "Model written: " + folder.file("copy.json") + "\n");
}

TEST(ModelCommand, RefusalsWriteNothing) {
    TemporaryFolder folder;
    testing::writeText(folder.file("file"), "");
    const std::string blocked = folder.file("file/m.json");
    expectRefusal(runTool({"model", "-o", blocked}, Language::en), 3, "Cannot write " + blocked + ".");
    expectRefusal(runTool({"modele", "-o", blocked}, Language::fr), 3, "Impossible d’écrire " + blocked + ".");

    const std::string out = folder.file("m.json");
    expectRefusal(runTool({"model", "--forme", "blob", "-o", out}, Language::en), 2,
                  "Unknown shape: “blob”. Shapes: rectangle, superellipse, disc, ellipse, capsule.");
    expectRefusal(runTool({"model", "--photo", "x.jpg", "-o", out}, Language::en), 2,
                  "This command does not take --photo.");
    expectRefusal(runTool({"model", "--write"}, Language::en), 2, "This command does not take --ecrire.");
    expectRefusal(runTool({"model", "--modele", folder.file("file"), "-o", out}, Language::en), 3,
                  folder.file("file") + " is not a readable icon model.");
    expectRefusal(runTool({"model", "--gabarit", "lampe", "-o", out}, Language::en), 2,
                  "Unknown template: “lampe”. The list: glyphctl templates.");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"file"});
}

TEST(ModelCommand, AModelItsReaderWouldRefuseIsNotWritten) {
    TemporaryFolder folder;
    const std::string out = folder.file("m.json");
    // A 1 × 1 face with radius 10000 would be scaled to radius 1e8: checked on the model as set.
    const IconModel faceOfOne = IconModel::withSingleBody({FaceShape::roundedRectangle(1, 1, 10000), 12});
    testing::writeText(folder.file("one.json"), IconCommand::encodeModel(faceOfOne).value());
    std::vector<std::string> fromFile{
        "model", "--modele", folder.file("one.json"), "--largeur", "10000", "--hauteur", "10000", "-o", out};
    expectRefusal(runTool(fromFile, Language::en), 2,
                  "The model cannot be stored: parts[0].solid.extruded._0.face.roundedRectangle.cornerRadius is "
                  "1e+08, outside -10,000 to 10,000.");
    fromFile[0] = "modele";
    expectRefusal(runTool(fromFile, Language::fr), 2,
                  "Modèle non enregistrable : parts[0].solid.extruded._0.face.roundedRectangle.cornerRadius vaut "
                  "1e+08, hors de -10 000 à 10 000.");
    fromFile.resize(fromFile.size() - 2);
    const Transcript printed = runTool(fromFile, Language::en);
    EXPECT_EQ(printed.code, 2);
    EXPECT_EQ(printed.out, "");
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"one.json"});
}

TEST(Messages, ArgumentsThatAreNotUTF8AreShownWithReplacementCharacters) {
    expectRefusal(runTool({"icon", "--gabarit", "\xff\xfe"}, Language::en), 2,
                  "Unknown template: “\uFFFD\uFFFD”. The list: glyphctl templates.");
    TemporaryFolder folder;
    const std::string name = folder.file("caf\xc3\xa9-\xe2\x82.svg");
    const Transcript written = runTool({"icon", "-o", name}, Language::en);
    EXPECT_EQ(written.out, "Icon written: " + folder.file("café-\uFFFD.svg") + "\n");
    // Overlong forms, surrogates and a lone continuation byte are each replaced.
    expectRefusal(runTool({"icon", "--gabarit", "\xc0\xaf\xed\xa0\x80\x80ok"}, Language::en), 2,
                  "Unknown template: “\uFFFD\uFFFD\uFFFD\uFFFD\uFFFD\uFFFDok”. The list: glyphctl templates.");
}

TEST(Messages, ControlCharactersInNamesAreShownAsReplacementCharacters) {
    // Escape sequences, line breaks and C1 controls would act on the terminal.
    expectRefusal(runTool({"icon", "--gabarit", "\x1b[31mred\nline\x7f\xc2\x9bx\xc2\xa0"}, Language::en), 2,
                  "Unknown template: “\uFFFD[31mred\uFFFDline\uFFFD\uFFFDx\u00A0”. The list: glyphctl templates.");
    expectRefusal(runTool({"icon", "--\x1b]0;title\x07"}, Language::en), 2, "Unknown option: --\uFFFD]0;title\uFFFD.");
}

TEST(IconCommand, TakesTheModelOptionsOnly) {
    expectRefusal(runTool({"icon", "--images", "x"}, Language::en), 2, "This command does not take --images.");
    expectRefusal(runTool({"icone", "--remplacer"}, Language::fr), 2, "Cette commande ne prend pas --remplacer.");
    expectRefusal(runTool({"icone", "--modele", "/nonexistent/m.json"}, Language::fr), 3,
                  "Impossible de lire /nonexistent/m.json.");
    expectRefusal(runTool({"icon", "--elevation", "6"}, Language::en), 2,
                  "Angle outside Athom’s style: yaw 25 to 40°, elevation 0 to 5°, distance 2.2 to 5.5 diagonals.");
}

TEST(IconCommand, WritesTheTemplatesIconToAFileOrStandardOutput) {
    const IconModel bulb = ModelTemplate(ModelTemplate::bulb).model();
    const std::string icon = drawnIcon(bulb);

    TemporaryFolder folder;
    const std::string path = folder.file("icons/ampoule.svg");
    const Transcript written = runTool({"icone", "--gabarit", "ampoule", "-o", path}, Language::fr);
    const icon_geometry::ValidationReport report = icon_geometry::SVGValidator::validateText(icon);
    EXPECT_EQ(written.code, report.issues.empty() ? 0 : 1);
    EXPECT_EQ(written.out, "Icône écrite : " + path + "\n");
    EXPECT_EQ(testing::readText(path), icon);
    EXPECT_TRUE(report.passes());

    const Transcript printed = runTool({"icon", "--template", "bulb"}, Language::en);
    EXPECT_EQ(printed.out, icon);  // nothing added
    EXPECT_EQ(printed.code, written.code);
}

TEST(IconCommand, ModelWrittenByTheModelCommandGivesTheTemplatesIcon) {
    TemporaryFolder folder;
    for (const ModelTemplate::Case modelTemplate : ModelTemplate::allCases) {
        const std::string name(ModelTemplate(modelTemplate).rawValue());
        const std::string model = folder.file(name + ".json");
        ASSERT_EQ(runTool({"model", "--template", name, "-o", model}, Language::en).code, 0);
        const Transcript fromTemplate = runTool({"icon", "--template", name}, Language::en);
        const Transcript fromModel = runTool({"icon", "--model", model}, Language::en);
        EXPECT_EQ(fromModel.out, fromTemplate.out) << name;
        EXPECT_EQ(fromModel.err, fromTemplate.err) << name;
        EXPECT_EQ(fromModel.code, fromTemplate.code) << name;
    }
}

TEST(IconCommand, OwnCameraChangesTheIcon) {
    const std::string standard = drawnIcon(ModelTemplate(ModelTemplate::panel).model());
    EXPECT_EQ(runTool({"icon"}, Language::en).out, standard);
    EXPECT_EQ(runTool({"icon", "--yaw", "29.5"}, Language::en).out, standard);
    EXPECT_NE(runTool({"icon", "--yaw", "40"}, Language::en).out, standard);
}

TEST(ValidatorFindings, DescribedByCaseNameAndPayload) {
    const std::vector<std::pair<ValidationIssue, std::string>> findings{
        {ValidationIssue::malformedDocument(), "malformedDocument"},
        {ValidationIssue::malformedPathData(17), "malformedPathData(offset: 17)"},
        {ValidationIssue::canvasSize(), "canvasSize"},
        {ValidationIssue::ellipticalArcs(2), "ellipticalArcs(count: 2)"},
        {ValidationIssue::zeroLengthSegments(1), "zeroLengthSegments(count: 1)"},
        {ValidationIssue::multipleColors({"#ff0000", "red"}), R"(multipleColors(["#ff0000", "red"]))"},
        {ValidationIssue::background(), "background"},
        {ValidationIssue::gradient(), "gradient"},
        {ValidationIssue::rasterImage(), "rasterImage"},
        {ValidationIssue::nonCanonicalCommands({"H", "V"}), R"(nonCanonicalCommands(["H", "V"]))"},
        {ValidationIssue::text(), "text"},
        {ValidationIssue::stroke(), "stroke"},
        {ValidationIssue::transform(), "transform"},
        {ValidationIssue::unsupportedElement("mask"), R"(unsupportedElement("mask"))"},
        {ValidationIssue::multipleColors({"a\"b", "c\\d", "e'f", "g\nh", std::string("\x01", 1)}),
         R"(multipleColors(["a\"b", "c\\d", "e\'f", "g\nh", "\u{1}"]))"},
    };
    for (const auto& [issue, description] : findings) {
        EXPECT_EQ(IconCommand::findingDescription(issue), description);
    }
}

TEST(ValidatorFindings, OneWarningLinePerFindingAndFailureWhenAny) {
    std::string out;
    std::string err;
    const Console console = testing::capturingConsole(out, err);
    EXPECT_EQ(IconCommand::reportFindings({}, console, Language::fr), ExitCode::success);
    EXPECT_EQ(err, "");
    const icon_geometry::ValidationReport report{{ValidationIssue::canvasSize(), ValidationIssue::stroke()}};
    EXPECT_EQ(IconCommand::reportFindings(report, console, Language::fr), ExitCode::failure);
    EXPECT_EQ(IconCommand::reportFindings({{ValidationIssue::ellipticalArcs(2)}}, console, Language::en),
              ExitCode::failure);
    EXPECT_EQ(err,
              "⚠︎ Constat du validateur : canvasSize\n"
              "⚠︎ Constat du validateur : stroke\n"
              "⚠︎ Validator finding: ellipticalArcs(count: 2)\n");
    EXPECT_EQ(out, "");
}

TEST(ErrorMapping, OtherErrorsAreFileErrorsWithTheirDescription) {
    std::string out;
    std::string err;
    // A console whose output fails stands for any error that is not a refusal.
    Console failing = testing::capturingConsole(out, err);
    failing.out = [](std::string_view) { throw std::runtime_error("disk full"); };
    EXPECT_EQ(IconCommand::run({"templates"}, failing, Language::en, ""), 3);
    EXPECT_EQ(err, "disk full\n");
}

}  // namespace
}  // namespace icon_command
