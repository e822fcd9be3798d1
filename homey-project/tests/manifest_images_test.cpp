// Drivers whose manifests name their images, as the platform's own apps do:
// JPEG files under {{driverAssetsPath}}, PNG files in another folder, images
// listed in "app.json" by a project without Homey Compose, and names that must
// not be followed. Each layout goes through the reader, the asset state, the
// report and the writer.

#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "bytes.hpp"
#include "homey_project/compliance_report.hpp"
#include "homey_project/driver_assets_state.hpp"
#include "homey_project/driver_package_writer.hpp"
#include "image_io/image.hpp"
#include "project_snapshot.hpp"
#include "temporary_project.hpp"
#include "test_images.hpp"

namespace homey_project {
namespace {

using testing::TemporaryFolder;
using Item = ComplianceItem;
using Status = ComplianceStatus;
using State = DriverAssetsState;
constexpr DriverImageSize small = DriverImageSize::small;
constexpr DriverImageSize large = DriverImageSize::large;
constexpr DriverImageSize xlarge = DriverImageSize::xlarge;

constexpr testing::Rgba white{255, 255, 255, 255};

std::string imagesObject(const std::string& small, const std::string& large, const std::string& xlarge = "") {
    std::string object = R"({"small":")" + small + R"(","large":")" + large + '"';
    if (!xlarge.empty()) object += R"(,"xlarge":")" + xlarge + '"';
    return object + "}";
}

// One project holding a driver of each layout.
struct Layouts {
    TemporaryFolder folder;
    TemporaryFolder outside;

    Layouts() {
        outside.write("small.png", "outside");
        folder.write(
            "app.json",
            R"({"id":"com.example","images":{"large":"/assets/images/large.jpg"},"drivers":[
            {"id":"listed","images":)" +
                imagesObject("/drivers/listed/assets/images/small.JPG", "./drivers/listed/assets/images/large.jpeg") +
                R"(},
            {"id":"templated","images":)" +
                imagesObject("/drivers/templated/assets/images/small.jpg",
                             "/drivers/templated/assets/images/large.jpg") +
                R"(},
            {"id":"composed","images":)" +
                imagesObject("/drivers/composed/assets/images/small.jpg", "/drivers/composed/assets/images/large.jpg") +
                R"(}]})");
        compose("jpeg", imagesObject("{{driverAssetsPath}}/images/small.jpg", "{{driverAssetsPath}}/images/large.jpg"));
        compose("photos",
                imagesObject("{{driverPath}}/assets/photos/small.png", "/drivers/photos/assets/photos/large.png",
                             "drivers/{{driverId}}/assets/photos/xlarge.png"));
        folder.folder("drivers/listed");
        folder.write("drivers/templated/driver.compose.json", R"({"name":"Templated","$extends":["plug"]})");
        compose("composed",
                imagesObject("{{driverAssetsPath}}/images/small.png", "{{driverAssetsPath}}/images/large.png"));
        compose("refused", R"({"small":"{{driverAssetsPath}}/../../../outside/small.png",)"
                           R"("large":"{{driverAssetsPath}}/images/large.gif","xlarge":1000})");
        compose("escaping", R"({"small":"{{driverAssetsPath}}/out/small.png","large":"/drivers/escaping/a\u0000.png",)"
                            R"("xlarge":"/tmp/xlarge.jpg"})");
        folder.link("drivers/escaping/assets/out", outside.path());
        compose("shared",
                imagesObject("{{driverAssetsPath}}/shared/small.png", "{{driverAssetsPath}}/shared/large.png"));
        folder.folder("shared");
        // The small image named where the large one is by default.
        compose("twice", R"({"small":"{{driverAssetsPath}}/images/large.png"})");
        folder.link("drivers/shared/assets/shared", folder / "shared");
    }
    void compose(const std::string& id, const std::string& images) const {
        folder.write("drivers/" + id + "/driver.compose.json", R"({"name":")" + id + R"(","images":)" + images + "}");
    }
    HomeyApp read() const { return HomeyProjectReader::readProject(folder.path()); }
    static const HomeyDriver& driver(const HomeyApp& app, const std::string& id) {
        for (const HomeyDriver& d : app.drivers)
            if (d.id == id) return d;
        throw std::out_of_range(id);
    }
    std::string relative(const std::filesystem::path& file) const {
        return HomeyProjectWriter::relativePath(file, folder.path());
    }
};

