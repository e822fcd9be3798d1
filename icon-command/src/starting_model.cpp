#include "starting_model.hpp"

#include <sys/stat.h>

#include <algorithm>
#include <exception>
#include <file_access/bounded_read.hpp>
#include <icon_geometry/model_input.hpp>

#include "icon_command/files.hpp"
#include "messages.hpp"

namespace icon_command::IconCommand {

namespace {

using icon_geometry::Camera;
using icon_geometry::ExtrudedBody;
using icon_geometry::FaceShape;
using icon_geometry::IconModel;
using icon_geometry::ModelTemplate;
using icon_geometry::Orientation;

// Model files are text files: read through the project's bounded reader, at
// most 16 MiB, regular files only.
constexpr std::size_t modelFileLimit = file_access::textFileLimit;

std::string lowerCaseCaseName(std::string_view caseName) {
    std::string name(caseName);
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

bool anyOption(const ParsedArguments& parsed, const NameSet& names) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return parsed.hasOption(n); });
}

bool anyFlag(const ParsedArguments& parsed, const NameSet& names) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return parsed.hasFlag(n); });
}

void applyFaceSettings(const ParsedArguments& parsed, IconModel& model, Language language) {
    if (!model.hasExtrudedPrimaryBody()) {
        refuse(
            std::string(language.choose("Ce modèle n’a pas de face à régler : son corps principal est de révolution.",
                                        "This model has no face to adjust: its main body is a body of revolution.")));
    }
    ExtrudedBody body = *model.parts.front().solid.extrudedBody();
    const icon_geometry::Rect box = body.face.outline().bounds();

    const std::optional<double> largeur = parseNumber("largeur", language, parsed);
    const std::optional<double> hauteur = parseNumber("hauteur", language, parsed);
    const double width = largeur.value_or(box.width);
    const double height = hauteur.value_or(box.height);
    if (!(width > 0 && height > 0)) {
        refuse(std::string(
            language.choose("La largeur et la hauteur doivent être positives.", "Width and height must be positive.")));
    }
    const std::optional<double> radius = parseNumber("rayon", language, parsed);
    const std::optional<double> exponent = parseNumber("exposant", language, parsed);

    if (const auto forme = parsed.options.find("forme"); forme != parsed.options.end()) {
        const std::string shape = foldedName(forme->second);
        if (shape == "rectangle" || shape == "rectangle-arrondi" || shape == "rounded-rectangle") {
            const double cornerRadius = radius.value_or(0.08 * std::min(width, height));
            body.face = FaceShape::roundedRectangle(width, height, std::max(cornerRadius, 0.0));
        } else if (shape == "superellipse" || shape == "squircle") {
            body.face = FaceShape::superellipse(width, height, std::max(exponent.value_or(4), 1.2));
        } else if (shape == "disque" || shape == "disc" || shape == "disk" || shape == "ellipse") {
            body.face = FaceShape::ellipse(width, height);
        } else if (shape == "capsule") {
            body.face = FaceShape::capsule(width, height);
        } else {
            refuse(concat({language.choose("Forme inconnue : ", "Unknown shape: "), quoted(forme->second, language),
                           language.choose(". Formes : rectangle, superellipse, disque, ellipse, capsule.",
                                           ". Shapes: rectangle, superellipse, disc, ellipse, capsule.")}));
        }
    } else {
        body.face = body.face.scaled(width / std::max(box.width, 1e-9), height / std::max(box.height, 1e-9));
        auto* rounded = std::get_if<FaceShape::RoundedRectangle>(&body.face.value);
        auto* superellipse = std::get_if<FaceShape::Superellipse>(&body.face.value);
        if (radius && rounded) {
            rounded->cornerRadius = std::max(*radius, 0.0);
        } else if (exponent && superellipse) {
            superellipse->exponent = std::max(*exponent, 1.2);
        }
    }

    if (const std::optional<double> depth = parseNumber("epaisseur", language, parsed)) {
        if (!(*depth > 0))
            refuse(std::string(language.choose("L’épaisseur doit être positive.", "Depth must be positive.")));
        body.depth = *depth;
    }
    if (parsed.hasFlag("biseau")) body.bevel = body.bevel.value_or(ExtrudedBody::defaultBevel);
    if (parsed.hasFlag("sans-biseau")) body.bevel.reset();

    model.parts.front().solid = icon_geometry::Solid::extruded(std::move(body));
}

