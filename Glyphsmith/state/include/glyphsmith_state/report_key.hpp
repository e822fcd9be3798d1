#pragma once

// What a compliance report is computed from: which editor, its model, the brand
// camera and which set of driver images. The inspector restarts its wait when
// the key changes, and a report is current while its key still holds.

#include <cstddef>
#include <cstdint>
#include <functional>

#include "icon_geometry/camera.hpp"
#include "icon_geometry/icon_model.hpp"

namespace glyphsmith_state {

struct ReportKey {
    // The editor's serial: identity, not contents, so two editors with equal
    // models are different keys, and so is an editor made later at the address
    // of one that is gone.
    std::uint64_t editor = 0;
    icon_geometry::IconModel model;
    icon_geometry::Camera brand;
    // The editor's driverImagesRevision: three new images in place of three old
    // ones are another key, where a count would not tell.
    int driverImagesRevision = 0;

    friend bool operator==(const ReportKey&, const ReportKey&) = default;
};

}  // namespace glyphsmith_state

template <>
struct std::hash<glyphsmith_state::ReportKey> {
    std::size_t operator()(const glyphsmith_state::ReportKey& key) const;
};
