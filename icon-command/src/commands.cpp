#include "commands.hpp"

#include <algorithm>
#include <exception>
#include <functional>
#include <glyphsmith_version.hpp>
#include <icon_geometry/icon_model_coding.hpp>
#include <icon_geometry/json.hpp>
#include <icon_geometry/model_input.hpp>
#include <map>

#include "icon_command/files.hpp"
#include "icon_command/icon_command.hpp"
#include "messages.hpp"
#include "starting_model.hpp"

namespace icon_command::IconCommand {

namespace {

using icon_geometry::IconModel;
using icon_geometry::ValidationIssue;

constexpr std::string_view frenchUsage = R"(glyphctl — icônes de pilote Homey au style d’Athom, en ligne de commande.

Commandes :
  gabarits                      Liste les gabarits d’objets.
  modele   [options] -o m.json  Écrit un modèle d’icône (JSON), à reprendre dans l’app.
  icone    [options] [-o f.svg] Produit l’icône SVG ; sans -o, l’écrit sur la sortie standard.
  images   <photo> [-o dossier] Détoure la photo et produit small.png, large.png et xlarge.png.
  controle <icone.svg> [--images dossier]
                                Rapport de conformité de l’icône et des images.
  pilote   <dossier de l’app> <id du pilote> [options] [--photo face.jpg] [--ecrire] [--remplacer]
                                Prépare l’icône, les images et le modèle d’un pilote. Sans --ecrire,
                                montre seulement les fichiers prévus et le rapport.

Modèle de départ (modele, icone, pilote) :
  --modele m.json       un modèle enregistré par l’app ou par « glyphctl modele »
  --gabarit nom         un gabarit (voir « glyphctl gabarits »)
                        à défaut : le modèle du pilote dans le projet, ou un panneau mural

Réglages :
  --forme f             rectangle, superellipse, disque, ellipse ou capsule
  --largeur, --hauteur, --epaisseur, --rayon  cotes en millimètres
  --exposant n          exposant d’une superellipse (4 par défaut)
  --biseau, --sans-biseau
  --orientation o       mur, plafond ou pose
  --lacet, --elevation, --distance  angle propre au pilote (sinon, celui de la marque)

Codes de sortie : 0 réussite, 1 contrôle en échec ou écriture refusée,
2 commande mal formée, 3 fichier illisible ou impossible à écrire.

Exemples :
  glyphctl icone --forme disque --largeur 64 --hauteur 64 --epaisseur 29.5 -o fp2.svg
  glyphctl icone --gabarit ampoule -o ampoule.svg
  glyphctl pilote ~/Projets/mon-app capteur --gabarit capteur-ouverture --photo capteur.jpg --ecrire)";

constexpr std::string_view englishUsage = R"(glyphctl — Homey driver icons in Athom’s style, from the command line.

Commands:
  templates                     Lists the device templates.
  model    [options] -o m.json  Writes an icon model (JSON), to open again in the app.
  icon     [options] [-o f.svg] Produces the SVG icon; without -o, writes it to standard output.
  images   <photo> [-o folder]  Cuts out the photo and produces small.png, large.png and xlarge.png.
  check    <icon.svg> [--images folder]
                                Compliance report for the icon and the images.
  driver   <app folder> <driver id> [options] [--photo face.jpg] [--write] [--overwrite]
                                Prepares a driver’s icon, images and model. Without --write,
                                only shows the planned files and the report.

Starting model (model, icon, driver):
  --model m.json        a model saved by the app or by “glyphctl model”
  --template name       a template (see “glyphctl templates”)
                        otherwise: the driver’s model in the project, or a wall panel

Settings:
  --shape s             rectangle, superellipse, disc, ellipse or capsule
  --width, --height, --depth, --radius  dimensions in millimetres
  --exponent n          superellipse exponent (4 by default)
  --bevel, --no-bevel
  --orientation o       wall, ceiling or floor
  --yaw, --elevation, --distance  the driver’s own angle (otherwise the brand’s)

Exit codes: 0 success, 1 failed check or refused write,
2 malformed command, 3 unreadable or unwritable file.

Examples:
  glyphctl icon --shape disc --width 64 --height 64 --depth 29.5 -o fp2.svg
  glyphctl icon --template bulb -o bulb.svg
  glyphctl driver ~/Projects/my-app sensor --template contact-sensor --photo sensor.jpg --write)";

// Template names are padded to this width in the templates list.
constexpr std::size_t templateNameColumn = 22;

NameSet modelOptions() {
    NameSet options = settingOptions();
    options.insert(angleOptions().begin(), angleOptions().end());
    options.insert({"modele", "gabarit", "sortie"});
    return options;
}

