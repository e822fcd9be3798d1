#include <gtest/gtest.h>

#include <image_io/image.hpp>
#include <photo_analysis/segmenter.hpp>

#include "fixtures.hpp"
#include "report_text.hpp"

namespace icon_command {
namespace {

namespace fs = std::filesystem;
using icon_geometry::ModelTemplate;
using testing::expectRefusal;
using testing::runTool;
using testing::TemporaryFolder;
using testing::Transcript;

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        result.push_back(text.substr(start, end - start));
    return result;
}

// ---- controle / check

TEST(CheckCommand, UsesOnlyTheImagesFoundInTheFolder) {
    TemporaryFolder folder;
    testing::writeText(folder.file("icon.svg"), testing::templateIcon(ModelTemplate::panel));
    fs::create_directory(folder.file("images"));
    testing::writeText(folder.file("images/large.png"), testing::whitePng(500));
    for (const auto& [language, word, golden] : {std::tuple{Language::fr, "controle", "check-large-only-fr.txt"},
                                                 std::tuple{Language::en, "check", "check-large-only-en.txt"}}) {
        const Transcript t = runTool({word, folder.file("icon.svg"), "--images", folder.file("images")}, language);
        EXPECT_EQ(t.code, 0) << t.out;
        EXPECT_EQ(t.err, "");
        testing::expectMatchesGolden(golden, t.out);
        EXPECT_NE(t.out.find("large.png"), std::string::npos);
        EXPECT_EQ(t.out.find("small.png"), std::string::npos);
        EXPECT_EQ(t.out.find("xlarge.png"), std::string::npos);
    }
    // Without the folder: the icon lines and the reminder only.
    const Transcript iconOnly = runTool({"check", folder.file("icon.svg")}, Language::en);
    EXPECT_EQ(iconOnly.code, 0);
    EXPECT_EQ(iconOnly.out.find(".png"), std::string::npos);
    EXPECT_NE(iconOnly.out.find("  ? Are the images photographs of the device? Check it yourself.\n"),
              std::string::npos);
}

TEST(CheckCommand, FailedChecksEndInFailure) {
    TemporaryFolder folder;
    // A wrong-sized image with a dark border, and bytes that are not SVG.
    fs::create_directory(folder.file("images"));
    testing::writeText(folder.file("images/small.png"), testing::squarePhoto(80, 80));
    testing::writeText(folder.file("icon.svg"), testing::templateIcon(ModelTemplate::bulb));
    const Transcript badImage =
        runTool({"check", folder.file("icon.svg"), "--images", folder.file("images")}, Language::en);
    EXPECT_EQ(badImage.code, 1);
    EXPECT_NE(badImage.out.find("  ✗ small.png: 75 × 75 pixels\n  ✗ small.png: white or transparent background\n"),
              std::string::npos)
        << badImage.out;
    EXPECT_TRUE(badImage.out.ends_with("\n2 errors, 0 warnings\n")) << badImage.out;

    // A JPEG under a PNG's name: its own failed line, and no passed size or background.
    testing::writeText(folder.file("images/small.png"), testing::whiteJpeg(75));
    for (const auto& [language, line] : {std::pair{Language::fr, "  ✗ small.png n’est pas un fichier PNG\n"},
                                         std::pair{Language::en, "  ✗ small.png is not a PNG file\n"}}) {
        const Transcript jpeg =
            runTool({"check", folder.file("icon.svg"), "--images", folder.file("images")}, language);
        EXPECT_EQ(jpeg.code, 1);
        EXPECT_NE(jpeg.out.find(line), std::string::npos) << jpeg.out;
        EXPECT_EQ(jpeg.out.find("✓ small.png"), std::string::npos) << jpeg.out;
    }
}

// A driver's images folder may hold JPEG files: each size is its PNG, else its
// JPEG under either ending, judged as the format its name says.
TEST(CheckCommand, EachSizeIsItsPngElseItsJpeg) {
    TemporaryFolder folder;
    testing::writeText(folder.file("icon.svg"), testing::templateIcon(ModelTemplate::panel));
    fs::create_directory(folder.file("images"));
    testing::writeText(folder.file("images/small.jpg"), testing::whiteJpeg(75));
    testing::writeText(folder.file("images/small.jpeg"), testing::whitePng(75));
    testing::writeText(folder.file("images/large.png"), testing::whitePng(500));
    testing::writeText(folder.file("images/large.jpg"), "never read: the PNG comes first");
    testing::writeText(folder.file("images/xlarge.jpeg"), testing::whitePng(1000));
    for (const auto& [language, expected] :
         {std::pair{Language::en, std::vector<std::string>{"  ✓ small.jpg: 75 × 75 pixels",
                                                           "  ✓ small.jpg: white or transparent background",
                                                           "  ✓ large.png: 500 × 500 pixels",
                                                           "  ✓ large.png: white or transparent background",
                                                           "  ✗ xlarge.jpeg is not a JPEG file"}},
          std::pair{Language::fr, std::vector<std::string>{
                                      "  ✓ small.jpg : 75 × 75 pixels", "  ✓ small.jpg : fond blanc ou transparent",
                                      "  ✓ large.png : 500 × 500 pixels", "  ✓ large.png : fond blanc ou transparent",
                                      "  ✗ xlarge.jpeg n’est pas un fichier JPEG"}}}) {
        const Transcript t = runTool({"check", folder.file("icon.svg"), "--images", folder.file("images")}, language);
        EXPECT_EQ(t.code, 1) << t.out;
        std::vector<std::string> images;
        for (const std::string& line : lines(t.out))
            if (line.find("large") != std::string::npos || line.find("small") != std::string::npos)
                images.push_back(line);
        EXPECT_EQ(images, expected) << t.out;
    }
    // A folder holding only a JPEG has a driver image.
    fs::create_directory(folder.file("only-jpeg"));
    testing::writeText(folder.file("only-jpeg/large.jpeg"), testing::whiteJpeg(500));
    const Transcript t =
        runTool({"check", folder.file("icon.svg"), "--images", folder.file("only-jpeg")}, Language::en);
    EXPECT_EQ(t.code, 0) << t.err;
    EXPECT_NE(t.out.find("  ✓ large.jpeg: 500 × 500 pixels\n"), std::string::npos) << t.out;
}

// A file that holds no SVG document is refused as unreadable: nothing is
// reported about it, not even what it passes.
TEST(CheckCommand, AFileThatIsNotAnSvgDocumentIsRefused) {
    TemporaryFolder folder;
    testing::writeText(folder.file("notes.svg"), "ceci n’est pas une icône");
    testing::writeText(folder.file("large.png"), testing::whitePng(500));
    testing::writeText(folder.file("cut.svg"), testing::templateIcon(ModelTemplate::bulb).substr(0, 200));
    for (const std::string name : {"notes.svg", "large.png", "cut.svg"}) {
        expectRefusal(runTool({"controle", folder.file(name)}, Language::fr), 3,
                      folder.file(name) + " n’est pas un document SVG.");
        expectRefusal(runTool({"check", folder.file(name)}, Language::en), 3,
                      folder.file(name) + " is not an SVG document.");
    }
}

TEST(CheckCommand, Refusals) {
    TemporaryFolder folder;
    const std::string icon = folder.file("icon.svg");
    testing::writeText(icon, testing::templateIcon(ModelTemplate::panel));
    fs::create_directory(folder.file("empty"));
    fs::create_directory(folder.file("icon-folder.svg"));
    testing::makeFifo(folder.file("fifo.svg"));
    fs::create_symlink("/dev/zero", folder.file("zero.svg"));

    for (const std::vector<std::string>& arguments :
         std::vector<std::vector<std::string>>{{"check"}, {"check", icon, icon}}) {
        expectRefusal(runTool(arguments, Language::en), 2, "Usage: glyphctl check <icon.svg> [--images folder]");
    }
    expectRefusal(runTool({"controle"}, Language::fr), 2, "Usage : glyphctl controle <icone.svg> [--images dossier]");
    expectRefusal(runTool({"check", icon, "-o", "x"}, Language::en), 2, "This command does not take --sortie.");
    expectRefusal(runTool({"check", icon, "--images", folder.file("empty")}, Language::en), 3,
                  "No driver image in " + folder.file("empty") + ".");
    expectRefusal(runTool({"controle", icon, "--images", "nulle-part/"}, Language::fr), 3,
                  "Aucune image de pilote dans nulle-part/.");
    // Never waits on a pipe, never reads a device.
    for (const std::string name : {"missing.svg", "icon-folder.svg", "fifo.svg", "zero.svg"}) {
        expectRefusal(runTool({"check", folder.file(name)}, Language::en), 3, "Cannot read " + folder.file(name) + ".");
        expectRefusal(runTool({"controle", folder.file(name)}, Language::fr), 3,
                      "Impossible de lire " + folder.file(name) + ".");
    }
}

// ---- images

TEST(ImagesCommand, WritesThreeImagesOfAPhotoWithTheirFullPaths) {
    TemporaryFolder folder;
    testing::writeText(folder.file("photo.png"), testing::devicePhoto());
    const Transcript t =
        runTool({"images", folder.file("photo.png"), "-o", folder.file("sortie/./images/../images/")}, Language::fr);
    EXPECT_EQ(t.code, 0) << t.err;
    const std::string written = folder.file("sortie/images/");
    EXPECT_EQ(t.out, "Image écrite : " + written + "small.png\nImage écrite : " + written +
                         "large.png\nImage écrite : " + written +
                         "xlarge.png\nRappel : le Homey App Store exige une vraie photographie de l’appareil, sur fond "
                         "blanc.\n");
    EXPECT_EQ(t.err, "");
    for (const auto size : homey_project::allDriverImageSizes) {
        const std::string png = testing::readText(written + std::string(homey_project::fileName(size)));
        const image_io::ImageHeader header =
            image_io::readHeader({reinterpret_cast<const std::uint8_t*>(png.data()), png.size()});
        EXPECT_EQ(header.width, homey_project::rawValue(size));
        EXPECT_EQ(header.height, homey_project::rawValue(size));
    }
}

TEST(ImagesCommand, AFolderWhereAnImageGoesReplacesNoImage) {
    TemporaryFolder folder;
    testing::writeText(folder.file("photo.png"), testing::squarePhoto(120, 60));
    testing::writeText(folder.file("out/small.png"), "old small");
    testing::writeText(folder.file("out/large.png"), "old large");
    fs::create_directories(folder.path() / "out/xlarge.png");
    const auto before = testing::tree(folder.path());
    const Transcript t = runTool({"images", folder.file("photo.png"), "-o", folder.file("out")}, Language::en);
    EXPECT_EQ(t.code, 3);
    EXPECT_EQ(t.out, "");
    EXPECT_EQ(t.err, "Cannot write " + folder.file("out/xlarge.png") + ".\n");
    EXPECT_EQ(testing::tree(folder.path()), before);
}

TEST(ImagesCommand, AFailedWriteRemovesTheFoldersItMade) {
    TemporaryFolder folder;
    testing::writeText(folder.file("photo.png"), testing::squarePhoto(120, 60));
    fs::create_directories(folder.path() / "a/b/large.png");
    const Transcript t = runTool({"images", folder.file("photo.png"), "-o", folder.file("a/b")}, Language::en);
    EXPECT_EQ(t.code, 3);
    const Transcript made =
        runTool({"images", folder.file("photo.png"), "-o", folder.file("new/deeper")}, Language::en);
    EXPECT_EQ(made.code, 0) << made.err;
    EXPECT_TRUE(fs::is_regular_file(folder.path() / "new/deeper/xlarge.png"));
}

TEST(ImagesCommand, WithoutOutputWritesIntoTheWorkingFolder) {
    TemporaryFolder folder;
    testing::writeText(folder.file("photo.png"), testing::devicePhoto());
    const testing::WorkingFolder working(folder.path());
    const Transcript t = runTool({"images", "photo.png"}, Language::en);
    EXPECT_EQ(t.code, 0) << t.err;
    const std::string here = fs::current_path().string() + "/";
    EXPECT_EQ(t.out, "Image written: " + here + "small.png\nImage written: " + here +
                         "large.png\nImage written: " + here +
                         "xlarge.png\nReminder: the Homey App Store requires a real photograph of the device, on a "
                         "white background.\n");
    EXPECT_EQ(folder.entries(), (std::vector<std::string>{"large.png", "photo.png", "small.png", "xlarge.png"}));
}

TEST(ImagesCommand, ATinyPhotoIsEnlargedWithAWarningPerSize) {
    TemporaryFolder folder;
    testing::writeText(folder.file("tiny.png"), testing::squarePhoto(60, 25));
    const Transcript t = runTool({"images", folder.file("tiny.png"), "-o", folder.file("out")}, Language::fr);
    EXPECT_EQ(t.code, 0);
    EXPECT_EQ(lines(t.out).size(), 4u);
    const std::vector<std::string> warnings = lines(t.err);
    ASSERT_EQ(warnings.size(), 3u) << t.err;
    const char* files[]{"small.png", "large.png", "xlarge.png"};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_TRUE(warnings[i].starts_with(std::string("⚠︎ ") + files[i] + " : photo trop petite, objet agrandi "))
            << warnings[i];
        EXPECT_TRUE(warnings[i].ends_with(" fois"));
    }

