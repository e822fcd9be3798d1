#include "homey_project/compliance_report.hpp"

#include <gtest/gtest.h>

#include "icon_documents.hpp"
#include "temporary_project.hpp"
#include "test_images.hpp"

namespace homey_project {
namespace {

using Item = ComplianceItem;
using Status = ComplianceStatus;
using testing::iconWith;
using testing::rectanglePath;
using testing::TemporaryFolder;

constexpr double tolerance = 16.0;
constexpr testing::Rgba white{255, 255, 255, 255};

struct Line {
    Item item;
    Status status;
};
std::vector<ComplianceCheck> lines(std::initializer_list<Line> list) {
    std::vector<ComplianceCheck> result;
    for (const Line& l : list) result.push_back({l.item, l.status});
    return result;
}

const std::string& whitePng(int side) {
    static std::map<int, std::string> cache;
    auto [it, added] = cache.try_emplace(side);
    if (added) it->second = testing::uniformPng(side, side, white);
    return it->second;
}

TEST(ComplianceReport, StandaloneIconWithoutImages) {
    const ComplianceReport report = ComplianceReport::forStandaloneIcon(testing::wideIcon(), {}, tolerance);
    EXPECT_EQ(report.driverID, "");
    ASSERT_EQ(report.checks.size(), 6u);
    const auto* stroke = std::get_if<Item::IconReadableStroke>(&report.checks[4].item.value);
    ASSERT_NE(stroke, nullptr);
    EXPECT_GE(stroke->thinnest, ComplianceReport::readableStrokeMinimum);
    EXPECT_EQ(report.checks, lines({{{Item::IconCanvas{}}, Status::passed},
                                    {{Item::IconSingleColor{}}, Status::passed},
                                    {{Item::IconCommands{}}, Status::passed},
                                    {{Item::IconFillsCanvas{tolerance}}, Status::passed},
                                    {{Item::IconReadableStroke{stroke->thinnest}}, Status::passed},
                                    {{Item::PhotographReminder{}}, Status::manual}}));
    EXPECT_EQ(report.worstStatus(), Status::manual);
    EXPECT_TRUE(report.failures().empty());
}

TEST(ComplianceReport, IconLinesFromTheValidatorAndTheDrawing) {
    struct Case {
        const char* name;
        std::string icon;
        Status canvas, color, commands, fills;
        bool strokeLine;
    };
    const std::vector<Case> cases{
        {"left and right edges", iconWith(rectanglePath(10, 300, 950, 600)), Status::passed, Status::passed,
         Status::passed, Status::passed, true},
        {"left and top only", iconWith(rectanglePath(0, 0, 500, 500)), Status::passed, Status::passed, Status::passed,
         Status::warning, true},
        {"text element", iconWith(rectanglePath(0, 0, 960, 500) + "<text>A</text>"), Status::passed, Status::passed,
         Status::warning, Status::passed, true},
        {"two colours", iconWith(rectanglePath(0, 0, 960, 400) + R"(<path d="M0 500L960 500L960 960Z" fill="red"/>)"),
         Status::passed, Status::failed, Status::passed, Status::passed, true},
        {"arcs", iconWith(R"(<path d="M0 0L960 0L960 400a10 10 0 0 0 -20 0Z"/>)"), Status::passed, Status::passed,
         Status::failed, Status::passed, true},
        {"empty canvas draws nothing", iconWith("<g/>"), Status::passed, Status::passed, Status::passed, Status::failed,
         false},
        {"hairline draws nothing", iconWith(rectanglePath(0, 480, 960, 480)), Status::passed, Status::passed,
         Status::failed, Status::failed, false},
        {"wrong canvas",
         R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 24 24"><path d="M0 0L24 0L24 24Z"/></svg>)",
         Status::failed, Status::passed, Status::passed, Status::warning, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ComplianceReport report = ComplianceReport::forStandaloneIcon(c.icon, {}, tolerance);
        ASSERT_EQ(report.checks.size(), c.strokeLine ? 6u : 5u);
        EXPECT_EQ(report.checks[0], (ComplianceCheck{{Item::IconCanvas{}}, c.canvas}));
        EXPECT_EQ(report.checks[1], (ComplianceCheck{{Item::IconSingleColor{}}, c.color}));
        EXPECT_EQ(report.checks[2], (ComplianceCheck{{Item::IconCommands{}}, c.commands}));
        EXPECT_EQ(report.checks[3], (ComplianceCheck{{Item::IconFillsCanvas{tolerance}}, c.fills}));
        EXPECT_EQ(report.checks[4].item.is<Item::IconReadableStroke>(), c.strokeLine);
        EXPECT_EQ(report.checks.back(), (ComplianceCheck{{Item::PhotographReminder{}}, Status::manual}));
    }
}

TEST(ComplianceReport, StatusRulesAtTheirLimits) {
    EXPECT_EQ(ComplianceRules::readableStroke(18.24), Status::passed);
    EXPECT_EQ(ComplianceRules::readableStroke(18.239999), Status::warning);
    EXPECT_EQ(ComplianceRules::readableStroke(19.2), Status::passed);
    EXPECT_EQ(ComplianceRules::iconOverlap(0.97), Status::failed);
    EXPECT_EQ(ComplianceRules::iconOverlap(0.9699), Status::passed);
    EXPECT_EQ(ComplianceRules::imageDistance(7 / 256.0), Status::failed);
    EXPECT_EQ(ComplianceRules::imageDistance(8 / 256.0), Status::warning);
    EXPECT_EQ(ComplianceRules::imageDistance(12 / 256.0), Status::warning);
    EXPECT_EQ(ComplianceRules::imageDistance(13 / 256.0), Status::passed);
}

TEST(ComplianceReport, StatusOrderAndSummaries) {
    EXPECT_LT(Status::passed, Status::manual);
    EXPECT_LT(Status::manual, Status::warning);
    EXPECT_LT(Status::warning, Status::failed);
    EXPECT_EQ(complianceStatus(3), Status::failed);
    EXPECT_EQ(complianceStatus(4), std::nullopt);
    EXPECT_EQ(complianceStatus(-1), std::nullopt);
    EXPECT_EQ(ComplianceReport{}.worstStatus(), Status::passed);
    const ComplianceReport report{"x",
                                  lines({{{Item::IconCommands{}}, Status::warning},
                                         {{Item::IconCanvas{}}, Status::failed},
                                         {{Item::ImageSize{DriverImageSize::small, "small.png"}}, Status::warning}})};
    EXPECT_EQ(report.failures(), lines({{{Item::IconCanvas{}}, Status::failed}}));
    EXPECT_EQ(report.warnings().size(), 2u);
    EXPECT_EQ(report.worstStatus(), Status::failed);
    EXPECT_NE(std::hash<ComplianceReport>{}(report), std::hash<ComplianceReport>{}(ComplianceReport{}));
}

// A project with the driver "plug" and others.
struct Project {
    TemporaryFolder folder;
    Project() { folder.write("app.json", R"({"id":"x"})"); }
    HomeyApp app() const { return HomeyProjectReader::readProject(folder.path()); }
    HomeyDriver driver(const HomeyApp& app, std::string_view id) const {
        for (const HomeyDriver& d : app.drivers)
            if (d.id == id) return d;
        ADD_FAILURE() << id;
        return {};
    }
};

TEST(ComplianceReport, ProjectDriverWithoutImages) {
    Project p;
    p.folder.folder("drivers/plug/assets/images");
    const HomeyApp app = p.app();
    const ComplianceReport report =
        ComplianceReport::forProjectDriver(p.driver(app, "plug"), app, testing::wideIcon(), {}, tolerance);
    EXPECT_EQ(report.driverID, "plug");
    const std::vector<ComplianceCheck> tail(report.checks.begin() + 5, report.checks.end());
    EXPECT_EQ(tail, lines({{{Item::ImageSize{DriverImageSize::small, "small.png"}}, Status::failed},
                           {{Item::ImageSize{DriverImageSize::large, "large.png"}}, Status::failed},
                           {{Item::ImageSize{DriverImageSize::xlarge, "xlarge.png"}}, Status::failed},
                           {{Item::PhotographReminder{}}, Status::manual}}));

    // Without an icon file the icon part is one failed canvas line.
    const ComplianceReport noIcon =
        ComplianceReport::forProjectDriver(p.driver(app, "plug"), app, std::nullopt, {}, tolerance);
    EXPECT_EQ(noIcon.checks.front(), (ComplianceCheck{{Item::IconCanvas{}}, Status::failed}));
    EXPECT_EQ(noIcon.checks.size(), 5u);
}

TEST(ComplianceReport, DistinctnessFromAppAndOtherDrivers) {
    Project p;
    const std::string icon = testing::wideIcon();
    const std::string photo = testing::photoLikePng(500, 5);
    p.folder.write("assets/icon.svg", icon);
    p.folder.write("assets/images/large.png", photo);
    p.folder.write("drivers/plug/assets/icon.svg", icon);
    p.folder.write("drivers/twin/assets/icon.svg", icon);                                      // identical: failed line
    p.folder.write("drivers/twin/assets/images/large.png", photo);                             // identical: failed line
    p.folder.write("drivers/near/assets/icon.svg", testing::wideIcon(431));                    // overlap 0.97 or more
    p.folder.write("drivers/other/assets/icon.svg", iconWith(rectanglePath(0, 0, 300, 960)));  // no line
    p.folder.write("drivers/other/assets/images/large.png", testing::photoLikePng(500, 17));   // no line
    p.folder.write("drivers/broken/assets/icon.svg", "<svg");                                  // skipped
    p.folder.fifo("drivers/pipe/assets/icon.svg");                                             // skipped, never read
    p.folder.fifo("drivers/pipe/assets/images/large.png");
    HomeyApp app = p.app();
    // A second entry with the driver's own id is never compared.
    HomeyDriver same = p.driver(app, "twin");
    same.id = "plug";
    app.drivers.push_back(same);

    const ComplianceReport::Images images{{DriverImageSize::small, whitePng(75)},
                                          {DriverImageSize::large, photo},
                                          {DriverImageSize::xlarge, whitePng(500)}};
    const ComplianceReport report =
        ComplianceReport::forProjectDriver(p.driver(app, "plug"), app, std::nullopt, images, tolerance);
    std::vector<ComplianceCheck> rest(report.checks.begin() + 5, report.checks.end());
    ASSERT_GE(rest.size(), 3u);
    EXPECT_EQ(rest[0], (ComplianceCheck{{Item::IconDistinctFromApp{1.0}}, Status::failed}));
    EXPECT_EQ(rest[1].item.value.index(), Item{Item::IconDistinctFromDriver{}}.value.index());
    EXPECT_EQ(std::get<Item::IconDistinctFromDriver>(rest[1].item.value).id, "near");
    EXPECT_GE(std::get<Item::IconDistinctFromDriver>(rest[1].item.value).overlap, 0.97);
    EXPECT_EQ(rest[2], (ComplianceCheck{{Item::IconDistinctFromDriver{"twin", 1.0}}, Status::failed}));
    const std::vector<ComplianceCheck> images_and_after(rest.begin() + 3, rest.end());
    EXPECT_EQ(images_and_after, lines({{{Item::ImageSize{DriverImageSize::small, "small.png"}}, Status::passed},
                                       {{Item::ImageBackground{DriverImageSize::small, "small.png"}}, Status::passed},
                                       {{Item::ImageSize{DriverImageSize::large, "large.png"}}, Status::passed},
                                       {{Item::ImageBackground{DriverImageSize::large, "large.png"}}, Status::passed},
                                       {{Item::ImageSize{DriverImageSize::xlarge, "xlarge.png"}}, Status::failed},
                                       {{Item::ImageBackground{DriverImageSize::xlarge, "xlarge.png"}}, Status::passed},
                                       {{Item::ImageDistinctFromApp{0.0}}, Status::failed},
                                       {{Item::ImageDistinctFromDriver{"twin", 0.0}}, Status::failed},
                                       {{Item::PhotographReminder{}}, Status::manual}}));
}

// Nothing may pass about colours or commands of a file that holds no SVG: it
// reads as no icon, given or found in the driver's folder.
TEST(ComplianceReport, AFileThatIsNotAnSvgDocumentIsNoIcon) {
    for (const std::string& notSvg : {std::string("<svg"), std::string("ceci n’est pas une icône"),
                                      std::string("<g><path d=\"M0 0L960 960\"/></g>"), whitePng(500)}) {
        EXPECT_EQ(ComplianceReport::forStandaloneIcon(notSvg, {}, tolerance).checks,
                  lines({{{Item::IconCanvas{}}, Status::failed}, {{Item::PhotographReminder{}}, Status::manual}}));
    }
    Project p;
    p.folder.write("assets/icon.svg", testing::wideIcon());
    p.folder.write("drivers/plug/assets/icon.svg", whitePng(500));
    p.folder.write("drivers/twin/assets/icon.svg", testing::wideIcon());
    const HomeyApp app = p.app();
    const ComplianceReport report =
        ComplianceReport::forProjectDriver(p.driver(app, "plug"), app, std::nullopt, {}, tolerance);
    EXPECT_EQ(report.checks[0], (ComplianceCheck{{Item::IconCanvas{}}, Status::failed}));
    EXPECT_TRUE(report.checks[1].item.is<Item::ImageSize>());
}

// A JPEG saved under a driver image's name is refused by the platform: one
// failed line names it, and neither its size nor its background passes.
TEST(ComplianceReport, AnImageOfAnotherFormatThanItsNameFailsOnItsOwnLine) {
    const ComplianceReport::Images images{{DriverImageSize::small, testing::uniformJpeg(75, 75, white)},
                                          {DriverImageSize::large, whitePng(500)}};
    const ComplianceReport report = ComplianceReport::forStandaloneIcon(testing::wideIcon(), images, tolerance);
    const std::vector<ComplianceCheck> imageLines(report.checks.begin() + 5, report.checks.end() - 1);
    EXPECT_EQ(imageLines, lines({{{Item::ImageFormat{DriverImageSize::small, "small.png"}}, Status::failed},
                                 {{Item::ImageSize{DriverImageSize::large, "large.png"}}, Status::passed},
                                 {{Item::ImageBackground{DriverImageSize::large, "large.png"}}, Status::passed}}));
    EXPECT_EQ(report.failures().size(), 1u);
}

}  // namespace
}  // namespace homey_project
