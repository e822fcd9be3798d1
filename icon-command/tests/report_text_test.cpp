#include "report_text.hpp"

#include <gtest/gtest.h>

#include "transcript.hpp"

namespace icon_command {
namespace {

using homey_project::ComplianceCheck;
using homey_project::ComplianceItem;
using homey_project::ComplianceReport;
using homey_project::ComplianceStatus;
using homey_project::DriverImageIssue;
using homey_project::DriverImageSize;
namespace NumberText = IconCommand::NumberText;

// One of each item, with values that show how each number is written.
std::vector<ComplianceCheck> everyItem() {
    return {
        {{ComplianceItem::IconFillsCanvas{16.9}}, ComplianceStatus::warning},
        {{ComplianceItem::IconReadableStroke{18.5}}, ComplianceStatus::passed},
        {{ComplianceItem::IconDistinctFromApp{0.125}}, ComplianceStatus::passed},
        {{ComplianceItem::IconDistinctFromDriver{"prise", 0.975}}, ComplianceStatus::failed},
        {{ComplianceItem::ImageSize{DriverImageSize::small, "small.png"}}, ComplianceStatus::passed},
        {{ComplianceItem::ImageBackground{DriverImageSize::xlarge, "xlarge.png"}}, ComplianceStatus::failed},
        {{ComplianceItem::ImageFormat{DriverImageSize::large, "large.png"}}, ComplianceStatus::failed},
        {{ComplianceItem::ImageDistinctFromApp{0.1234}}, ComplianceStatus::passed},
        {{ComplianceItem::ImageDistinctFromDriver{"prise", 0.0469}}, ComplianceStatus::warning},
        {{ComplianceItem::IconCanvas{}}, ComplianceStatus::passed},
        {{ComplianceItem::IconSingleColor{}}, ComplianceStatus::passed},
        {{ComplianceItem::IconCommands{}}, ComplianceStatus::warning},
        {{ComplianceItem::PhotographReminder{}}, ComplianceStatus::manual},
    };
}

std::string printed(const ComplianceReport& report, Language language) {
    std::string out;
    IconCommand::printReport(
        report, [&out](std::string_view line) { (out += line) += '\n'; }, language);
    return out;
}

TEST(ReportTexts, EveryItemAndImageFaultInBothLanguages) {
    const std::vector<std::pair<DriverImageIssue, DriverImageSize>> issues{
        {DriverImageIssue::wrongSize(500, 501, 75), DriverImageSize::small},
        {DriverImageIssue::backgroundNotWhite(0.015), DriverImageSize::large},
        {DriverImageIssue::upscaled(2.25), DriverImageSize::xlarge},
        {DriverImageIssue::unreadable(), DriverImageSize::large},
        {DriverImageIssue::wrongFormat(), DriverImageSize::small},
    };
    for (const auto& [language, golden] :
         {std::pair{Language::fr, "report-texts-fr.txt"}, std::pair{Language::en, "report-texts-en.txt"}}) {
        std::string text = printed({"", everyItem()}, language);
        for (const auto& [issue, size] : issues) text += IconCommand::imageIssueText(issue, size, language) + "\n";
        testing::expectMatchesGolden(golden, text);
    }
}

TEST(ReportTexts, CountsLineSaysFailuresThenWarnings) {
    const ComplianceCheck failed{{ComplianceItem::IconCanvas{}}, ComplianceStatus::failed};
    const ComplianceCheck warning{{ComplianceItem::IconCommands{}}, ComplianceStatus::warning};
    const ComplianceCheck manual{{ComplianceItem::PhotographReminder{}}, ComplianceStatus::manual};
    const struct {
        std::vector<ComplianceCheck> checks;
        std::string french;
        std::string english;
    } cases[]{
        {{failed, warning, manual}, "1 erreur, 1 avertissement", "1 error, 1 warning"},
        {{warning, warning}, "0 erreur, 2 avertissements", "0 errors, 2 warnings"},
        {{failed, failed, manual}, "2 erreurs, 0 avertissement", "2 errors, 0 warnings"},
        {{}, "0 erreur, 0 avertissement", "0 errors, 0 warnings"},
    };
    for (const auto& c : cases) {
        const std::string french = printed({"", c.checks}, Language::fr);
        const std::string english = printed({"", c.checks}, Language::en);
        EXPECT_TRUE(french.starts_with("Conformité :\n"));
        EXPECT_TRUE(english.starts_with("Compliance:\n"));
        EXPECT_TRUE(french.ends_with("\n" + c.french + "\n")) << french;
        EXPECT_TRUE(english.ends_with("\n" + c.english + "\n")) << english;
    }
}

TEST(ReportTexts, NumbersAsTheTextsWriteThem) {
    const auto item = [](auto value, Language language) {
        return IconCommand::complianceText(ComplianceItem{value}, language);
    };
    // Distances: three decimals, a comma in French.
    EXPECT_TRUE(item(ComplianceItem::ImageDistinctFromApp{0.1234}, Language::fr).ends_with("(écart 0,123)"));
    EXPECT_TRUE(item(ComplianceItem::ImageDistinctFromApp{0.1234}, Language::en).ends_with("(distance 0.123)"));
    // Overlaps: no decimals, the exact half to the even digit, "%" after a space in both languages.
    EXPECT_TRUE(item(ComplianceItem::IconDistinctFromApp{0.125}, Language::en).ends_with("(overlap 12 %)"));
    EXPECT_TRUE(item(ComplianceItem::IconDistinctFromApp{1.0}, Language::fr).ends_with("(recouvrement 100 %)"));
    // Strokes rounded half away from zero, tolerances truncated.
    EXPECT_TRUE(item(ComplianceItem::IconReadableStroke{18.5}, Language::en).starts_with("Icon: thinnest stroke 19 "));
    EXPECT_TRUE(item(ComplianceItem::IconFillsCanvas{16.9}, Language::en).ends_with("(tolerance 16)"));

    const auto issue = [](DriverImageIssue value, Language language) {
        return IconCommand::imageIssueText(value, DriverImageSize::large, language);
    };
    EXPECT_EQ(issue(DriverImageIssue::backgroundNotWhite(0.015), Language::fr),
              "large.png : fond ni blanc ni transparent (2 % du pourtour)");
    EXPECT_EQ(issue(DriverImageIssue::backgroundNotWhite(0.015), Language::en),
              "large.png: background neither white nor transparent (2% of the border)");
    EXPECT_EQ(issue(DriverImageIssue::upscaled(2.25), Language::fr),
              "large.png : photo trop petite, objet agrandi 2,2 fois");
    EXPECT_EQ(issue(DriverImageIssue::upscaled(2.25), Language::en),
              "large.png: photo too small, device enlarged 2.2 times");
}

TEST(ReportTexts, NumberFormsDoNotDependOnTheLocale) {
    const struct {
        double value;
        std::string truncated, rounded, noDecimal, threeDecimals, oneDecimal;
    } cases[]{
        {0.125, "0", "0", "0", "0.125", "0.1"},
        {12.5, "12", "13", "12", "12.500", "12.5"},
        {13.5, "13", "14", "14", "13.500", "13.5"},
        {-0.4, "0", "0", "-0", "-0.400", "-0.4"},
        {-2.5, "-2", "-3", "-2", "-2.500", "-2.5"},
        {2.25, "2", "2", "2", "2.250", "2.2"},
        {0.0005, "0", "0", "0", "0.001", "0.0"},
        {1e20, "100000000000000000000", "100000000000000000000", "100000000000000000000", "100000000000000000000.000",
         "100000000000000000000.0"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NumberText::truncated(c.value), c.truncated) << c.value;
        EXPECT_EQ(NumberText::rounded(c.value), c.rounded) << c.value;
        EXPECT_EQ(NumberText::fixed(c.value, 0), c.noDecimal) << c.value;
        EXPECT_EQ(NumberText::fixed(c.value, 3), c.threeDecimals) << c.value;
        EXPECT_EQ(NumberText::fixed(c.value, 1), c.oneDecimal) << c.value;
    }
    EXPECT_EQ(NumberText::fixed(0.1234, 3, true), "0,123");
    EXPECT_EQ(NumberText::fixed(-1.75, 1, true), "-1,8");
}

TEST(ReportTexts, MarksOfEachStatus) {
    EXPECT_EQ(IconCommand::statusMark(ComplianceStatus::passed), "✓");
    EXPECT_EQ(IconCommand::statusMark(ComplianceStatus::manual), "?");
    EXPECT_EQ(IconCommand::statusMark(ComplianceStatus::warning), "\u26A0\uFE0E");
    EXPECT_EQ(IconCommand::statusMark(ComplianceStatus::failed), "✗");
}

}  // namespace
}  // namespace icon_command
