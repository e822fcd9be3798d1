#include "icon_geometry/svg_validator.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

using namespace icon_geometry;
using Issue = ValidationIssue;
using Issues = std::vector<ValidationIssue>;

namespace {

const std::string svgOpen =
    R"(<svg xmlns="http://www.w3.org/2000/svg" width="960" height="960" viewBox="0 0 960 960">)";

Issues issuesOf(const std::string& body) {
    return SVGValidator::validateText(svgOpen + body + "</svg>").issues;
}

Issues issuesOfRoot(const std::string& rootAttributes) {
    return SVGValidator::validateText("<svg " + rootAttributes + R"(><path d="M0 0L10 0L10 10Z"/></svg>)").issues;
}

std::string fileText(const char* name) {
    std::ifstream in(std::string(GS_TEST_DATA_DIR) + "/svg/" + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(SVGValidator, AnUnreadableDocumentIsItsOnlyIssue) {
    for (const std::string& text :
         {std::string(), std::string("<svg"), std::string("<g/>"), fileText("broken_truncated.svg")})
        EXPECT_EQ(SVGValidator::validateText(text).issues, Issues{Issue::malformedDocument()}) << text;
    const std::vector<std::uint8_t> bytes{0xFF, 0xFE, 0x00};
    EXPECT_EQ(SVGValidator::validate(bytes).issues, Issues{Issue::malformedDocument()});
}

TEST(SVGValidator, CanvasIsNineHundredSixtySquareWithItsViewBox) {
    struct Case {
        const char* root;
        bool fits;
    };
    const std::vector<Case> cases{
        {R"(viewBox="0 0 960 960")", true},
        {R"(viewBox="0,0,960,960")", true},
        {R"(viewBox="0 0 960.0 960")", true},
        {R"(viewBox=" 0 ,0 960 960 ")", true},
        {R"(viewBox="0 0 960px 960")", false},
        {R"(viewBox="0 0 960 960 0")", false},
        {R"(viewBox="0 -960 960 960")", false},
        {R"(viewBox="0 0 nan 960")", false},
        {R"(width="960")", false},  // no view box
        {R"(viewBox="0 0 960 960" width="960px" height=" 960 ")", true},
        {R"(viewBox="0 0 960 960" width="100%")", true},  // unreadable counts as absent
        {R"(viewBox="0 0 960 960" width="480")", false},
        {R"(viewBox="0 0 960 960" height="inf")", false},
        {R"(viewBox="0 0 960 960" height="9.6e2")", true},
    };
    for (const Case& c : cases)
        EXPECT_EQ(issuesOfRoot(c.root), c.fits ? Issues{} : Issues{Issue::canvasSize()}) << c.root;
}

TEST(SVGValidator, ColoursAreCountedAfterNormalising) {
    EXPECT_EQ(issuesOf(R"(<path d="M0 0L1 0"/><path d="M0 0L1 0" fill="black"/><path d="M0 0L1 0" fill="#000"/>)"),
              Issues{});
    EXPECT_EQ(issuesOf(R"(<path d="M0 0L1 0" fill="#FFF"/><path d="M0 0L1 0" fill=" White "/>)"), Issues{});
    EXPECT_EQ(issuesOf(R"(<path d="M0 0L1 0" fill="red"/><path d="M0 0L1 0" fill="#ff0000"/>)"),
              Issues{Issue::multipleColors({"#ff0000", "red"})});
    EXPECT_EQ(issuesOf(R"(<g fill="none"><path d="M0 0L1 0" stroke="#000"/></g>)"), Issues{Issue::stroke()});
    EXPECT_EQ(issuesOf(R"(<path d="M0 0L1 0" stroke="none" stroke-width="2"/>)"), Issues{Issue::stroke()});
    EXPECT_EQ(issuesOf(R"(<path d="M0 0L1 0" style="stroke-width:0"/>)"), Issues{Issue::stroke()});
    EXPECT_EQ(issuesOf(R"~(<path d="M0 0L1 0" fill="url(#g)"/>)~"), Issues{Issue::gradient()});
    EXPECT_EQ(issuesOf(R"~(<path d="M0 0L1 0" fill="transparent" stroke="URL(#g)"/>)~"),
              (Issues{Issue::gradient(), Issue::stroke()}));
    // Containers' own colours count only through what their drawables inherit.
    EXPECT_EQ(issuesOf(R"(<g fill="red"/><path d="M0 0L1 0"/>)"), Issues{});
}

TEST(SVGValidator, NormalisedColours) {
    const std::vector<std::pair<const char*, const char*>> cases{
        {" #FFF ", "#ffffff"},
        {"#AbCdEf", "#abcdef"},
        {"BLACK", "#000000"},
        {"white", "#ffffff"},
        {"", "none"},
        {" \t", "none"},
        {"None", "none"},
        {"TRANSPARENT", "none"},
        {"Red", "red"},
        {"#12", "#12"},
        {"#ggg", "#gggggg"},
        {"rgb(255, 0, 10)", "#ff000a"},
        {"RGB( 1 ,2,,3 )", "#010203"},
        {"rgb(300,0,0)", "#12c0000"},
        {"rgb(+1,2,3)", "#010203"},
        {"rgb(-1,0,0)", "#-010000"},
        {"rgb(1,2)", "rgb(1,2)"},
        {"rgb(10%,0,0)", "rgb(10%,0,0)"},
        {"rgb(10%,0,0,1)", "#000001"},
        {"rgb(1 2 3)", "rgb(1 2 3)"},
        {"rgb(1.5,2,3,4)", "#020304"},
        {"rgb(99999999999999999999,0,0)", "rgb(99999999999999999999,0,0)"},
    };
    for (const auto& [color, normal] : cases) EXPECT_EQ(SVGValidator::normalizedColor(color), normal) << color;
}

TEST(SVGValidator, PathDataIsCheckedForItsCommands) {
    EXPECT_EQ(issuesOf(R"(<path d="M0 0 L10 0 L10 0 Z"/>)"), Issues{Issue::zeroLengthSegments(1)});
    EXPECT_EQ(issuesOf(R"(<path d="M0 0 H10 V10 Z"/>)"), Issues{Issue::nonCanonicalCommands({"H", "V"})});
    EXPECT_EQ(issuesOf(R"(<path d="m0 0 l10 0 z"/>)"), Issues{Issue::nonCanonicalCommands({"l", "m", "z"})});
    EXPECT_EQ(issuesOf(R"(<path d="M0 0 A5 5 0 0 1 10 0"/>)"),
              (Issues{Issue::ellipticalArcs(1), Issue::nonCanonicalCommands({"A"})}));
    // Each repeated group is a command of its own; counts add up over paths.
    EXPECT_EQ(
        issuesOf(R"(<path d="M0 0 a5 5 0 0 1 10 0 5 5 0 0 1 10 0"/><path d="M0 0A1 1 0 0 0 0 0"/>)"),
        (Issues{Issue::ellipticalArcs(3), Issue::zeroLengthSegments(1), Issue::nonCanonicalCommands({"A", "a"})}));
    EXPECT_EQ(issuesOf(R"(<path d=""/><path/>)"), Issues{});
}

TEST(SVGValidator, MalformedPathDataIsReportedInElementOrderAfterTheCanvas) {
    const ValidationReport report = SVGValidator::validateText(
        R"(<svg viewBox="0 0 10 10"><path d="M0 0 L" fill="red"/><path d="Q1"/><path d="M0 0L5 5L5 5"/></svg>)");
    EXPECT_EQ(report.issues, (Issues{Issue::canvasSize(), Issue::malformedPathData(6), Issue::malformedPathData(2),
                                     Issue::zeroLengthSegments(1), Issue::multipleColors({"#000000", "red"})}));
}

TEST(SVGValidator, BackgroundIsAFilledSubpathCoveringTheCanvas) {
    struct Case {
        const char* body;
        bool background;
    };
    const std::vector<Case> cases{
        {R"(<rect x="0" y="0" width="960" height="960"/>)", true},
        {R"(<rect width="960" height="960" fill="none" stroke="#000"/>)", false},
        {R"~(<rect width="960" height="960" fill="url(#g)"/>)~", true},
        {R"(<path d="M0.4 0.4H959.6V959.6H0.4Z"/>)", true},
        {R"(<path d="M0.5 0.5H959.5V959.5H0.5Z"/>)", true},
        {R"(<path d="M0.4 0.4H959.4V959.6H0.4Z"/>)", false},
        {R"(<path d="M0 0H960V480H0ZM0 480H960V960H0Z"/>)", false},  // each half on its own
        {R"(<circle cx="480" cy="480" r="680"/>)", true},
        {R"(<circle cx="480" cy="480" r="480"/>)", true},
        {R"(<polyline points="0,0 960,0 960,960 0,960"/>)", true},  // open, yet filled
    };
    for (const Case& c : cases) {
        const Issues issues = issuesOf(c.body);
        const bool found = std::find(issues.begin(), issues.end(), Issue::background()) != issues.end();
        EXPECT_EQ(found, c.background) << c.body;
    }
}

TEST(SVGValidator, UnsupportedConstructsAreNamed) {
    EXPECT_EQ(issuesOf(R"(<defs><linearGradient id="g"/></defs>)"), Issues{Issue::gradient()});
    EXPECT_EQ(issuesOf(R"(<use href="#a"/><mask/><use href="#b"/>)"),
              (Issues{Issue::unsupportedElement("mask"), Issue::unsupportedElement("use")}));
    EXPECT_EQ(issuesOf(R"(<image href="a.png"/><text>x<tspan>y</tspan></text>)"),
              (Issues{Issue::rasterImage(), Issue::text()}));
    EXPECT_EQ(issuesOf(R"~(<g transform="scale(2)"/><path d="M0 0L1 0" style="transform:none"/>)~"),
              Issues{Issue::transform()});
    EXPECT_EQ(issuesOf(R"(<ClipPath/><svg:mask/>)"), Issues{});  // exact names only
}

TEST(SVGValidator, IssuesComeInReportOrderWithTheirSeverities) {
    const ValidationReport report = SVGValidator::validateText(
        R"~(<svg viewBox="0 0 1 1" transform="scale(1)"><style/><use/><text/><image/><radialGradient/>)~"
        R"(<rect width="960" height="960" fill="red" stroke="#00f"/>)"
        R"~(<path d="M0 0 a1 1 0 0 0 1 1 L1 1 Z" fill="url(#g)"/><path d="M0 0 1" fill="red"/></svg>)~");
    const Issues expected{Issue::canvasSize(),
                          Issue::malformedPathData(6),
                          Issue::ellipticalArcs(1),
                          Issue::zeroLengthSegments(1),
                          Issue::multipleColors({"#0000ff", "red"}),
                          Issue::background(),
                          Issue::gradient(),
                          Issue::rasterImage(),
                          Issue::nonCanonicalCommands({"a"}),
                          Issue::text(),
                          Issue::stroke(),
                          Issue::transform(),
                          Issue::unsupportedElement("style"),
                          Issue::unsupportedElement("use")};
    EXPECT_EQ(report.issues, expected);
    EXPECT_EQ(report.errors(), Issues(expected.begin(), expected.begin() + 8));
    EXPECT_EQ(report.warnings(), Issues(expected.begin() + 8, expected.end()));
    EXPECT_FALSE(report.passes());

    const ValidationReport warningsOnly{{Issue::stroke(), Issue::unsupportedElement("use")}};
    EXPECT_TRUE(warningsOnly.passes());
    EXPECT_EQ(std::hash<ValidationReport>{}(report), std::hash<ValidationReport>{}(ValidationReport{expected}));
    EXPECT_NE(std::hash<ValidationIssue>{}(Issue::ellipticalArcs(1)),
              std::hash<ValidationIssue>{}(Issue::zeroLengthSegments(1)));
}

TEST(SVGValidator, IconsFromDrawingTools) {
    struct Case {
        const char* file;
        Issues issues;
    };
    const std::vector<Case> cases{
        {"inkscape_plug.svg",
         {Issue::nonCanonicalCommands({"H", "V", "c", "h", "m", "v", "z"}), Issue::stroke(), Issue::transform()}},
        {"illustrator_thermostat.svg",
         {Issue::nonCanonicalCommands({"S", "c", "s", "z"}), Issue::unsupportedElement("style")}},
        {"figma_bulb.svg", {Issue::nonCanonicalCommands({"H", "V"}), Issue::stroke()}},
        {"material_sensor.svg", {Issue::canvasSize(), Issue::nonCanonicalCommands({"T", "m", "q", "t"})}},
        {"sketch_remote.svg", {Issue::gradient(), Issue::transform(), Issue::unsupportedElement("use")}},
    };
    for (const Case& c : cases) EXPECT_EQ(SVGValidator::validateText(fileText(c.file)).issues, c.issues) << c.file;
}
