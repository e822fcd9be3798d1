#pragma once

// glyphctl's commands: the dispatcher with its usage texts and error mapping,
// and the command handlers. Handlers only write through the console they are
// given and report refusals as CommandError, so a caller (the program's entry
// or a test) decides where the output goes.

#include <cstdint>
#include <icon_geometry/camera.hpp>
#include <icon_geometry/icon_model.hpp>
#include <icon_geometry/svg_validator.hpp>
#include <string>
#include <string_view>
#include <vector>

#include "icon_command/console.hpp"
#include "icon_command/options.hpp"

namespace icon_command::IconCommand {

// Runs one command: the arguments without the program's name. Returns the
// process's exit code; every error has been written with `err` by then.
[[nodiscard]] std::int32_t run(const std::vector<std::string>& arguments, const Console& console, Language language,
                               std::string_view version);

// "2.1 (build 57)": this build's version, from the build's project settings.
std::string version();
// The short version and the build number joined; "" without a short version,
// an em dash in place of a missing build number.
std::string versionText(std::string_view shortVersion, std::string_view buildNumber);

// The usage text, without its final line feed.
std::string_view usageText(Language language);

// gabarits/templates: one line per template, its name padded to 22 characters,
// then its label.
[[nodiscard]] ExitCode listTemplates(const ParsedArguments& parsed, const Console& console, Language language);
// modele/model: the model's JSON, to a file with -o, else to standard output.
[[nodiscard]] ExitCode runModel(const ParsedArguments& parsed, const Console& console, Language language);
// icone/icon: the icon SVG, to a file with -o, else to standard output, then one
// warning per validator finding; failure when there was any.
[[nodiscard]] ExitCode runIcon(const ParsedArguments& parsed, const Console& console, Language language);

// The model's JSON form, pretty-printed with sorted keys; "" when it cannot be
// written (a number that is not finite).
std::string encodeModel(const icon_geometry::IconModel& model);

// The icon of a model, drawn with its own camera when it has one, else with the
// brand camera given.
std::string iconSVG(const icon_geometry::IconModel& model, const icon_geometry::Camera& brandCamera);

// One warning line per finding, warnings included; failure when there is any.
[[nodiscard]] ExitCode reportFindings(const icon_geometry::ValidationReport& report, const Console& console,
                                      Language language);

// A validator finding as the tool prints it: its case name, and any payload in
// parentheses ("ellipticalArcs(count: 2)", "unsupportedElement(\"mask\")").
std::string findingDescription(const icon_geometry::ValidationIssue& issue);

}  // namespace icon_command::IconCommand
