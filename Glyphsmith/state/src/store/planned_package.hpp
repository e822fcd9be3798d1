#pragma once

#include <memory>

#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/project_store.hpp"
#include "homey_project/driver_package_writer.hpp"
#include "homey_project/homey_app.hpp"

namespace glyphsmith_state {

// The package a pending plan was made from, and for whom: what the user
// confirms is written, not what the editor has become meanwhile.
struct ProjectStore::PlannedPackage {
    homey_project::HomeyDriver driver;
    homey_project::HomeyApp app;
    homey_project::DriverPackage package;
    std::weak_ptr<DriverEditor> editor;
};

}  // namespace glyphsmith_state