    // The factor is the renderer's scale: 0.84 of the side over the subject's 25 pixels.
    const IconCommand::RenderedImages rendered =
        IconCommand::renderImages(folder.file("tiny.png"), Language::en, photo_analysis::NoSegmenter{});
    EXPECT_EQ(rendered.issueLines,
              (std::vector<std::string>{"small.png: photo too small, device enlarged 2.5 times",
                                        "large.png: photo too small, device enlarged 16.8 times",
                                        "xlarge.png: photo too small, device enlarged 33.6 times"}));
    EXPECT_EQ(rendered.images.size(), 3u);
}

TEST(ImagesCommand, APhotoWithoutDeviceWritesNothing) {
    TemporaryFolder folder;
    testing::writeText(folder.file("blanc.png"), testing::whitePng(200));
    const std::string out = folder.file("out");
    expectRefusal(runTool({"images", folder.file("blanc.png"), "-o", out}, Language::fr), 1,
                  "Aucun objet trouvé sur la photo " + folder.file("blanc.png") + ".");
    expectRefusal(runTool({"images", folder.file("blanc.png"), "-o", out}, Language::en), 1,
                  "No device found in the photo " + folder.file("blanc.png") + ".");
    EXPECT_FALSE(fs::exists(out));
}

// Photos with no device in them: once a grey blob or a band of wall was written
// as driver images with exit 0.
TEST(ImagesCommand, ATextureOrAGradedWallAloneWritesNothing) {
    TemporaryFolder folder;
    const photo_analysis::Photo granite = test_photo::noDevicePhoto(test_photo::NoDevice::granite, 1200, 900);
    const std::vector<std::uint8_t> granitePixels(granite.pixels().begin(), granite.pixels().end());
    testing::writeText(folder.file("granit.png"),
                       testing::text(test_photo::encodePng(test_photo::rgbaImage(1200, 900, granitePixels))));
    std::vector<std::uint8_t> wall(std::size_t{1200} * 900 * 3);
    for (std::size_t i = 0; i < wall.size(); ++i) wall[i] = static_cast<std::uint8_t>(235 - 45 * (i / 3600) / 900);
    testing::writeText(folder.file("mur.png"), testing::text(image_io::encodePngRgb(1200, 900, wall)));
    const std::string out = folder.file("out");
    for (const std::string name : {"granit.png", "mur.png"}) {
        expectRefusal(runTool({"images", folder.file(name), "-o", out}, Language::fr), 1,
                      "Aucun objet trouvé sur la photo " + folder.file(name) + ".");
    }
    EXPECT_FALSE(fs::exists(out));
}

