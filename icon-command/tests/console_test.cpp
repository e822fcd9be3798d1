#include "icon_command/console.hpp"

#include <gtest/gtest.h>

#include <regex>

#include "icon_command/icon_command.hpp"

namespace icon_command {
namespace {

struct LanguageCase {
    const char* what;
    Environment environment;
    std::vector<std::string> preferred;
    Language expected;
};

TEST(LanguageDetection, FirstQualifyingLocaleVariableThenPreferredLanguages) {
    const std::vector<LanguageCase> cases{
        {"C and empty are skipped", {{"LC_ALL", "C"}, {"LC_MESSAGES", ""}, {"LANG", "fr_FR.UTF-8"}}, {}, Language::fr},
        {"C.UTF-8 is skipped like C", {{"LC_ALL", "C.UTF-8"}, {"LANG", "fr_FR"}}, {}, Language::fr},
        {"POSIX is skipped", {{"LC_ALL", "POSIX"}, {"LANG", "fr_BE"}}, {}, Language::fr},
        {"compared after lower-casing", {{"LANG", "FR_ca"}}, {}, Language::fr},
        {"a variable wins over the preferred languages", {{"LANG", "de_DE"}}, {"fr-CH"}, Language::en},
        {"LC_ALL comes before LC_MESSAGES", {{"LC_ALL", "en_GB"}, {"LC_MESSAGES", "fr_FR"}}, {}, Language::en},
        {"LC_MESSAGES comes before LANG", {{"LC_MESSAGES", "fr_FR"}, {"LANG", "en_US"}}, {}, Language::fr},
        {"CA is no C locale", {{"LC_ALL", "CA"}, {"LANG", "fr"}}, {}, Language::en},
        {"the first preferred language", {}, {"fr-CH", "en"}, Language::fr},
        {"only the first preferred language counts", {}, {"de", "fr"}, Language::en},
        {"no locale at all", {}, {}, Language::en},
        {"one letter is not French", {{"LANG", "f"}}, {"fr"}, Language::en},
        {"unrelated variables are ignored", {{"LANGUAGE", "fr"}, {"LC_CTYPE", "fr_FR"}}, {}, Language::en},
    };
    for (const LanguageCase& c : cases) {
        EXPECT_EQ(Language::detect(c.environment, c.preferred), c.expected) << c.what;
    }
}

TEST(LanguageDetection, PreferredLanguagesAreTheEntriesOfLANGUAGE) {
    EXPECT_EQ(preferredLanguages({{"LANGUAGE", "fr_CH:en::de"}}), (std::vector<std::string>{"fr_CH", "en", "de"}));
    EXPECT_EQ(preferredLanguages({{"LANGUAGE", ""}}), std::vector<std::string>{});
    EXPECT_EQ(preferredLanguages({{"LANG", "fr_FR"}}), std::vector<std::string>{});
    const Environment onlyLanguage{{"LC_ALL", "C"}, {"LANGUAGE", "fr:en"}};
    EXPECT_EQ(Language::detect(onlyLanguage, preferredLanguages(onlyLanguage)), Language::fr);
}

TEST(Version, ShortVersionAndBuildJoined) {
    EXPECT_EQ(IconCommand::versionText("2.1", "57"), "2.1 (build 57)");
    EXPECT_EQ(IconCommand::versionText("2.1", ""), "2.1 (build \u2014)");
    EXPECT_EQ(IconCommand::versionText("", "57"), "");
    // This build's version comes from the project settings.
    EXPECT_TRUE(std::regex_match(IconCommand::version(), std::regex(R"(\d+(\.\d+)+ \(build \d+\))")))
        << IconCommand::version();
}

}  // namespace
}  // namespace icon_command