// A text as a quoted literal in a finding: double quotes, with quotes,
// backslashes and control characters escaped.
std::string quotedLiteral(std::string_view text) {
    std::string literal = "\"";
    for (const char c : text) {
        switch (c) {
            case '"':
                literal += "\\\"";
                break;
            case '\'':
                literal += "\\'";
                break;
            case '\\':
                literal += "\\\\";
                break;
            case '\n':
                literal += "\\n";
                break;
            case '\r':
                literal += "\\r";
                break;
            case '\t':
                literal += "\\t";
                break;
            case '\0':
                literal += "\\0";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
                    constexpr std::string_view hex = "0123456789abcdef";
                    const auto byte = static_cast<unsigned char>(c);
                    literal += "\\u{";
                    if (byte >= 0x10) literal += hex[byte >> 4];
                    literal += hex[byte & 0xF];
                    literal += '}';
                } else {
                    literal += c;
                }
        }
    }
    return literal + "\"";
}

std::string quotedList(const std::vector<std::string>& texts) {
    std::string list = "[";
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (i > 0) list += ", ";
        list += quotedLiteral(texts[i]);
    }
    return list + "]";
}

// A whole number of the reader's limits as the messages write it: "10 000" in
// French, "10,000" in English.
std::string limitText(double limit, Language language) {
    std::string digits = std::to_string(static_cast<long long>(limit));
    const std::string_view separator = language.choose(" ", ",");
    for (std::size_t i = digits.size(); i > 3; i -= 3) digits.insert(i - 3, separator);
    return digits;
}

// The refusal of a model its own reader would refuse, naming the value.
std::string storageRefusal(const icon_geometry::ModelInput::StorageProblem& problem, Language language) {
    namespace input = icon_geometry::ModelInput;
    using Kind = input::StorageProblem::Kind;
    const std::string where =
        problem.codingPath.empty() ? std::string(language.choose("le modèle", "the model")) : problem.codingPath;
    const std::string value = icon_geometry::json::formatNumber(problem.value);
    const std::string_view lead = language.choose("Modèle non enregistrable : ", "The model cannot be stored: ");
    switch (problem.kind) {
        case Kind::magnitude: {
            const std::string limit = limitText(input::maximumMagnitude, language);
            return concat({lead, where, language.choose(" vaut ", " is "), value,
                           language.choose(", hors de -", ", outside -"), limit, language.choose(" à ", " to "), limit,
                           "."});
        }
        case Kind::entries:
            return concat({lead, where, language.choose(" compte ", " holds "), value,
                           language.choose(" éléments, plus de ", " entries, more than "),
                           limitText(static_cast<double>(input::maximumEntries), language), "."});
        case Kind::depth:
            return concat({lead, where, language.choose(" est imbriqué à la profondeur ", " is nested at depth "),
                           value, language.choose(", plus de ", ", more than "),
                           limitText(static_cast<double>(input::maximumDepth), language), "."});
        case Kind::unwritable:
            return concat({lead, where, language.choose(" n’est pas un nombre fini.", " is not a finite number.")});
        case Kind::unreadable:
            break;
    }
    return concat({lead, where, language.choose(" ne se relirait pas.", " would not read back.")});
}

}  // namespace

std::string versionText(std::string_view shortVersion, std::string_view buildNumber) {
    if (shortVersion.empty()) return "";
    return std::string(shortVersion) + " (build " + std::string(buildNumber.empty() ? "—" : buildNumber) + ")";
}

std::string version() {
    return versionText(glyphsmith::shortVersion, glyphsmith::buildNumber);
}

std::string_view usageText(Language language) {
    return language.choose(frenchUsage, englishUsage);
}

std::optional<std::string> encodeModel(const IconModel& model) {
    try {
        return icon_geometry::json::write(icon_geometry::json::encode(model));
    } catch (const icon_geometry::json::EncodingError&) {
        return std::nullopt;
    }
}

std::string_view standardOutputFailure(Language language) {
    return language.choose("Impossible d’écrire la sortie standard.", "Cannot write standard output.");
}

std::string findingDescription(const ValidationIssue& issue) {
    const auto count = [](std::string_view name, std::int64_t value) {
        return std::string(name) + "(count: " + std::to_string(value) + ")";
    };
    return std::visit(
        Overloaded{
            [](const ValidationIssue::MalformedDocument&) -> std::string { return "malformedDocument"; },
            [](const ValidationIssue::MalformedPathData& p) -> std::string {
                return "malformedPathData(offset: " + std::to_string(p.offset) + ")";
            },
            [](const ValidationIssue::CanvasSize&) -> std::string { return "canvasSize"; },
            [&](const ValidationIssue::EllipticalArcs& p) { return count("ellipticalArcs", p.count); },
            [&](const ValidationIssue::ZeroLengthSegments& p) { return count("zeroLengthSegments", p.count); },
            [](const ValidationIssue::MultipleColors& p) { return "multipleColors(" + quotedList(p.colors) + ")"; },
            [](const ValidationIssue::Background&) -> std::string { return "background"; },
            [](const ValidationIssue::Gradient&) -> std::string { return "gradient"; },
            [](const ValidationIssue::RasterImage&) -> std::string { return "rasterImage"; },
            [](const ValidationIssue::NonCanonicalCommands& p) {
                return "nonCanonicalCommands(" + quotedList(p.letters) + ")";
            },
            [](const ValidationIssue::Text&) -> std::string { return "text"; },
            [](const ValidationIssue::Stroke&) -> std::string { return "stroke"; },
            [](const ValidationIssue::Transform&) -> std::string { return "transform"; },
            [](const ValidationIssue::UnsupportedElement& p) {
                return "unsupportedElement(" + quotedLiteral(p.name) + ")";
            },
        },
        issue.value);
}

