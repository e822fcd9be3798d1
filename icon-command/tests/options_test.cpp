#include "options.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "transcript.hpp"

namespace icon_command {
namespace {

using testing::refusal;

using IconCommand::checkAllowedOptions;
using IconCommand::parseArguments;
using IconCommand::parseNumber;

TEST(OptionParsing, EverySpellingAndDashCountGivesTheCanonicalName) {
    const std::vector<std::vector<std::string>> spellings{
        {"--largeur=64"}, {"--width", "64"}, {"-width=64"}, {"---largeur", "64"}};
    for (const auto& arguments : spellings) {
        const ParsedArguments parsed = parseArguments(arguments, Language::en);
        EXPECT_EQ(parsed.options, (decltype(parsed.options){{"largeur", "64"}})) << arguments.front();
        EXPECT_TRUE(parsed.positionals.empty());
    }
    EXPECT_EQ(IconCommand::valuedOptionAliases().size(), 26u);
    EXPECT_EQ(IconCommand::flagAliases().size(), 11u);
}

TEST(OptionParsing, TheNextArgumentIsTheValueWhateverItLooksLike) {
    EXPECT_EQ(parseArguments({"-o", "-5"}, Language::fr).options.at("sortie"), "-5");
    const ParsedArguments bevel = parseArguments({"-o", "--bevel"}, Language::fr);
    EXPECT_EQ(bevel.options.at("sortie"), "--bevel");
    EXPECT_TRUE(bevel.flags.empty());
    EXPECT_EQ(parseArguments({"--output="}, Language::fr).options.at("sortie"), "");
    EXPECT_EQ(parseArguments({"--forme=a=b"}, Language::fr).options.at("forme"), "a=b");
}

TEST(OptionParsing, LastValueWinsAndFlagsAreASet) {
    const ParsedArguments parsed =
        parseArguments({"--largeur", "10", "--bevel", "--width", "20", "--biseau"}, Language::en);
    EXPECT_EQ(parsed.options.at("largeur"), "20");
    EXPECT_EQ(parsed.flags, NameSet{"biseau"});
}

TEST(OptionParsing, LoneDashAndNumbersArePositionals) {
    const ParsedArguments parsed =
        parseArguments({"-", "-5", "-2.5e1", "-inf", "-nan", "photo.jpg", "--no-bevel", "x"}, Language::en);
    EXPECT_EQ(parsed.positionals, (std::vector<std::string>{"-", "-5", "-2.5e1", "-inf", "-nan", "photo.jpg", "x"}));
    EXPECT_EQ(parsed.flags, NameSet{"sans-biseau"});
}

TEST(OptionParsing, RefusalsNameTheTypedOption) {
    struct Case {
        std::vector<std::string> arguments;
        Language language;
        std::string message;
    };
    const std::vector<Case> cases{
        {{"--bevel=oui"}, Language::fr, "L’option --bevel ne prend pas de valeur."},
        {{"--help=1"}, Language::en, "Option --help takes no value."},
        {{"-h="}, Language::en, "Option --h takes no value."},
        {{"--depth"}, Language::en, "Option --depth needs a value."},
        {{"10", "--epaisseur"}, Language::fr, "L’option --epaisseur attend une valeur."},
        {{"--couleur=rouge"}, Language::fr, "Option inconnue : --couleur=rouge."},
        {{"--"}, Language::en, "Unknown option: --."},
        {{"--Largeur", "5"}, Language::en, "Unknown option: --Largeur."},
        // The first error stops parsing.
        {{"--oops", "--bevel=1"}, Language::en, "Unknown option: --oops."},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(refusal([&] { (void)parseArguments(c.arguments, c.language); }), c.message);
    }
}

TEST(AllowedOptions, FirstRefusedNameInAscendingOrderOptionsBeforeFlags) {
    const NameSet none;
    EXPECT_EQ(refusal([&] {
                  checkAllowedOptions(none, none, Language::en, parseArguments({"--shape", "disque"}, Language::en));
              }),
              "This command does not take --forme.");
    EXPECT_EQ(refusal([&] {
                  checkAllowedOptions(none, none, Language::fr,
                                      parseArguments({"--yaw", "30", "--depth", "5"}, Language::fr));
              }),
              "Cette commande ne prend pas --epaisseur.");
    // Options are looked at before flags, whatever their names.
    EXPECT_EQ(
        refusal([&] {
            checkAllowedOptions(none, none, Language::en, parseArguments({"--bevel", "--yaw", "30"}, Language::en));
        }),
        "This command does not take --lacet.");
    EXPECT_EQ(refusal([&] {
                  checkAllowedOptions(NameSet{"sortie"}, NameSet{"biseau"}, Language::en,
                                      parseArguments({"--write", "-o", "x", "--bevel"}, Language::en));
              }),
              "This command does not take --ecrire.");
    // aide is taken by every command.
    EXPECT_NO_THROW(checkAllowedOptions(none, none, Language::en, parseArguments({"--aide", "-h"}, Language::en)));
}

TEST(NumberOptions, DecimalCommaLimitsAndMessagesQuoteTheTypedValue) {
    const auto value = [](std::string typed) {
        return parseNumber("largeur", Language::fr, parseArguments({"--largeur", typed}, Language::fr));
    };
    EXPECT_EQ(parseNumber("largeur", Language::fr, ParsedArguments{}), std::nullopt);
    EXPECT_EQ(value("64,5"), 64.5);
    EXPECT_EQ(value("10000"), 10000);
    EXPECT_EQ(value("-10000"), -10000);
    EXPECT_EQ(value("1e-400"), 0);

    const auto message = [](std::string typed, Language language) {
        return refusal([&] { (void)parseNumber("largeur", language, parseArguments({"--width=" + typed}, language)); });
    };
    EXPECT_EQ(message("10000.5", Language::fr), "--largeur attend un nombre entre -10 000 et 10 000, pas « 10000.5 ».");
    EXPECT_EQ(message("-10000,5", Language::en),
              "--largeur needs a number between -10,000 and 10,000, not “-10000,5”.");
    EXPECT_EQ(message("abc", Language::en), "--largeur needs a number, not “abc”.");
    EXPECT_EQ(message("inf", Language::fr), "--largeur attend un nombre, pas « inf ».");
    EXPECT_EQ(message("nan", Language::en), "--largeur needs a number, not “nan”.");
    EXPECT_EQ(message("1e400", Language::en), "--largeur needs a number, not “1e400”.");
    EXPECT_EQ(message(" 5", Language::en), "--largeur needs a number, not “ 5”.");
    EXPECT_EQ(message("1,5,5", Language::fr), "--largeur attend un nombre, pas « 1,5,5 ».");
}

}  // namespace
}  // namespace icon_command