void applyCameraSettings(const ParsedArguments& parsed, IconModel& model, Language language) {
    Camera camera = model.camera.value_or(Camera::defaultCamera());
    if (const auto yaw = parseNumber("lacet", language, parsed)) camera.yawDegrees = *yaw;
    if (const auto elevation = parseNumber("elevation", language, parsed)) camera.elevationDegrees = *elevation;
    if (const auto distance = parseNumber("distance", language, parsed)) camera.distanceInDiagonals = *distance;
    if (!camera.isWithinRanges()) {
        refuse(std::string(language.choose(
            "Angle hors du style d’Athom : lacet de 25 à 40°, élévation de 0 à 5°, distance de 2,2 à 5,5 diagonales.",
            "Angle outside Athom’s style: yaw 25 to 40°, elevation 0 to 5°, distance 2.2 to 5.5 diagonals.")));
    }
    model.camera = camera;
}

}  // namespace

const std::array<TemplateEntry, 7>& templateTable() {
    static const std::array<TemplateEntry, 7> table{{
        {ModelTemplate::panel, "panneau", "panel", "Panneau mural de 86 × 86", "86 × 86 wall panel"},
        {ModelTemplate::bulb, "ampoule", "bulb", "Ampoule A60, culot E27", "A60 bulb, E27 base"},
        {ModelTemplate::filamentBulb, "ampoule-filament", "filament-bulb", "Ampoule A60 à filament",
         "A60 filament bulb"},
        {ModelTemplate::radiatorHead, "tete-thermostatique", "radiator-head", "Tête thermostatique de radiateur",
         "Radiator valve head"},
        {ModelTemplate::dialThermostat, "thermostat-molette", "dial-thermostat", "Thermostat mural à molette",
         "Wall dial thermostat"},
        {ModelTemplate::contactSensor, "capteur-ouverture", "contact-sensor", "Capteur d’ouverture et son aimant",
         "Contact sensor and its magnet"},
        {ModelTemplate::ceilingDetector, "detecteur-plafond", "ceiling-detector", "Détecteur au plafond",
         "Ceiling detector"},
    }};
    return table;
}

const NameSet& settingOptions() {
    static const NameSet names{"forme", "largeur", "hauteur", "rayon", "exposant", "epaisseur", "orientation"};
    return names;
}
const NameSet& faceOptions() {
    static const NameSet names{"forme", "largeur", "hauteur", "rayon", "exposant", "epaisseur"};
    return names;
}
const NameSet& angleOptions() {
    static const NameSet names{"lacet", "elevation", "distance"};
    return names;
}
const NameSet& bevelFlags() {
    static const NameSet names{"biseau", "sans-biseau"};
    return names;
}

std::string foldedName(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const std::string_view rest = text.substr(i);
        if (byte >= 'A' && byte <= 'Z') {
            folded += static_cast<char>(byte - 'A' + 'a');
        } else if (byte == 0xC3 && i + 1 < text.size() && static_cast<unsigned char>(text[i + 1]) >= 0x80 &&
                   static_cast<unsigned char>(text[i + 1]) <= 0x9E && static_cast<unsigned char>(text[i + 1]) != 0x97) {
            // À to Þ (U+00C0 to U+00DE, but ×) have their lower case 0x20 further on.
            folded += '\xC3';
            folded += static_cast<char>(static_cast<unsigned char>(text[i + 1]) + 0x20);
            ++i;
        } else if (rest.starts_with("\u212A")) {  // Kelvin sign
            folded += 'k';
            i += 2;
        } else if (rest.starts_with("\u212B")) {  // Ångström sign
            folded += "\u00E5";
            i += 2;
        } else if (rest.starts_with("\u0301") && !folded.empty() && folded.back() == 'e') {
            folded.back() = '\xC3';
            folded += '\xA9';  // e + combining acute is é
            i += 1;
        } else {
            folded += static_cast<char>(byte);
        }
    }
    return folded;
}

