#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "homey_project/homey_app.hpp"
#include "project/manifest.hpp"
#include "temporary_project.hpp"

namespace homey_project {
namespace {

using testing::TemporaryFolder;

std::vector<std::string> ids(const HomeyApp& app) {
    std::vector<std::string> result;
    for (const HomeyDriver& d : app.drivers) result.push_back(d.id);
    return result;
}

bool isNotAHomeyApp(const std::filesystem::path& root) {
    try {
        (void)HomeyProjectReader::readProject(root);
        return false;
    } catch (const HomeyProjectError& error) {
        return error == HomeyProjectError::notAHomeyApp();
    }
}

TEST(HomeyProjectReader, ManifestPrecedenceAndFallThrough) {
    struct Case {
        const char* name;
        std::optional<std::string> appJSON;  // "FIFO" makes a pipe
        std::optional<std::string> composeJSON;
        std::optional<std::string> id;  // nothing: not a Homey app
    };
    const std::vector<Case> cases{
        {"both valid: app.json wins", R"({"id":"top"})", R"({"id":"compose"})", "top"},
        {"broken app.json", R"({"id":"top")", R"({"id":"compose"})", "compose"},
        {"array app.json", R"([{"id":"top"}])", R"({"id":"compose"})", "compose"},
        {"comment in app.json", "{\"id\":\"top\"} // x", R"({"id":"compose"})", "compose"},
        {"fifo app.json", "FIFO", R"({"id":"compose"})", "compose"},
        {"only compose", std::nullopt, R"({"id":"compose"})", "compose"},
        {"numeric id", R"({"id":5})", R"({"id":"compose"})", std::nullopt},
        {"empty id", R"({"id":""})", std::nullopt, ""},
        {"nothing", std::nullopt, std::nullopt, std::nullopt},
        {"fragment", R"("id")", std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TemporaryFolder project;
        if (c.appJSON == "FIFO")
            project.fifo("app.json");
        else if (c.appJSON)
            project.write("app.json", *c.appJSON);
        if (c.composeJSON) project.write(".homeycompose/app.json", *c.composeJSON);
        if (c.id)
            EXPECT_EQ(HomeyProjectReader::readProject(project.path()).id, *c.id);
        else
            EXPECT_TRUE(isNotAHomeyApp(project.path()));
    }
}

TEST(HomeyProjectReader, NameShapes) {
    struct Case {
        const char* json;
        std::optional<LocalizedNames> names;
    };
    const std::vector<Case> cases{
        {R"("Lamp")", LocalizedNames{{"en", "Lamp"}}},
        {R"({"nl":"Lamp","en":"Lamp EN"})", LocalizedNames{{"nl", "Lamp"}, {"en", "Lamp EN"}}},
        {R"({})", LocalizedNames{}},
        {R"({"en":"a","nl":3})", std::nullopt},
        {R"(3)", std::nullopt},
        {R"(["a"])", std::nullopt},
        {R"(null)", std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(HomeyProjectReader::parseNames(nlohmann::json::parse(c.json)), c.names) << c.json;
}

TEST(HomeyProjectReader, DriversAreTheFoldersThemselvesInCodePointOrder) {
    TemporaryFolder outside;
    outside.write("elsewhere/driver.compose.json", R"({"name":"Elsewhere"})");
    TemporaryFolder project;
    project.write("app.json", R"({"id":"com.example","name":"Example","brandColor":"#00FF00"})");
    project.folder("drivers/b");
    project.folder("drivers/A");
    project.folder("drivers/.git");
    project.folder("drivers/\xC3\xA9t\xC3\xA9");
    project.write("drivers/readme.txt", "text");
    project.link("drivers/linked", outside / "elsewhere");

    const HomeyApp app = HomeyProjectReader::readProject(project.path());
    EXPECT_EQ(ids(app), (std::vector<std::string>{"A", "b", "\xC3\xA9t\xC3\xA9"}));
    EXPECT_EQ(app.brandColor, "#00FF00");
    EXPECT_EQ(app.names, (LocalizedNames{{"en", "Example"}}));
    EXPECT_EQ(app.drivers[0].folder, project / "drivers/A");
}

TEST(HomeyProjectReader, DriverNamesFromComposeElseManifest) {
    TemporaryFolder project;
    project.write("app.json", R"({"id":"x","drivers":[
        {"id":"plug","name":{"en":"Plug"}},
        {"id":"numeric","name":"Manifest numeric"},
        {"id":"empty","name":"Manifest empty"},
        {"id":"plug","name":"Plug again"},
        {"name":"no id"}]})");
    project.folder("drivers/plug");
    project.write("drivers/numeric/driver.compose.json", R"({"name":{"en":3}})");
    project.write("drivers/empty/driver.compose.json", R"({"name":{}})");
    project.write("drivers/own/driver.compose.json", R"({"name":"Own"})");
    project.folder("drivers/bare");

    const HomeyApp app = HomeyProjectReader::readProject(project.path());
    std::map<std::string, LocalizedNames> names;
    for (const HomeyDriver& d : app.drivers) names[d.id] = d.names;
    EXPECT_EQ(names["plug"], (LocalizedNames{{"en", "Plug again"}}));
    EXPECT_EQ(names["numeric"], (LocalizedNames{{"en", "Manifest numeric"}}));
    EXPECT_EQ(names["empty"], LocalizedNames{});
    EXPECT_EQ(names["own"], (LocalizedNames{{"en", "Own"}}));
    EXPECT_EQ(names["bare"], LocalizedNames{});
}

TEST(HomeyProjectReader, OneNonObjectSpoilsTheManifestDriverNames) {
    const auto manifest =
        manifest::interpret(nlohmann::json::parse(R"({"id":"x","drivers":[{"id":"plug","name":"Plug"},"stray"]})"));
    ASSERT_TRUE(manifest);
    EXPECT_TRUE(manifest->driverNames.empty());
}

TEST(HomeyProjectReader, DisplayNameFallsBackToEnglishThenId) {
    const HomeyDriver english{"plug", {{"en", "Plug"}}, {}};
    const HomeyDriver both{"plug", {{"en", "Plug"}, {"fr", "Prise"}}, {}};
    const HomeyDriver none{"plug", {}, {}};
    EXPECT_EQ(english.displayName("fr"), "Plug");
    EXPECT_EQ(both.displayName("fr"), "Prise");
    EXPECT_EQ(none.displayName("fr"), "plug");
}

TEST(HomeyProjectReader, ProjectWithoutDriversFolderOpensEmpty) {
    TemporaryFolder project;
    project.write("app.json", R"({"id":"x"})");
    EXPECT_TRUE(HomeyProjectReader::readProject(project.path()).drivers.empty());
    project.write("drivers", "a file, not a folder");
    EXPECT_TRUE(HomeyProjectReader::readProject(project.path()).drivers.empty());
}

TEST(HomeyProjectReader, RootsInAnySpellingReadAndKeepTheirSpelling) {
    TemporaryFolder project;
    project.write("app/app.json", R"({"id":"x"})");
    project.folder("app/drivers/plug");
    project.link("through-link", project / "app");
    const std::string base = (project / "app").native();
    for (const std::string& root :
         {base, base + "/", base + "//", base + "/.", base + "/drivers/..", (project / "through-link").native()}) {
        SCOPED_TRACE(root);
        const HomeyApp app = HomeyProjectReader::readProject(root);
        EXPECT_EQ(app.root, std::filesystem::path(root));
        ASSERT_EQ(ids(app), std::vector<std::string>{"plug"});
        EXPECT_EQ(app.drivers[0].folder.native().find("//"), std::string::npos);
        EXPECT_EQ(app.drivers[0].iconFile().native().find("//"), std::string::npos);
        EXPECT_EQ(app.iconFile().native().find("//"), std::string::npos);
    }
}

TEST(HomeyProjectReader, RelativeRootsRead) {
    TemporaryFolder project;
    project.write("app/app.json", R"({"id":"x"})");
    project.folder("app/drivers/plug");
    const std::filesystem::path cwd = std::filesystem::current_path();
    std::filesystem::current_path(project / "app/drivers");
    for (const char* root : {"..", "../", "../.", "../drivers/..", "../../app"}) {
        const HomeyApp app = HomeyProjectReader::readProject(root);
        EXPECT_EQ(ids(app), std::vector<std::string>{"plug"}) << root;
    }
    std::filesystem::current_path(cwd);
}

TEST(HomeyProjectReader, DerivedPaths) {
    const HomeyDriver driver{"plug", {}, "/p/drivers/plug"};
    EXPECT_EQ(driver.assetsFolder(), "/p/drivers/plug/assets");
    EXPECT_EQ(driver.iconFile(), "/p/drivers/plug/assets/icon.svg");
    EXPECT_EQ(driver.imageFile(DriverImageSize::xlarge), "/p/drivers/plug/assets/images/xlarge.png");
    const HomeyApp app{"/p/", "x", {}, std::nullopt, {}};
    EXPECT_EQ(app.iconFile(), "/p/assets/icon.svg");
    EXPECT_EQ(app.largeImageFile(), "/p/assets/images/large.png");
}

}  // namespace
}  // namespace homey_project
