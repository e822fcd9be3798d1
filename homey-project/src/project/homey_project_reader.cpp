#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <nlohmann/json.hpp>

#include "file_access/bounded_read.hpp"
#include "homey_project/homey_app.hpp"
#include "project/image_paths.hpp"
#include "project/manifest.hpp"

namespace homey_project {
namespace {

// The names of the entries of a folder that are themselves folders, as the entry
// says: a link to a folder is a link, not a driver. Hidden entries are left out.
std::vector<std::string> subfolderNames(const std::filesystem::path& folder) {
    std::vector<std::string> names;
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return names;
    DIR* dir = ::fdopendir(fd);
    if (dir == nullptr) {
        ::close(fd);
        return names;
    }
    while (const dirent* entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (name.empty() || name.front() == '.') continue;
        bool isFolder = false;
        if (entry->d_type != DT_UNKNOWN) {
            isFolder = entry->d_type == DT_DIR;
        } else {
            struct stat status {};
            isFolder = ::fstatat(fd, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISDIR(status.st_mode);
        }
        if (isFolder) names.emplace_back(name);
    }
    ::closedir(dir);
    return names;
}

std::optional<std::string> readText(const std::filesystem::path& path) {
    return file_access::readBoundedFile(path, file_access::textFileLimit);
}

}  // namespace

std::filesystem::path joinPath(const std::filesystem::path& folder, std::string_view relative) {
    std::string base = folder.native();
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    if (base.empty()) return std::filesystem::path(relative);
    if (base != "/") base.push_back('/');
    base.append(relative);
    return base;
}

std::string displayName(const LocalizedNames& names, std::string_view language, std::string_view fallback) {
    if (const auto it = names.find(std::string(language)); it != names.end()) return it->second;
    if (const auto it = names.find("en"); it != names.end()) return it->second;
    return std::string(fallback);
}

std::filesystem::path HomeyDriver::imageFile(DriverImageSize size) const {
    if (const auto named = imageFiles.find(size); named != imageFiles.end()) return named->second;
    return joinPath(folder, "assets/images/" + std::string(fileName(size)));
}

std::string HomeyDriver::imageFileName(DriverImageSize size) const {
    return imageFile(size).filename().string();
}

DriverImageFormat HomeyDriver::imageFormat(DriverImageSize size) const {
    return driverImageFormat(imageFileName(size)).value_or(DriverImageFormat::png);
}

std::filesystem::path HomeyApp::imageFile(DriverImageSize size) const {
    if (const auto named = imageFiles.find(size); named != imageFiles.end()) return named->second;
    return joinPath(root, "assets/images/" + std::string(fileName(size)));
}

std::string HomeyDriver::displayName(std::string_view language) const {
    return homey_project::displayName(names, language, id);
}

std::string HomeyApp::displayName(std::string_view language) const {
    return homey_project::displayName(names, language, id);
}

std::optional<LocalizedNames> HomeyProjectReader::parseNames(const nlohmann::json& value) {
    if (value.is_string()) return LocalizedNames{{"en", value.get<std::string>()}};
    if (!value.is_object()) return std::nullopt;
    LocalizedNames names;
    for (const auto& [code, name] : value.items()) {
        if (!name.is_string()) return std::nullopt;
        names.emplace(code, name.get<std::string>());
    }
    return names;
}

HomeyDriver HomeyProjectReader::readDriver(const std::filesystem::path& root, const std::filesystem::path& folder,
                                           const std::map<std::string, LocalizedNames>& manifestNames,
                                           const std::map<std::string, ImageNames>& manifestImages) {
    HomeyDriver driver;
    std::string path = folder.native();
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    driver.id = std::filesystem::path(path).filename().string();
    driver.folder = folder;
    std::optional<manifest::ComposeDriver> compose;
    if (const std::optional<std::string> bytes = readText(joinPath(folder, "driver.compose.json")))
        compose = manifest::composeDriver(*bytes);
    std::optional<LocalizedNames> names = compose ? compose->names : std::nullopt;
    if (!names) {
        const auto entry = manifestNames.find(driver.id);
        names = entry != manifestNames.end() ? entry->second : LocalizedNames{};
    }
    driver.names = std::move(*names);
    // Without images of its own (a template may give them), the built manifest's
    // entry says what the platform shows.
    std::optional<ImageNames> images = compose ? compose->images : std::nullopt;
    if (!images)
        if (const auto entry = manifestImages.find(driver.id); entry != manifestImages.end()) images = entry->second;
    if (images) driver.imageFiles = image_paths::namedFiles(root, *images, driver.id);
    return driver;
}

HomeyApp HomeyProjectReader::readProject(const std::filesystem::path& root) {
    std::optional<nlohmann::json> kept;
    for (std::string_view candidate : {"app.json", ".homeycompose/app.json"}) {
        if (const std::optional<std::string> bytes = readText(joinPath(root, candidate)))
            kept = manifest::candidate(*bytes);
        if (kept) break;
    }
    if (!kept) throw HomeyProjectError::notAHomeyApp();
    std::optional<manifest::Manifest> manifest = manifest::interpret(*kept);
    if (!manifest) throw HomeyProjectError::notAHomeyApp();

    HomeyApp app;
    app.root = root;
    app.id = std::move(manifest->id);
    app.names = std::move(manifest->names);
    app.brandColor = std::move(manifest->brandColor);
    app.imageFiles = image_paths::namedFiles(root, manifest->images, std::nullopt);
    const std::filesystem::path driversFolder = joinPath(root, "drivers");
    for (const std::string& name : subfolderNames(driversFolder))
        app.drivers.push_back(
            readDriver(root, joinPath(driversFolder, name), manifest->driverNames, manifest->driverImages));
    // Code point order: std::string compares bytes as unsigned, which is code
    // point order for UTF-8.
    std::sort(app.drivers.begin(), app.drivers.end(),
              [](const HomeyDriver& a, const HomeyDriver& b) { return a.id < b.id; });
    return app;
}

}  // namespace homey_project
