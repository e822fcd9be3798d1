#pragma once

// The rules of the project session that its parts share.

#include <optional>
#include <string>

#include "homey_project/homey_app.hpp"

namespace glyphsmith_state {

// The driver of the app with that id: the one rule by which the selection, the
// writes and the compliance subject find their driver. Null without an app, an
// id or such a driver.
inline const homey_project::HomeyDriver* driverWithID(const std::optional<homey_project::HomeyApp>& app,
                                                      const std::optional<std::string>& id) {
    if (!app || !id) return nullptr;
    for (const homey_project::HomeyDriver& driver : app->drivers)
        if (driver.id == *id) return &driver;
    return nullptr;
}

}  // namespace glyphsmith_state
