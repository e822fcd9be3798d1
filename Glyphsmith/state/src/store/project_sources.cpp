#include "glyphsmith_state/project_sources.hpp"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QFile>
#include <algorithm>
#include <exception>
#include <memory>
#include <string>

#include "homey_project/source_layout.hpp"
#include "icon_geometry/model_input.hpp"
#include "services/files.hpp"

namespace glyphsmith_state {
namespace {

constexpr std::string_view facePhotoStem = "photo-face";

// "photo-face" once its one extension is taken off.
bool isFacePhotoName(std::string_view name) {
    if (name == facePhotoStem) return true;
    if (!name.starts_with(facePhotoStem) || name.size() <= facePhotoStem.size() + 1) return false;
    if (name[facePhotoStem.size()] != '.') return false;
    return name.substr(facePhotoStem.size() + 1).find('.') == std::string_view::npos;
}

QString fromPath(const std::filesystem::path& path) {
    return QFile::decodeName(QByteArray::fromStdString(path.native()));
}

}  // namespace

std::optional<QString> storedFacePhotoPath(const homey_project::HomeyApp& app, std::string_view driverID) {
    const std::filesystem::path folder = homey_project::SourceLayout{app.root}.driverSourcesFolder(driverID);
    const std::unique_ptr<DIR, int (*)(DIR*)> listing(opendir(folder.c_str()), closedir);
    if (!listing) return std::nullopt;
    // Listings come in no particular order; the first name in byte order wins.
    std::optional<std::string> first;
    while (const dirent* entry = readdir(listing.get())) {
        const std::string_view name = entry->d_name;
        if (!isFacePhotoName(name) || (first && name >= *first)) continue;
        struct stat status {};
        if (fstatat(dirfd(listing.get()), entry->d_name, &status, AT_SYMLINK_NOFOLLOW) != 0) continue;
        if (S_ISREG(status.st_mode)) first = std::string(name);
    }
    if (!first) return std::nullopt;
    return fromPath(folder / *first);
}

std::vector<icon_geometry::Vector2> storedFaceCorners(const homey_project::HomeyApp& app, std::string_view driverID) {
    const std::filesystem::path file = homey_project::SourceLayout{app.root}.faceCornersFile(driverID);
    const std::optional<QByteArray> bytes = readTextFile(fromPath(file));
    if (!bytes) return {};
    try {
        return icon_geometry::ModelInput::decode<std::vector<icon_geometry::Vector2>>(
            std::string_view(bytes->constData(), static_cast<std::size_t>(bytes->size())));
    } catch (const std::exception&) {
        return {};
    }
}

}  // namespace glyphsmith_state