ModelTemplate templateNamed(std::string_view name, Language language) {
    const std::string folded = foldedName(name);
    for (const TemplateEntry& entry : templateTable()) {
        if (folded == entry.frenchName || folded == entry.englishName ||
            folded == lowerCaseCaseName(entry.modelTemplate.rawValue())) {
            return entry.modelTemplate;
        }
    }
    refuse(concat({language.choose("Gabarit inconnu : ", "Unknown template: "), quoted(name, language),
                   language.choose(". La liste : glyphctl gabarits.", ". The list: glyphctl templates.")}));
}

IconModel readModelFile(const std::string& path, Language language) {
    const auto unreadable = [&] {
        return CommandError(concat({displayed(path), language.choose(" n’est pas un modèle d’icône lisible.",
                                                                     " is not a readable icon model.")}),
                            ExitCode::fileError);
    };
    const std::optional<std::string> bytes = readFile(path, modelFileLimit);
    if (!bytes) {
        // A missing file, a folder or a file that refuses reading cannot be read;
        // anything else (a pipe, a device, a file over the limit) is no model.
        struct stat status {};
        const bool found = ::stat(path.c_str(), &status) == 0;
        if (!found || S_ISDIR(status.st_mode) ||
            (S_ISREG(status.st_mode) && static_cast<std::uintmax_t>(status.st_size) <= modelFileLimit)) {
            throw CommandError(concat({language.choose("Impossible de lire ", "Cannot read "), displayed(path), "."}),
                               ExitCode::fileError);
        }
        throw unreadable();
    }
    try {
        return icon_geometry::ModelInput::decode<IconModel>(*bytes);
    } catch (const icon_geometry::json::DecodingError&) {
        // Syntax, bounds, decoding and a newer model all read the same to the user.
        throw unreadable();
    } catch (const icon_geometry::ModelInput::Failure&) {
        throw unreadable();
    }
}

Orientation orientationNamed(std::string_view name, Language language) {
    const std::string folded = foldedName(name);
    if (folded == "mur" || folded == "mural" || folded == "wall") return Orientation::wall;
    if (folded == "plafond" || folded == "ceiling") return Orientation::ceiling;
    if (folded == "pose" || folded == "posé" || folded == "sol" || folded == "floor" || folded == "standing") {
        return Orientation::floor;
    }
    refuse(concat({language.choose("Orientation inconnue : ", "Unknown orientation: "), quoted(name, language),
                   language.choose(". Orientations : mur, plafond, pose.", ". Orientations: wall, ceiling, floor.")}));
}

void applySettings(const ParsedArguments& parsed, IconModel& model, Language language) {
    if (anyOption(parsed, faceOptions()) || anyFlag(parsed, bevelFlags())) {
        applyFaceSettings(parsed, model, language);
    }
    if (const auto orientation = parsed.options.find("orientation"); orientation != parsed.options.end()) {
        model.orientation = orientationNamed(orientation->second, language);
    }
    if (anyOption(parsed, angleOptions())) applyCameraSettings(parsed, model, language);
}

IconModel startingModel(const ParsedArguments& parsed, const std::optional<IconModel>& storedModel, Language language) {
    IconModel model;
    if (const auto file = parsed.options.find("modele"); file != parsed.options.end()) {
        model = readModelFile(file->second, language);
    } else if (const auto name = parsed.options.find("gabarit"); name != parsed.options.end()) {
        model = templateNamed(name->second, language).model();
    } else if (storedModel) {
        model = *storedModel;
    } else {
        model = ModelTemplate(ModelTemplate::panel).model();
    }
    applySettings(parsed, model, language);
    return model;
}

}  // namespace icon_command::IconCommand
