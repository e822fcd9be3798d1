#pragma once

#include <exception>
#include <filesystem>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "homey_project/driver_image_check.hpp"
#include "homey_project/homey_app.hpp"
#include "homey_project/homey_project_error.hpp"
#include "icon_geometry/camera.hpp"
#include "icon_geometry/icon_model.hpp"
#include "icon_geometry/vector.hpp"

namespace homey_project {

// A photo kept among a driver's sources under its own file name.
struct SourcePhoto {
    std::string name;
    std::string data;
    friend bool operator==(const SourcePhoto&, const SourcePhoto&) = default;
};

// Everything produced for one driver, written into the project in one go.
struct DriverPackage {
    std::string iconSVG;
    // PNG bytes, written into each size's file in that file's format; an absent
    // size is left alone.
    std::map<DriverImageSize, std::string> images;
    icon_geometry::IconModel model;
    std::vector<SourcePhoto> sourcePhotos;
    std::vector<icon_geometry::Vector2> faceCorners;
    std::optional<icon_geometry::Camera> brandCamera;  // absent leaves the stored one alone
};

// One file of a write: its path relative to the project root, and whether
// something there will be replaced.
struct PlannedWrite {
    std::string path;
    bool exists = false;
    friend bool operator==(const PlannedWrite&, const PlannedWrite&) = default;
};

// How the app and the tool write into a project and read its stored sources.
class HomeyProjectWriting {
public:
    virtual ~HomeyProjectWriting() = default;
    [[nodiscard]] virtual std::vector<PlannedWrite> plan(const DriverPackage& package, const HomeyDriver& driver,
                                                         const HomeyApp& app) const = 0;
    // Throws HomeyProjectError.
    virtual std::vector<PlannedWrite> write(const DriverPackage& package, const HomeyDriver& driver,
                                            const HomeyApp& app, bool overwrite) const = 0;
    // Throws HomeyProjectError (unreadableSource, newerModel).
    [[nodiscard]] virtual std::optional<icon_geometry::IconModel> savedModel(const HomeyDriver& driver,
                                                                             const HomeyApp& app) const = 0;
    // Throws HomeyProjectError (unreadableSource).
    [[nodiscard]] virtual std::optional<icon_geometry::Camera> brandCamera(const HomeyApp& app) const = 0;
};

// A write abandoned at its caller's request before any file was put in place:
// nothing in the project was replaced, and nothing it staged is left.
class WriteCancelled : public std::exception {
public:
    const char* what() const noexcept override { return "write cancelled"; }
};

// Writes a driver's files into the project and never outside it: every target is
// confined on real paths, checked again just before it is staged, and staged
// into the folder the check resolved. Only once every file is staged in full
// are they renamed over their targets, so a failure while staging (no space,
// no permission, a folder in the way) replaces nothing and takes back every
// temporary file, folder and ".homeyignore" line it made. A rename that fails
// after others succeeded (rare: the space is already taken) is a writeFailed
// error listing what was written and what was not. Temporary files left in a
// folder by a write that was killed are removed by the next write there.
class HomeyProjectWriter final : public HomeyProjectWriting {
public:
    struct Entry {
        std::filesystem::path url;
        std::string data;
        bool isAppend = false;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    std::vector<PlannedWrite> plan(const DriverPackage& package, const HomeyDriver& driver,
                                   const HomeyApp& app) const override;
    std::vector<PlannedWrite> write(const DriverPackage& package, const HomeyDriver& driver, const HomeyApp& app,
                                    bool overwrite) const override;
    // The same write, asking `cancelled` before each file is staged and once
    // more before the renames: when it answers true, everything staged is taken
    // back and WriteCancelled is thrown. The renames, once begun, run to the end.
    std::vector<PlannedWrite> write(const DriverPackage& package, const HomeyDriver& driver, const HomeyApp& app,
                                    bool overwrite, const std::function<bool()>& cancelled) const;
    std::optional<icon_geometry::IconModel> savedModel(const HomeyDriver& driver, const HomeyApp& app) const override;
    std::optional<icon_geometry::Camera> brandCamera(const HomeyApp& app) const override;

    // The file operations of a write, in plan order: icon, images, model, source
    // photos, face corners, brand camera, the ".homeyignore" line. An image goes
    // to the file the driver's manifest names, a JPEG file getting the PNG laid
    // on white; bytes that are no image stay as given here, and write refuses them.
    [[nodiscard]] static std::vector<Entry> entries(const DriverPackage& package, const HomeyDriver& driver,
                                                    const HomeyApp& app);
    // The text to append to ".homeyignore" so that it holds "sources/", or
    // nothing when a line already keeps the sources out.
    [[nodiscard]] static std::optional<std::string> ignoreEntry(const std::filesystem::path& root);
    // The target relative to the root when below it (both standardised, no link
    // resolved); otherwise the target's whole path.
    [[nodiscard]] static std::string relativePath(const std::filesystem::path& target,
                                                  const std::filesystem::path& root);
    // Whether the target resolves, on real paths, strictly below the root.
    [[nodiscard]] static bool isInsideProject(const std::filesystem::path& target, const std::filesystem::path& root);
};

}  // namespace homey_project
