#pragma once

// The model the model, icon and driver commands start from (a model file, a
// template, the driver's stored model or a wall panel) and the command-line
// settings applied to it: face shape and size, depth, bevel, orientation and
// the driver's own camera.

#include <array>
#include <icon_geometry/icon_model.hpp>
#include <icon_geometry/model_template.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "icon_command/console.hpp"
#include "options.hpp"

namespace icon_command::IconCommand {

struct TemplateEntry {
    icon_geometry::ModelTemplate modelTemplate;
    std::string_view frenchName;
    std::string_view englishName;
    std::string_view frenchLabel;
    std::string_view englishLabel;

    std::string_view name(Language language) const { return language.choose(frenchName, englishName); }
    std::string_view label(Language language) const { return language.choose(frenchLabel, englishLabel); }
};

// The seven templates in template order, with their names and labels.
const std::array<TemplateEntry, 7>& templateTable();

// Canonical option names.
const NameSet& settingOptions();  // forme … epaisseur, orientation
const NameSet& faceOptions();     // forme, largeur, hauteur, rayon, exposant, epaisseur
const NameSet& angleOptions();    // lacet, elevation, distance
const NameSet& bevelFlags();      // biseau, sans-biseau

// The starting model with every setting applied; CommandError on any refusal.
[[nodiscard]] icon_geometry::IconModel startingModel(const ParsedArguments& parsed,
                                                     const std::optional<icon_geometry::IconModel>& storedModel,
                                                     Language language);

// By French name, English name or case name, in any letter case (code usage).
[[nodiscard]] icon_geometry::ModelTemplate templateNamed(std::string_view name, Language language);
// Through the guarded model input (code fileError).
[[nodiscard]] icon_geometry::IconModel readModelFile(const std::string& path, Language language);
// mur, plafond, pose and their synonyms in either language (code usage).
[[nodiscard]] icon_geometry::Orientation orientationNamed(std::string_view name, Language language);
// Face block, orientation, then camera, each refusal with its message (code usage).
void applySettings(const ParsedArguments& parsed, icon_geometry::IconModel& model, Language language);

// Lower case as the tool compares names: every letter that has a lower case
// among those that can spell one of its words (ASCII, Latin-1, the Kelvin and
// ångström signs), with a decomposed "é" composed.
std::string foldedName(std::string_view text);

}  // namespace icon_command::IconCommand
