#pragma once

// Inputs the command tests make on the spot: icons, driver images, photos and
// the files a tool must never block on or trust.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <icon_geometry/camera.hpp>
#include <icon_geometry/model_template.hpp>
#include <image_io/png_encoder.hpp>
#include <string>
#include <vector>

#include "commands.hpp"
#include "test_photo/image_files.hpp"
#include "test_photo/scene.hpp"
#include "transcript.hpp"

namespace icon_command::testing {

inline std::string text(const std::vector<std::uint8_t>& bytes) {
    return {bytes.begin(), bytes.end()};
}

// The icon the tool draws for a template.
inline std::string templateIcon(icon_geometry::ModelTemplate::Case modelTemplate) {
    return IconCommand::iconSVG(icon_geometry::ModelTemplate(modelTemplate).model(),
                                icon_geometry::Camera::defaultCamera());
}

// A plain white square PNG: a driver image that passes its checks.
inline std::string whitePng(int side) {
    return text(image_io::encodePngRgb(side, side, std::vector<std::uint8_t>(std::size_t(side) * side * 3, 255)));
}

// The same square as a JPEG: what an image editor writes when told to.
inline std::string whiteJpeg(int side) {
    return text(test_photo::encodeJpeg(
        test_photo::rgbaImage(side, side, std::vector<std::uint8_t>(std::size_t(side) * side * 4, 255)), 90));
}

// A photo of a device on a blue wall, as PNG bytes.
inline std::string devicePhoto(int width = 1200, int height = 900) {
    test_photo::SceneOptions options;
    options.width = width;
    options.height = height;
    const test_photo::Scene scene = test_photo::renderScene(options);
    return text(test_photo::encodePng(test_photo::rgbaImage(scene.width, scene.height, scene.rgba)));
}

// A white photo with a dark square of `square` pixels in its middle.
inline std::string squarePhoto(int side, int square) {
    std::vector<std::uint8_t> rgb(std::size_t(side) * side * 3, 255);
    const int from = (side - square) / 2;
    for (int y = from; y < from + square; ++y)
        for (int x = from; x < from + square; ++x)
            for (int c = 0; c < 3; ++c) rgb[(std::size_t(y) * side + x) * 3 + c] = 40;
    return text(image_io::encodePngRgb(side, side, rgb));
}

// A PNG whose header announces 100000 × 100000 pixels, checksum and all.
std::string bombPng();

inline void makeFifo(const std::string& path) {
    ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0) << path;
}

// The files below a folder and their contents, to show a run changed nothing.
std::vector<std::pair<std::string, std::string>> tree(const std::filesystem::path& folder);

// Runs in another working folder for the scope's duration.
class WorkingFolder {
public:
    explicit WorkingFolder(const std::filesystem::path& folder) : previous_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;
    ~WorkingFolder() { std::filesystem::current_path(previous_); }

private:
    std::filesystem::path previous_;
};

}  // namespace icon_command::testing
