#pragma once

#include <QByteArray>
#include <QUrl>
#include <QUuid>
#include <array>
#include <memory>
#include <optional>

#include "photo_analysis/photo.hpp"
#include "photo_analysis/subject_mask.hpp"

namespace glyphsmith_state {

// A subject mask as the editor keeps it: made once, never changed, shared by
// the loaded photos, the face photo and the work in flight without a copy.
using SharedMask = std::shared_ptr<const photo_analysis::SubjectMask>;

// A photo of the device the user gave a driver's editor, with what it is used for.
struct LoadedPhoto {
    // At most one photo is the face and one the profile; the others are spare.
    enum class Role { face, profile, spare };
    static constexpr std::array<Role, 3> allRoles{Role::face, Role::profile, Role::spare};

    // Fresh for every load; identifies the photo for role changes.
    QUuid id;
    // The file the photo came from.
    QUrl url;
    photo_analysis::Photo photo;
    // The file's bytes as read; they become the face photo's bytes when this is the face.
    QByteArray data;
    // Never null for a loaded photo.
    SharedMask mask;
    // Share of the subject covered by the face quadrilateral found on the photo.
    std::optional<double> faceCoverage;
    Role role = Role::spare;
};

}  // namespace glyphsmith_state
