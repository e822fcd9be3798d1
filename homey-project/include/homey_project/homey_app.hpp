#pragma once

#include <filesystem>
#include <map>
#include <nlohmann/json_fwd.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "homey_project/driver_image_check.hpp"
#include "homey_project/homey_project_error.hpp"

namespace homey_project {

// Language code to name.
using LocalizedNames = std::map<std::string, std::string>;

// What a manifest's "images" object names for each size, as written there.
using ImageNames = std::map<DriverImageSize, std::string>;

// Image files by size, each a path inside the project.
using ImageFiles = std::map<DriverImageSize, std::filesystem::path>;

// Joins a relative path below a folder without doubling a "/" when the folder
// was handed with trailing separators.
[[nodiscard]] std::filesystem::path joinPath(const std::filesystem::path& folder, std::string_view relative);

// The name for a language code: that entry, else "en", else the fallback.
[[nodiscard]] std::string displayName(const LocalizedNames& names, std::string_view language,
                                      std::string_view fallback);

// One device driver: a folder under the project's drivers folder.
struct HomeyDriver {
    std::string id;  // the folder's name
    LocalizedNames names;
    std::filesystem::path folder;  // as listed under the drivers folder
    // The files the driver's manifest names for its images, found inside the
    // project; a size it names nowhere usable is absent and has its default file.
    ImageFiles imageFiles;

    std::filesystem::path assetsFolder() const { return joinPath(folder, "assets"); }
    std::filesystem::path iconFile() const { return joinPath(folder, "assets/icon.svg"); }
    // The named file, else assets/images/ and the size's PNG name.
    std::filesystem::path imageFile(DriverImageSize size) const;
    // The last component of the image's file, "small.jpg" for instance.
    std::string imageFileName(DriverImageSize size) const;
    // What the image's file name says it holds.
    DriverImageFormat imageFormat(DriverImageSize size) const;
    std::string displayName(std::string_view language) const;

    friend bool operator==(const HomeyDriver&, const HomeyDriver&) = default;
};

// One opened Homey app project.
struct HomeyApp {
    std::filesystem::path root;  // exactly as handed to the reader
    std::string id;
    LocalizedNames names;
    std::optional<std::string> brandColor;  // as written, when text
    std::vector<HomeyDriver> drivers;       // sorted by id
    ImageFiles imageFiles;                  // the app's own images its manifest names, as for a driver

    std::filesystem::path iconFile() const { return joinPath(root, "assets/icon.svg"); }
    // The named file, else assets/images/ and the size's PNG name.
    std::filesystem::path imageFile(DriverImageSize size) const;
    std::filesystem::path largeImageFile() const { return imageFile(DriverImageSize::large); }
    std::string displayName(std::string_view language) const;

    friend bool operator==(const HomeyApp&, const HomeyApp&) = default;
};

// How the app and the tool reach a project, so either can be handed another
// implementation.
class HomeyProjectReading {
public:
    virtual ~HomeyProjectReading() = default;
    // Throws HomeyProjectError::notAHomeyApp.
    [[nodiscard]] virtual HomeyApp read(const std::filesystem::path& root) const = 0;
};

// Reads a project folder; never writes.
class HomeyProjectReader final : public HomeyProjectReading {
public:
    [[nodiscard]] HomeyApp read(const std::filesystem::path& root) const override { return readProject(root); }

    // The manifest is "app.json", else ".homeycompose/app.json": the first that
    // reads as a JSON object. Throws HomeyProjectError::notAHomeyApp when neither
    // does or its "id" is not text.
    [[nodiscard]] static HomeyApp readProject(const std::filesystem::path& root);
    // The driver in a folder of the project at `root`, its names and images
    // from its "driver.compose.json", else from the manifest's entry for its id
    // (names and images each on their own). Never fails.
    [[nodiscard]] static HomeyDriver readDriver(const std::filesystem::path& root, const std::filesystem::path& folder,
                                                const std::map<std::string, LocalizedNames>& manifestNames,
                                                const std::map<std::string, ImageNames>& manifestImages);
    // A JSON text is the "en" name; an object whose every value is text is the
    // map as it stands (any codes, or none); anything else gives nothing.
    [[nodiscard]] static std::optional<LocalizedNames> parseNames(const nlohmann::json& value);
};

}  // namespace homey_project
