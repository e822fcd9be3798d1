#pragma once

// The rules that choose the face and the profile among the loaded photos, and
// the figures of a subject mask they read. Plain functions, usable off the
// main thread.

#include <QUuid>
#include <optional>
#include <vector>

#include "glyphsmith_state/loaded_photo.hpp"
#include "icon_geometry/icon_model.hpp"
#include "icon_geometry/rect.hpp"
#include "icon_geometry/vector.hpp"
#include "photo_analysis/face_rectification.hpp"
#include "photo_analysis/photo.hpp"
#include "photo_analysis/subject_mask.hpp"

namespace glyphsmith_state {

// What the roles read of a subject mask, measured once, away from the main
// thread, when the photo is loaded.
struct MaskFigures {
    std::optional<icon_geometry::Rect> box;
    double coverageShare = 0;
    std::optional<double> profileRatio;

    static MaskFigures of(const photo_analysis::SubjectMask& mask);
};

// Gives the face and profile roles of a batch, the masks' figures read from
// `figures` (one per photo): the face the first photo when `firstIsFace`, else
// the photo that looks most like a face; the profile the narrowest other photo
// narrower than 0.55 × the face aspect.
void assignRoles(std::vector<LoadedPhoto>& photos, const std::vector<MaskFigures>& figures, bool firstIsFace,
                 double faceAspect);

// The photos with one of them given a role; a face or profile role is taken
// from the photo that had it. Nothing when no photo has that id.
std::optional<std::vector<LoadedPhoto>> withRole(const std::vector<LoadedPhoto>& photos, const QUuid& id,
                                                 LoadedPhoto::Role role);

// Share of the subject's area that the face quadrilateral covers; absent
// without corners.
std::optional<double> faceCoverage(const std::optional<photo_analysis::FaceCorners>& corners,
                                   const photo_analysis::Photo& photo, const photo_analysis::SubjectMask& mask);

// The model's face width ÷ height, 1 for a face without height.
double faceAspectOf(const icon_geometry::IconModel& model);

// Four finite points inside the photo (its edges included).
bool areUsableCorners(const std::vector<icon_geometry::Vector2>& corners, const photo_analysis::Photo& photo);

}  // namespace glyphsmith_state
