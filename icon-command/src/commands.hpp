#pragma once

// The command handlers behind the dispatcher. Handlers only write through the
// console they are given and report refusals as CommandError.

#include <homey_project/compliance_report.hpp>
#include <homey_project/homey_project_error.hpp>
#include <icon_geometry/camera.hpp>
#include <icon_geometry/icon_model.hpp>
#include <icon_geometry/svg_validator.hpp>
#include <optional>
#include <photo_analysis/segmenter.hpp>
#include <string>
#include <vector>

#include "icon_command/console.hpp"
#include "options.hpp"

namespace icon_command::IconCommand {

// gabarits/templates: one line per template, its name padded to 22 characters,
// then its label.
[[nodiscard]] ExitCode listTemplates(const ParsedArguments& parsed, const Console& console, Language language);
// modele/model: the model's JSON, to a file with -o, else to standard output.
[[nodiscard]] ExitCode runModel(const ParsedArguments& parsed, const Console& console, Language language);
// icone/icon: the icon SVG, to a file with -o, else to standard output, then one
// warning per validator finding; failure when there was any.
[[nodiscard]] ExitCode runIcon(const ParsedArguments& parsed, const Console& console, Language language);

// images: the three driver images of a photo, written into -o or the working
// folder, then the images' faults as warnings and the reminder.
[[nodiscard]] ExitCode runImages(const ParsedArguments& parsed, const Console& console, Language language);
// controle/check: the compliance report of an icon file and, with --images, of
// the driver images in that folder; failure when a check failed.
[[nodiscard]] ExitCode runCheck(const ParsedArguments& parsed, const Console& console, Language language);
// pilote/driver: a driver of a project prepared from its stored model (or a
// template or model file) and a photo, its planned files and report shown, and
// written with --ecrire.
[[nodiscard]] ExitCode runDriver(const ParsedArguments& parsed, const Console& console, Language language);

// The driver images of a photo, with one line per fault found in them.
struct RenderedImages {
    homey_project::ComplianceReport::Images images;  // PNG bytes by size
    std::vector<std::string> issueLines;
};
// The photo cut out (the segmenter's cut-out, else the background path) and
// rendered at each size. Refuses an unreadable photo (fileError), a photo
// without subject and a failed rendering (failure). The texts name each image
// by the file it is for in `files`, else by the size's PNG name.
[[nodiscard]] RenderedImages renderImages(const std::string& photoPath, Language language,
                                          const homey_project::ImageNames& files = {});
[[nodiscard]] RenderedImages renderImages(const std::string& photoPath, Language language,
                                          const photo_analysis::Segmenter& segmenter,
                                          const homey_project::ImageNames& files = {});

// A project's failure to read a stored source, in the chosen language.
[[nodiscard]] std::string projectErrorMessage(const homey_project::HomeyProjectError& error, Language language);

// The model's JSON form, pretty-printed with sorted keys; nothing when it cannot
// be written (a number that is not finite).
[[nodiscard]] std::optional<std::string> encodeModel(const icon_geometry::IconModel& model);

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
