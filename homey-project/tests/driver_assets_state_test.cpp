#include "homey_project/driver_assets_state.hpp"

#include <gtest/gtest.h>

#include "homey_project/source_layout.hpp"
#include "icon_documents.hpp"
#include "temporary_project.hpp"
#include "test_images.hpp"

namespace homey_project {
namespace {

using State = DriverAssetsState;
using testing::TemporaryFolder;

constexpr testing::Rgba white{255, 255, 255, 255};

struct Project {
    TemporaryFolder folder;
    Project() {
        folder.write("app.json", R"({"id":"x"})");
        folder.folder("drivers/plug");
    }
    void writeDriverAssets(const std::string& icon) {
        folder.write("drivers/plug/assets/icon.svg", icon);
        // Encoded once for all tests.
        static const std::map<DriverImageSize, std::string> images = [] {
            std::map<DriverImageSize, std::string> result;
            for (DriverImageSize size : allDriverImageSizes)
                result[size] = testing::uniformPng(rawValue(size), rawValue(size), white);
            return result;
        }();
        for (const auto& [size, png] : images)
            folder.write("drivers/plug/assets/images/" + std::string(fileName(size)), png);
    }
    State load() const {
        const HomeyApp app = HomeyProjectReader::readProject(folder.path());
        return State::load(app.drivers.at(0), app);
    }
};

bool allImages(const State& state, const State::ImageState& image) {
    for (DriverImageSize size : allDriverImageSizes)
        if (state.images.at(size) != image) return false;
    return true;
}

TEST(DriverAssetsState, DriverWithoutAssets) {
    Project p;
    const State state = p.load();
    EXPECT_EQ(state.icon, State::IconState{State::IconState::Missing{}});
    EXPECT_TRUE(allImages(state, {State::ImageState::Missing{}}));
    EXPECT_FALSE(state.hasModel);
    EXPECT_FALSE(state.isCompliant());
}

TEST(DriverAssetsState, CompliantWithoutStoredModel) {
    Project p;
    p.writeDriverAssets(testing::wideIcon());
    const State state = p.load();
    EXPECT_EQ(state.icon, State::IconState{State::IconState::Valid{false}});
    EXPECT_TRUE(allImages(state, {State::ImageState::Valid{}}));
    EXPECT_TRUE(state.isCompliant());
}

TEST(DriverAssetsState, IconStates) {
    struct Case {
        const char* name;
        std::string icon;
        std::optional<std::string> appIcon;
        State::IconState expected;
        bool compliant;
    };
    const std::string wide = testing::wideIcon();
    const std::string errorIcon =
        testing::iconWith(R"(<path d="M0 0L960 0L960 100Z" fill="red"/><path d="M0 0a5 5 0 0 0 9 9H5Z"/>)");
    const std::vector<Case> cases{
        {"warnings only",
         testing::iconWith(R"(<path d="M0 0H960V100Z"/>)"),
         std::nullopt,
         {State::IconState::Valid{false}},
         true},
        {"byte-identical to the app icon", wide, wide, {State::IconState::Valid{true}}, false},
        {"same drawing, other bytes", wide, wide + "\n", {State::IconState::Valid{false}}, true},
        {"errors and a warning",
         errorIcon,
         wide,
         {State::IconState::Invalid{{icon_geometry::ValidationIssue::ellipticalArcs(1),
                                     icon_geometry::ValidationIssue::multipleColors({"#000000", "red"})}}},
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Project p;
        p.writeDriverAssets(c.icon);
        if (c.appIcon) p.folder.write("assets/icon.svg", *c.appIcon);
        const State state = p.load();
        EXPECT_EQ(state.icon, c.expected);
        EXPECT_EQ(state.isCompliant(), c.compliant);
    }
}

TEST(DriverAssetsState, UnreadableFilesAreMissing) {
    Project p;
    p.writeDriverAssets(testing::wideIcon());
    std::filesystem::remove(p.folder / "drivers/plug/assets/icon.svg");
    p.folder.fifo("drivers/plug/assets/icon.svg");
    std::filesystem::remove(p.folder / "drivers/plug/assets/images/xlarge.png");
    p.folder.link("drivers/plug/assets/images/xlarge.png", "/dev/zero");
    const State state = p.load();
    EXPECT_EQ(state.icon, State::IconState{State::IconState::Missing{}});
    EXPECT_EQ(state.images.at(DriverImageSize::xlarge), State::ImageState{State::ImageState::Missing{}});
}

TEST(DriverAssetsState, ImageStates) {
    Project p;
    p.writeDriverAssets(testing::wideIcon());
    p.folder.write("drivers/plug/assets/images/large.png", "text, not an image");
    p.folder.write("drivers/plug/assets/images/small.png", testing::uniformPng(74, 74, white));
    p.folder.write("drivers/plug/assets/images/xlarge.png", testing::uniformJpeg(1000, 1000, white));
    const State state = p.load();
    EXPECT_EQ(state.images.at(DriverImageSize::large),
              State::ImageState{State::ImageState::Invalid{{DriverImageIssue::unreadable()}}});
    EXPECT_EQ(state.images.at(DriverImageSize::small),
              State::ImageState{State::ImageState::Invalid{{DriverImageIssue::wrongSize(74, 74, 75)}}});
    EXPECT_EQ(state.images.at(DriverImageSize::xlarge),
              State::ImageState{State::ImageState::Invalid{{DriverImageIssue::wrongFormat()}}});
    EXPECT_FALSE(state.isCompliant());
}

TEST(DriverAssetsState, AnythingAtTheModelNameIsAModel) {
    for (const char* kind : {"empty", "corrupt", "dangling link"}) {
        SCOPED_TRACE(kind);
        Project p;
        const std::string model = "sources/icones/plug/modele.json";
        if (std::string_view(kind) == "dangling link")
            p.folder.link(model, p.folder / "nowhere");
        else
            p.folder.write(model, std::string_view(kind) == "empty" ? "" : "{");
        EXPECT_TRUE(p.load().hasModel);
    }
}

TEST(SourceLayout, FacePhotoKeepsItsExtensionInLowerCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"face.JPG", "jpg"},       {"/home/me/photos/face.HeIc", "heic"},
        {"face", "png"},           {"archive.tar.gz", "gz"},
        {"/photos.d/face", "png"}, {".hidden", "png"},
        {"face.", "png"},          {"", "png"},
        {"visage-é.Jpeg", "jpeg"},
    };
    for (const auto& [path, extension] : cases) EXPECT_EQ(SourceLayout::facePhotoExtension(path), extension) << path;
    EXPECT_EQ(SourceLayout::facePhotoName("jpg"), "photo-face.jpg");
}

}  // namespace
}  // namespace homey_project