ExitCode listTemplates(const ParsedArguments& parsed, const Console& console, Language language) {
    checkAllowedOptions({}, {}, language, parsed);
    for (const TemplateEntry& entry : templateTable()) {
        std::string line(entry.name(language).substr(0, templateNameColumn));
        line.resize(templateNameColumn, ' ');
        line += entry.label(language);
        console.out(line);
    }
    return ExitCode::success;
}

ExitCode runModel(const ParsedArguments& parsed, const Console& console, Language language) {
    checkAllowedOptions(modelOptions(), bevelFlags(), language, parsed);
    const IconModel model = startingModel(parsed, std::nullopt, language);
    const auto output = parsed.options.find("sortie");
    const bool toFile = output != parsed.options.end();
    // Nothing is written that the model reader would refuse.
    if (const auto problem = icon_geometry::ModelInput::storageProblem(model)) {
        refuse(storageRefusal(*problem, language));
    }
    const std::optional<std::string> document = encodeModel(model);
    if (!document) {
        throw CommandError(
            toFile ? writeFailure(output->second, language) : std::string(standardOutputFailure(language)),
            ExitCode::fileError);
    }
    if (toFile) {
        writeFile(*document, output->second, language);
        console.out(std::string(language.choose("Modèle écrit : ", "Model written: ")) + displayed(output->second));
    } else {
        console.data(*document + "\n");
    }
    return ExitCode::success;
}

ExitCode runIcon(const ParsedArguments& parsed, const Console& console, Language language) {
    checkAllowedOptions(modelOptions(), bevelFlags(), language, parsed);
    const IconModel model = startingModel(parsed, std::nullopt, language);
    const std::string svg = iconSVG(model, icon_geometry::Camera::defaultCamera());
    const icon_geometry::ValidationReport report = icon_geometry::SVGValidator::validateText(svg);
    const auto output = parsed.options.find("sortie");
    if (svg.empty()) {
        throw CommandError(output != parsed.options.end() ? writeFailure(output->second, language)
                                                          : std::string(standardOutputFailure(language)),
                           ExitCode::fileError);
    }
    if (output != parsed.options.end()) {
        writeFile(svg, output->second, language);
        console.out(std::string(language.choose("Icône écrite : ", "Icon written: ")) + displayed(output->second));
    } else {
        console.data(svg);
    }
    return reportFindings(report, console, language);
}

ExitCode reportFindings(const icon_geometry::ValidationReport& report, const Console& console, Language language) {
    for (const ValidationIssue& issue : report.issues) {
        console.err(std::string(language.choose("⚠︎ Constat du validateur : ", "⚠︎ Validator finding: ")) +
                    findingDescription(issue));
    }
    return report.issues.empty() ? ExitCode::success : ExitCode::failure;
}

std::int32_t run(const std::vector<std::string>& arguments, const Console& console, Language language,
                 std::string_view version) {
    if (arguments.empty()) {
        console.out(usageText(language));
        return ExitCode::usage;
    }
    const std::string& command = arguments.front();
    using Handler = ExitCode (*)(const ParsedArguments&, const Console&, Language);
    static const std::map<std::string, Handler, std::less<>> handlers{
        {"gabarits", listTemplates}, {"templates", listTemplates}, {"modele", runModel},
        {"model", runModel},         {"icone", runIcon},           {"icon", runIcon},
        {"images", runImages},       {"controle", runCheck},       {"check", runCheck},
        {"pilote", runDriver},       {"driver", runDriver},
    };
    try {
        const ParsedArguments parsed =
            parseArguments(std::vector<std::string>(arguments.begin() + 1, arguments.end()), language);
        if (parsed.hasFlag("aide") || command == "aide" || command == "help" || command == "--help" ||
            command == "-h") {
            console.out(usageText(language));
            return ExitCode::success;
        }
        if (command == "version" || command == "--version") {
            console.out("glyphctl " + std::string(version));
            return ExitCode::success;
        }
        if (const auto handler = handlers.find(command); handler != handlers.end()) {
            return handler->second(parsed, console, language).rawValue();
        }
        refuse(concat({language.choose("Commande inconnue : ", "Unknown command: "), quoted(command, language),
                       language.choose(". L’aide : glyphctl aide.", ". Help: glyphctl help.")}));
    } catch (const CommandError& error) {
        console.err(error.message);
        return error.code.rawValue();
    } catch (const std::exception& error) {
        console.err(displayed(error.what()));
        return ExitCode::fileError;
    } catch (...) {
        console.err("Unknown error.");
        return ExitCode::fileError;
    }
}

}  // namespace icon_command::IconCommand
