#pragma once

#include <map>
#include <variant>
#include <vector>

#include "homey_project/driver_image_check.hpp"
#include "homey_project/homey_app.hpp"
#include "icon_geometry/svg_validator.hpp"

namespace homey_project {

// Whether a driver's icon and photos are in place and acceptable, and whether
// the program's model of it is stored in the project.
struct DriverAssetsState {
    struct IconState {
        struct Valid {
            bool identicalToAppIcon;  // value-initialised: false
            friend constexpr bool operator==(Valid, Valid) = default;
        };
        struct Invalid {
            std::vector<icon_geometry::ValidationIssue> issues;  // error severity, validator order
            friend bool operator==(const Invalid&, const Invalid&) = default;
        };
        struct Missing {
            friend constexpr bool operator==(Missing, Missing) = default;
        };
        std::variant<Valid, Invalid, Missing> value;
        friend bool operator==(const IconState&, const IconState&) = default;
    };

    struct ImageState {
        struct Invalid {
            std::vector<DriverImageIssue> issues;
            friend bool operator==(const Invalid&, const Invalid&) = default;
        };
        struct Missing {
            friend constexpr bool operator==(Missing, Missing) = default;
        };
        struct Valid {
            friend constexpr bool operator==(Valid, Valid) = default;
        };
        std::variant<Invalid, Missing, Valid> value;
        friend bool operator==(const ImageState&, const ImageState&) = default;
    };

    IconState icon;
    std::map<DriverImageSize, ImageState> images;  // always the three sizes
    bool hasModel = false;

    // From what is on disk now. Never fails: what cannot be read is missing.
    [[nodiscard]] static DriverAssetsState load(const HomeyDriver& driver, const HomeyApp& app);

    // A valid icon that is not the app's own, and three valid images.
    bool isCompliant() const;

    friend bool operator==(const DriverAssetsState&, const DriverAssetsState&) = default;
};

}  // namespace homey_project
