#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace homey_project {

// Where the program keeps its own authoring sources inside a project, and the
// ".homeyignore" line that keeps them out of the published app. Pure path
// arithmetic; never touches the disk.
struct SourceLayout {
    std::filesystem::path root;

    static constexpr std::string_view ignoreLine = "sources/";

    std::filesystem::path iconSourcesFolder() const;
    std::filesystem::path brandCameraFile() const;
    std::filesystem::path driverSourcesFolder(std::string_view driverID) const;
    std::filesystem::path modelFile(std::string_view driverID) const;
    std::filesystem::path faceCornersFile(std::string_view driverID) const;
    std::filesystem::path sourceFile(std::string_view driverID, std::string_view name) const;
    std::filesystem::path ignoreFile() const;

    // The face photo is stored with its own file type: the photo path's
    // extension in ASCII lower case, or "png" when the path has none.
    static std::string facePhotoExtension(std::string_view photoPath);
    // "photo-face." followed by the extension.
    static std::string facePhotoName(std::string_view extension);
};

}  // namespace homey_project