TEST(ManifestImages, EachSizeIsTheFileTheManifestNamesElseItsDefault) {
    const Layouts layouts;
    const HomeyApp app = layouts.read();
    struct Case {
        const char* id;
        std::array<const char*, 3> files;  // small, large, xlarge, relative to the root
    };
    const std::vector<Case> cases{
        {"jpeg",
         {"drivers/jpeg/assets/images/small.jpg", "drivers/jpeg/assets/images/large.jpg",
          "drivers/jpeg/assets/images/xlarge.png"}},
        {"photos",
         {"drivers/photos/assets/photos/small.png", "drivers/photos/assets/photos/large.png",
          "drivers/photos/assets/photos/xlarge.png"}},
        // Without Homey Compose the entry of "app.json" names them, any case.
        {"listed",
         {"drivers/listed/assets/images/small.JPG", "drivers/listed/assets/images/large.jpeg",
          "drivers/listed/assets/images/xlarge.png"}},
        // A template gave them: the built "app.json" says where they are.
        {"templated",
         {"drivers/templated/assets/images/small.jpg", "drivers/templated/assets/images/large.jpg",
          "drivers/templated/assets/images/xlarge.png"}},
        // The driver's own file is newer than the built "app.json".
        {"composed",
         {"drivers/composed/assets/images/small.png", "drivers/composed/assets/images/large.png",
          "drivers/composed/assets/images/xlarge.png"}},
        // "..", an ending the platform refuses, a number: the default files.
        {"refused",
         {"drivers/refused/assets/images/small.png", "drivers/refused/assets/images/large.png",
          "drivers/refused/assets/images/xlarge.png"}},
        // A link out of the project and a NUL byte are refused; a leading "/"
        // is the project's root, never the disk's.
        {"escaping",
         {"drivers/escaping/assets/images/small.png", "drivers/escaping/assets/images/large.png", "tmp/xlarge.jpg"}},
        // A link that stays inside the project is followed.
        {"shared",
         {"drivers/shared/assets/shared/small.png", "drivers/shared/assets/shared/large.png",
          "drivers/shared/assets/images/xlarge.png"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        const HomeyDriver& driver = Layouts::driver(app, c.id);
        for (std::size_t i = 0; i < allDriverImageSizes.size(); ++i)
            EXPECT_EQ(layouts.relative(driver.imageFile(allDriverImageSizes[i])), c.files[i]);
    }
    EXPECT_EQ(Layouts::driver(app, "listed").imageFormat(small), DriverImageFormat::jpeg);
    EXPECT_EQ(Layouts::driver(app, "jpeg").imageFileName(xlarge), "xlarge.png");
    EXPECT_EQ(layouts.relative(app.largeImageFile()), "assets/images/large.jpg");
    EXPECT_EQ(layouts.relative(app.imageFile(small)), "assets/images/small.png");
}

TEST(ManifestImages, StateAndReportJudgeEachFileUnderItsOwnNameAndFormat) {
    const Layouts layouts;
    const std::string smallJpeg = testing::uniformJpeg(75, 75, white);
    const std::string largeJpeg = testing::uniformJpeg(500, 500, white);
    layouts.folder.write("drivers/jpeg/assets/images/small.jpg", smallJpeg);
    layouts.folder.write("drivers/jpeg/assets/images/large.jpg", largeJpeg);
    // A PNG saved under a JPEG name, and a JPEG under a PNG name.
    layouts.folder.write("drivers/photos/assets/photos/small.png", smallJpeg);
    layouts.folder.write("drivers/photos/assets/photos/large.png", testing::uniformPng(500, 500, white));
    layouts.folder.write("drivers/listed/assets/images/small.JPG", testing::uniformPng(75, 75, white));
    layouts.folder.write("assets/images/large.jpg", largeJpeg);
    const HomeyApp app = layouts.read();

    const State jpeg = State::load(Layouts::driver(app, "jpeg"), app);
    EXPECT_EQ(jpeg.images.at(small), State::ImageState{State::ImageState::Valid{}});
    EXPECT_EQ(jpeg.images.at(large), State::ImageState{State::ImageState::Valid{}});
    EXPECT_EQ(jpeg.images.at(xlarge), State::ImageState{State::ImageState::Missing{}});
    EXPECT_EQ(State::load(Layouts::driver(app, "photos"), app).images.at(small),
              State::ImageState{State::ImageState::Invalid{{DriverImageIssue::wrongFormat(DriverImageFormat::png)}}});
    EXPECT_EQ(State::load(Layouts::driver(app, "listed"), app).images.at(small),
              State::ImageState{State::ImageState::Invalid{{DriverImageIssue::wrongFormat(DriverImageFormat::jpeg)}}});

    const auto imageLines = [&app](const std::string& id, const ComplianceReport::Images& images = {}) {
        const ComplianceReport report =
            ComplianceReport::forProjectDriver(Layouts::driver(app, id), app, std::nullopt, images, 16);
        std::vector<ComplianceCheck> lines;
        for (const ComplianceCheck& check : report.checks)
            if (check.item.is<Item::ImageSize>() || check.item.is<Item::ImageBackground>() ||
                check.item.is<Item::ImageFormat>() || check.item.is<Item::ImageDistinctFromApp>())
                lines.push_back(check);
        return lines;
    };
    // The same large image as the app's own, a JPEG too: the likeness is seen.
    EXPECT_EQ(imageLines("jpeg"),
              (std::vector<ComplianceCheck>{{{Item::ImageSize{small, "small.jpg"}}, Status::passed},
                                            {{Item::ImageBackground{small, "small.jpg"}}, Status::passed},
                                            {{Item::ImageSize{large, "large.jpg"}}, Status::passed},
                                            {{Item::ImageBackground{large, "large.jpg"}}, Status::passed},
                                            {{Item::ImageSize{xlarge, "xlarge.png"}}, Status::failed},
                                            {{Item::ImageDistinctFromApp{0}}, Status::failed}}));
    EXPECT_EQ(imageLines("listed").front(), (ComplianceCheck{{Item::ImageFormat{small, "small.JPG"}}, Status::failed}));
    // Images about to be written are the writer's PNG files, whatever the file's format.
    EXPECT_EQ(imageLines("jpeg", {{small, testing::uniformPng(75, 75, white)}}).front(),
              (ComplianceCheck{{Item::ImageSize{small, "small.jpg"}}, Status::passed}));
    // Without a project, the file named for an image tells its format.
    const ComplianceReport standalone = ComplianceReport::forStandaloneIcon(
        std::nullopt, {{small, smallJpeg}, {large, smallJpeg}}, 16, {{small, "small.jpg"}});
    EXPECT_EQ(standalone.checks[1], (ComplianceCheck{{Item::ImageSize{small, "small.jpg"}}, Status::passed}));
    EXPECT_EQ(standalone.checks[3], (ComplianceCheck{{Item::ImageFormat{large, "large.png"}}, Status::failed}));
}

// A rendered driver image: a grey device with a blue dot, on a clear background.
std::string renderedPng(int side) {
    std::vector<testing::Rgba> pixels;
    for (int y = 0; y < side; ++y)
        for (int x = 0; x < side; ++x) {
            const double dx = (x + 0.5) / side - 0.5;
            const double dy = (y + 0.5) / side - 0.5;
            if (std::hypot(dx, dy) < 0.1)
                pixels.push_back({30, 60, 200, 255});
            else if (std::abs(dx) < 0.4 && std::abs(dy) < 0.4)
                pixels.push_back({120, 120, 128, 255});
            else
                pixels.push_back({0, 0, 0, 0});
        }
    return testing::pngOf(side, side, pixels);
}

TEST(ManifestImages, TheWriterPutsEachImageInTheFileTheManifestNamesInThatFilesFormat) {
    const Layouts layouts;
    layouts.folder.write("drivers/jpeg/assets/images/small.jpg", testing::uniformJpeg(75, 75, white));
    layouts.folder.write("drivers/jpeg/assets/images/large.jpg", testing::uniformJpeg(500, 500, white));
    const std::string manifestBytes = testing::readAll(layouts.folder / "app.json");
    const std::string composeBytes = testing::readAll(layouts.folder / "drivers/jpeg/driver.compose.json");
    const HomeyApp app = layouts.read();
    const HomeyProjectWriter writer;
    DriverPackage package;
    package.iconSVG = R"(<svg xmlns="http://www.w3.org/2000/svg" viewBox="0 0 960 960"/>)";
    for (DriverImageSize size : allDriverImageSizes) package.images[size] = renderedPng(rawValue(size));

    const std::vector<PlannedWrite> plan = writer.plan(package, Layouts::driver(app, "jpeg"), app);
    ASSERT_GE(plan.size(), 4u);
    EXPECT_EQ(std::vector<PlannedWrite>(plan.begin() + 1, plan.begin() + 4),
              (std::vector<PlannedWrite>{{"drivers/jpeg/assets/images/small.jpg", true},
                                         {"drivers/jpeg/assets/images/large.jpg", true},
                                         {"drivers/jpeg/assets/images/xlarge.png", false}}));

    // Bytes that are no image cannot become a JPEG: nothing is written.
    DriverPackage broken = package;
    broken.images[small] = "not an image";
    const testing::Snapshot before = testing::snapshot(layouts.folder.path());
    try {
        (void)writer.write(broken, Layouts::driver(app, "jpeg"), app, true);
        ADD_FAILURE() << "written";
    } catch (const HomeyProjectError& error) {
        EXPECT_EQ(error, HomeyProjectError::writeFailed("drivers/jpeg/assets/images/small.jpg"));
    }
    EXPECT_EQ(testing::snapshot(layouts.folder.path()), before);

    EXPECT_EQ(writer.write(package, Layouts::driver(app, "jpeg"), app, true), plan);
    const std::string written = testing::readAll(layouts.folder / "drivers/jpeg/assets/images/small.jpg");
    EXPECT_EQ(image_io::sniffFormat(asBytes(written)), image_io::ImageFormat::jpeg);
    // Laid on white, as the platform shows it, and still the device.
    const image_io::RgbaImage shown = image_io::decode(asBytes(written));
    ASSERT_EQ(shown.width, 75);
    const auto at = [&shown](int x, int y) { return &shown.pixels[(static_cast<std::size_t>(y) * 75 + x) * 4]; };
    EXPECT_GE(at(1, 1)[0], 250);
    EXPECT_NEAR(at(37, 37)[2], 200, 12);
    EXPECT_FALSE(std::filesystem::exists(layouts.folder / "drivers/jpeg/assets/images/small.png"));
    EXPECT_EQ(testing::readAll(layouts.folder / "app.json"), manifestBytes);
    EXPECT_EQ(testing::readAll(layouts.folder / "drivers/jpeg/driver.compose.json"), composeBytes);
    const HomeyApp after = layouts.read();
    const State state = State::load(Layouts::driver(after, "jpeg"), after);
    for (DriverImageSize size : allDriverImageSizes)
        EXPECT_EQ(state.images.at(size), State::ImageState{State::ImageState::Valid{}}) << rawValue(size);

    // One file named for two sizes cannot hold both: the write is refused.
    try {
        (void)writer.write(package, Layouts::driver(app, "twice"), app, true);
        ADD_FAILURE() << "written";
    } catch (const HomeyProjectError& error) {
        EXPECT_EQ(error, HomeyProjectError::writeFailed("drivers/twice/assets/images/large.png"));
    }
    EXPECT_FALSE(std::filesystem::exists(layouts.folder / "drivers/twice/assets/images/large.png"));

    // A name that leads out of the project is not followed: the default file is written.
    EXPECT_EQ(writer.plan(package, Layouts::driver(app, "escaping"), app)[1].path,
              "drivers/escaping/assets/images/small.png");
    (void)writer.write(package, Layouts::driver(app, "escaping"), app, true);
    EXPECT_EQ(testing::readAll(layouts.outside / "small.png"), "outside");
}

}  // namespace
}  // namespace homey_project
