#include "options.hpp"

#include <algorithm>
#include <cmath>
#include <limits>

#include "icon_geometry/number_reader.hpp"
#include "messages.hpp"

namespace icon_command::IconCommand {

using icon_geometry::readNumber;

namespace {

using AliasMap = std::map<std::string, std::string, std::less<>>;

AliasMap makeAliases(std::initializer_list<std::pair<std::string_view, std::initializer_list<std::string_view>>> rows) {
    AliasMap aliases;
    for (const auto& [canonical, spellings] : rows) {
        for (std::string_view spelling : spellings) aliases.emplace(spelling, canonical);
    }
    return aliases;
}

}  // namespace

const AliasMap& valuedOptionAliases() {
    static const AliasMap aliases = makeAliases({
        {"sortie", {"sortie", "output", "o"}},
        {"gabarit", {"gabarit", "template"}},
        {"modele", {"modele", "model"}},
        {"forme", {"forme", "shape"}},
        {"largeur", {"largeur", "width"}},
        {"hauteur", {"hauteur", "height"}},
        {"rayon", {"rayon", "radius"}},
        {"exposant", {"exposant", "exponent"}},
        {"epaisseur", {"epaisseur", "depth"}},
        {"orientation", {"orientation"}},
        {"lacet", {"lacet", "yaw"}},
        {"elevation", {"elevation"}},
        {"distance", {"distance"}},
        {"photo", {"photo"}},
        {"images", {"images"}},
    });
    return aliases;
}

const AliasMap& flagAliases() {
    static const AliasMap aliases = makeAliases({
        {"biseau", {"biseau", "bevel"}},
        {"sans-biseau", {"sans-biseau", "no-bevel"}},
        {"ecrire", {"ecrire", "write"}},
        {"remplacer", {"remplacer", "overwrite"}},
        {"aide", {"aide", "help", "h"}},
    });
    return aliases;
}

ParsedArguments parseArguments(const std::vector<std::string>& arguments, Language language) {
    ParsedArguments parsed;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!argument.starts_with('-') || argument.size() < 2 || readNumber(argument)) {
            parsed.positionals.push_back(argument);
            continue;
        }
        std::string_view body = argument;
        body.remove_prefix(std::min(body.find_first_not_of('-'), body.size()));
        const std::size_t equals = body.find('=');
        const std::string_view typed = body.substr(0, equals);
        const bool hasAttached = equals != std::string_view::npos;
        const std::string_view attached = hasAttached ? body.substr(equals + 1) : std::string_view();

        if (const auto flag = flagAliases().find(typed); flag != flagAliases().end()) {
            if (hasAttached) {
                refuse(concat({language.choose("L’option --", "Option --"), displayed(typed),
                               language.choose(" ne prend pas de valeur.", " takes no value.")}));
            }
            parsed.flags.insert(flag->second);
        } else if (const auto option = valuedOptionAliases().find(typed); option != valuedOptionAliases().end()) {
            std::string value;
            if (hasAttached) {
                value = attached;
            } else if (i + 1 < arguments.size()) {
                value = arguments[++i];
            } else {
                refuse(concat({language.choose("L’option --", "Option --"), typed,
                               language.choose(" attend une valeur.", " needs a value.")}));
            }
            parsed.options.insert_or_assign(option->second, std::move(value));
        } else {
            refuse(concat({language.choose("Option inconnue : ", "Unknown option: "), displayed(argument), "."}));
        }
    }
    return parsed;
}

void checkAllowedOptions(const NameSet& valuedOptions, const NameSet& flags, Language language,
                         const ParsedArguments& parsed) {
    const auto refuseName = [&](std::string_view name) {
        refuse(concat({language.choose("Cette commande ne prend pas --", "This command does not take --"), name, "."}));
    };
    // Both containers iterate in ascending byte order, which is the order the
    // first refused name is chosen in.
    for (const auto& [name, value] : parsed.options) {
        if (!valuedOptions.contains(name)) refuseName(name);
    }
    for (const std::string& flag : parsed.flags) {
        if (flag != "aide" && !flags.contains(flag)) refuseName(flag);
    }
}

std::optional<double> parseNumber(std::string_view name, Language language, const ParsedArguments& parsed) {
    const auto it = parsed.options.find(name);
    if (it == parsed.options.end()) return std::nullopt;
    const std::string& typed = it->second;
    std::string text = typed;
    std::replace(text.begin(), text.end(), ',', '.');

    const std::optional<double> number = readNumber(text);
    if (!number || !std::isfinite(*number)) {
        refuse(concat({"--", name, language.choose(" attend un nombre, pas ", " needs a number, not "),
                       quoted(typed, language), "."}));
    }
    if (std::fabs(*number) > 10000) {
        refuse(concat({"--", name,
                       language.choose(" attend un nombre entre -10 000 et 10 000, pas ",
                                       " needs a number between -10,000 and 10,000, not "),
                       quoted(typed, language), "."}));
    }
    return number;
}

}  // namespace icon_command::IconCommand
