#include "homey_project/source_layout.hpp"

#include "homey_project/homey_app.hpp"

namespace homey_project {

std::filesystem::path SourceLayout::iconSourcesFolder() const {
    return joinPath(root, "sources/icones");
}

std::filesystem::path SourceLayout::brandCameraFile() const {
    return joinPath(root, "sources/icones/marque.json");
}

std::filesystem::path SourceLayout::driverSourcesFolder(std::string_view driverID) const {
    return joinPath(root, "sources/icones/" + std::string(driverID));
}

std::filesystem::path SourceLayout::modelFile(std::string_view driverID) const {
    return joinPath(driverSourcesFolder(driverID), "modele.json");
}

std::filesystem::path SourceLayout::faceCornersFile(std::string_view driverID) const {
    return joinPath(driverSourcesFolder(driverID), "coins-face.json");
}

std::filesystem::path SourceLayout::sourceFile(std::string_view driverID, std::string_view name) const {
    return joinPath(driverSourcesFolder(driverID), name);
}

std::filesystem::path SourceLayout::ignoreFile() const {
    return joinPath(root, ".homeyignore");
}

std::string SourceLayout::facePhotoExtension(std::string_view photoPath) {
    const auto slash = photoPath.find_last_of('/');
    const auto name = slash == std::string_view::npos ? photoPath : photoPath.substr(slash + 1);
    const auto dot = name.find_last_of('.');
    // A leading dot names a hidden file, not an extension; a trailing one has none.
    if (dot == std::string_view::npos || dot == 0 || dot + 1 == name.size()) return "png";
    std::string extension(name.substr(dot + 1));
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

std::string SourceLayout::facePhotoName(std::string_view extension) {
    return "photo-face." + std::string(extension);
}

}  // namespace homey_project
