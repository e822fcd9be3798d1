#include "homey_project/driver_assets_state.hpp"

#include <sys/stat.h>

#include "bytes.hpp"
#include "file_access/bounded_read.hpp"
#include "homey_project/source_layout.hpp"
#include "platform/md5.hpp"

namespace homey_project {

DriverAssetsState DriverAssetsState::load(const HomeyDriver& driver, const HomeyApp& app) {
    DriverAssetsState state;

    const std::optional<std::string> icon = file_access::readBoundedFile(driver.iconFile(), file_access::textFileLimit);
    if (!icon) {
        state.icon.value = IconState::Missing{};
    } else {
        const std::vector<icon_geometry::ValidationIssue> errors =
            icon_geometry::SVGValidator::validateText(*icon).errors();
        if (!errors.empty()) {
            state.icon.value = IconState::Invalid{errors};
        } else {
            // The app's icon is read only for a driver icon that validates.
            const std::optional<std::string> appIcon =
                file_access::readBoundedFile(app.iconFile(), file_access::textFileLimit);
            state.icon.value = IconState::Valid{appIcon && platform::identicalFiles(*icon, *appIcon)};
        }
    }

    for (DriverImageSize size : allDriverImageSizes) {
        const std::optional<std::string> bytes =
            file_access::readBoundedFile(driver.imageFile(size), file_access::imageFileLimit);
        ImageState image;
        if (!bytes) {
            image.value = ImageState::Missing{};
        } else {
            std::vector<DriverImageIssue> issues =
                DriverImageCheck::checkImageData(asBytes(*bytes), size, driver.imageFormat(size));
            if (issues.empty())
                image.value = ImageState::Valid{};
            else
                image.value = ImageState::Invalid{std::move(issues)};
        }
        state.images.emplace(size, std::move(image));
    }

    // Anything at the name counts, a dangling link included: the file is
    // neither read nor followed.
    struct stat status {};
    state.hasModel = ::lstat(SourceLayout{app.root}.modelFile(driver.id).c_str(), &status) == 0;
    return state;
}

bool DriverAssetsState::isCompliant() const {
    const auto* valid = std::get_if<IconState::Valid>(&icon.value);
    if (valid == nullptr || valid->identicalToAppIcon) return false;
    for (DriverImageSize size : allDriverImageSizes) {
        const auto it = images.find(size);
        if (it == images.end() || !std::holds_alternative<ImageState::Valid>(it->second.value)) return false;
    }
    return true;
}

}  // namespace homey_project
