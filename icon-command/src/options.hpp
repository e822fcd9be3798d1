#pragma once

// The arguments after the command word, turned into positionals, valued options
// and flags. Options have one canonical French name; English names and short
// forms are aliases, and only canonical names are seen after parsing.

#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "icon_command/console.hpp"

namespace icon_command {

struct ParsedArguments {
    std::vector<std::string> positionals;
    // Canonical name → value as typed; the last occurrence wins.
    std::map<std::string, std::string, std::less<>> options;
    std::set<std::string, std::less<>> flags;

    bool hasOption(std::string_view name) const { return options.find(name) != options.end(); }
    bool hasFlag(std::string_view name) const { return flags.find(name) != flags.end(); }

    friend bool operator==(const ParsedArguments&, const ParsedArguments&) = default;
};

using NameSet = std::set<std::string, std::less<>>;

namespace IconCommand {

// Every accepted spelling → canonical name.
const std::map<std::string, std::string, std::less<>>& valuedOptionAliases();
const std::map<std::string, std::string, std::less<>>& flagAliases();

// Refuses a flag given a value, a valued option without one and an unknown
// option, naming the first; CommandError with code usage.
[[nodiscard]] ParsedArguments parseArguments(const std::vector<std::string>& arguments, Language language);

// Refuses the first option (then flag) the command does not take, in ascending
// name order; "aide" is taken by every command.
void checkAllowedOptions(const NameSet& valuedOptions, const NameSet& flags, Language language,
                         const ParsedArguments& parsed);

// The number of option `name`: nothing when absent; a decimal comma is accepted;
// refused when it is no finite number or its magnitude exceeds 10 000.
[[nodiscard]] std::optional<double> parseNumber(std::string_view name, Language language,
                                                const ParsedArguments& parsed);

}  // namespace IconCommand
}  // namespace icon_command
