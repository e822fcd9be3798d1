#pragma once

// glyphctl's commands: the dispatcher with its usage texts and error mapping.
// Commands only write through the console they are given, so a caller (the
// program's entry or a test) decides where the output goes.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "icon_command/console.hpp"

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

// The message for output that did not reach standard output.
std::string_view standardOutputFailure(Language language);

// The usage text, without its final line feed.
std::string_view usageText(Language language);

}  // namespace icon_command::IconCommand