TEST(ImagesCommand, UnreadablePhotos) {
    TemporaryFolder folder;
    testing::writeText(folder.file("text.jpg"), "pas une photo");
    std::string jpeg = testing::text(
        test_photo::encodeJpeg(test_photo::rgbaImage(64, 64, std::vector<std::uint8_t>(64 * 64 * 4, 200)), 90));
    jpeg.resize(jpeg.size() / 2);
    testing::writeText(folder.file("truncated.jpg"), jpeg);
    testing::writeText(folder.file("bomb.png"), testing::bombPng());
    testing::makeFifo(folder.file("fifo.png"));
    fs::create_directory(folder.file("folder.png"));
    fs::create_symlink("/dev/zero", folder.file("zero.png"));
    for (const std::string name :
         {"text.jpg", "truncated.jpg", "bomb.png", "fifo.png", "folder.png", "zero.png", "missing.png"}) {
        const std::string photo = folder.file(name);
        expectRefusal(runTool({"images", photo, "-o", folder.file("out")}, Language::fr), 3,
                      "Photo illisible : " + photo + ".");
        expectRefusal(runTool({"images", photo, "-o", folder.file("out")}, Language::en), 3,
                      "Unreadable photo: " + photo + ".");
    }
    EXPECT_FALSE(fs::exists(folder.file("out")));
}

TEST(ImagesCommand, Refusals) {
    TemporaryFolder folder;
    expectRefusal(runTool({"images"}, Language::en), 2, "Usage: glyphctl images <photo> [-o folder]");
    expectRefusal(runTool({"images", "a.jpg", "b.jpg"}, Language::fr), 2,
                  "Usage : glyphctl images <photo> [-o dossier]");
    expectRefusal(runTool({"images", "a.jpg", "--images", "x"}, Language::en), 2,
                  "This command does not take --images.");

    // A folder that cannot be made is named by its full path, once the photo is rendered.
    testing::writeText(folder.file("photo.png"), testing::squarePhoto(120, 60));
    testing::writeText(folder.file("file"), "");
    expectRefusal(runTool({"images", folder.file("photo.png"), "-o", folder.file("file/./sub//")}, Language::en), 3,
                  "Cannot create the folder " + folder.file("file/sub") + ".");
    expectRefusal(runTool({"images", folder.file("photo.png"), "-o", folder.file("file")}, Language::fr), 3,
                  "Impossible de créer le dossier " + folder.file("file") + ".");
}

}  // namespace
}  // namespace icon_command
