#include "icon_command/options.hpp"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

#include "messages.hpp"

namespace icon_command::IconCommand {

namespace {

using AliasMap = std::map<std::string, std::string, std::less<>>;

AliasMap makeAliases(std::initializer_list<std::pair<std::string_view, std::initializer_list<std::string_view>>> rows) {
    AliasMap aliases;
    for (const auto& [canonical, spellings] : rows) {
        for (std::string_view spelling : spellings) aliases.emplace(spelling, canonical);
    }
    return aliases;
}

bool isDigit(char c, bool hex) {
    if (c >= '0' && c <= '9') return true;
    return hex && ((c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'));
}

// Whether a number that from_chars found out of range is huge rather than tiny:
// the place of its leading digit plus its exponent is not negative.
bool overflows(std::string_view number, bool hex) {
    long wholeDigits = 0;
    long zerosAfterPoint = 0;
    bool significant = false;
    bool afterPoint = false;
    std::size_t i = 0;
    for (; i < number.size(); ++i) {
        const char c = number[i];
        if (c == '.') {
            afterPoint = true;
            continue;
        }
        if (!isDigit(c, hex)) break;
        if (c != '0') significant = true;
        if (!afterPoint && significant) ++wholeDigits;
        if (afterPoint && !significant) ++zerosAfterPoint;
    }
    long exponent = 0;
    if (i < number.size()) {
        ++i;  // the exponent letter
        bool negative = false;
        if (i < number.size() && (number[i] == '+' || number[i] == '-')) negative = number[i++] == '-';
        for (; i < number.size() && number[i] >= '0' && number[i] <= '9'; ++i) {
            exponent = std::min(exponent * 10 + (number[i] - '0'), 1'000'000'000L);
        }
        if (negative) exponent = -exponent;
    }
    const long place = wholeDigits > 0 ? wholeDigits - 1 : -(zerosAfterPoint + 1);
    return place * (hex ? 4 : 1) + exponent >= 0;
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

std::optional<double> readNumber(std::string_view text) {
    std::string_view rest = text;
    bool negative = false;
    if (!rest.empty() && (rest.front() == '+' || rest.front() == '-')) {
        negative = rest.front() == '-';
        rest.remove_prefix(1);
    }
    // from_chars takes a sign of its own, which strtod would not after ours.
    if (rest.empty() || rest.front() == '+' || rest.front() == '-') return std::nullopt;

    bool hex = false;
    if (rest.size() > 2 && rest[0] == '0' && (rest[1] == 'x' || rest[1] == 'X') &&
        (isDigit(rest[2], true) || (rest[2] == '.' && rest.size() > 3 && isDigit(rest[3], true)))) {
        hex = true;
        rest.remove_prefix(2);
    }
    double value = 0;
    const auto [end, error] = std::from_chars(rest.data(), rest.data() + rest.size(), value,
                                              hex ? std::chars_format::hex : std::chars_format::general);
    if (end != rest.data() + rest.size()) return std::nullopt;
    if (error == std::errc::result_out_of_range) {
        value = overflows(rest, hex) ? std::numeric_limits<double>::infinity() : 0.0;
    } else if (error != std::errc()) {
        return std::nullopt;
    }
    return negative ? -value : value;
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
                refuse(concat({language.choose("L’option --", "Option --"), typed,
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
            refuse(concat({language.choose("Option inconnue : ", "Unknown option: "), argument, "."}));
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
