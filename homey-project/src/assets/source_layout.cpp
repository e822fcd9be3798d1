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

}  // namespace homey_project
