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

    std::filesystem::path assetsFolder() const { return joinPath(folder, "assets"); }
    std::filesystem::path iconFile() const { return joinPath(folder, "assets/icon.svg"); }
    std::filesystem::path imageFile(DriverImageSize size) const;
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

    std::filesystem::path iconFile() const { return joinPath(root, "assets/icon.svg"); }
    std::filesystem::path largeImageFile() const { return joinPath(root, "assets/images/large.png"); }
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
    // The driver in a folder, named by its "driver.compose.json", else by the
    // manifest's entry for its id. Never fails.
    [[nodiscard]] static HomeyDriver readDriver(const std::filesystem::path& folder,
                                                const std::map<std::string, LocalizedNames>& manifestNames);
    // A JSON text is the "en" name; an object whose every value is text is the
    // map as it stands (any codes, or none); anything else gives nothing.
    [[nodiscard]] static std::optional<LocalizedNames> parseNames(const nlohmann::json& value);
};

}  // namespace homey_project
