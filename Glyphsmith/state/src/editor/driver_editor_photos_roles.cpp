#include <algorithm>
#include <cmath>

#include "glyphsmith_state/driver_editor.hpp"
#include "model_edits.hpp"
#include "photo_analysis/profile_measurement.hpp"

namespace glyphsmith_state {

using photo_analysis::FaceCorners;
using photo_analysis::Photo;
using photo_analysis::SubjectMask;

namespace {

// A subject narrower than this share of the face's aspect is seen from the side.
constexpr double profileAspectShare = 0.55;

// Width ÷ height of the subject's box; 1 without a box.
double maskAspect(const SubjectMask& mask) {
    const std::optional<icon_geometry::Rect> box = mask.boundingBox();
    if (!box || !(box->height > 0)) return 1.0;
    return box->width / box->height;
}

// How much a photo looks like the face: a profile scores −1, a photo with a face
// quadrilateral above 1, others by how much of its box the subject fills.
double faceScore(const LoadedPhoto& photo, double threshold) {
    if (maskAspect(photo.mask) < threshold) return -1;
    if (photo.faceCoverage) return *photo.faceCoverage + 1;
    const std::optional<icon_geometry::Rect> box = photo.mask.boundingBox();
    if (box && box->width > 0 && box->height > 0) {
        const double maskArea = static_cast<double>(photo.mask.width) * static_cast<double>(photo.mask.height);
        return photo.mask.coverageShare() * maskArea / (box->width * box->height);
    }
    return 0;
}

}  // namespace

double DriverEditor::faceAspect() const {
    const icon_geometry::Rect box = outlineBox(model_.primaryBody().face);
    return box.height > 0 ? box.width / box.height : 1.0;
}

void DriverEditor::assignPhotoRoles(std::vector<LoadedPhoto>& photos, bool firstIsFace, double faceAspect) {
    const std::size_t n = photos.size();
    if (n == 0) return;
    const double threshold = faceAspect * profileAspectShare;
    std::size_t face = 0;
    if (!firstIsFace && n > 1) {
        double best = faceScore(photos[0], threshold);
        for (std::size_t i = 1; i < n; ++i) {
            const double score = faceScore(photos[i], threshold);
            if (score > best) {
                best = score;
                face = i;
            }
        }
    }
    for (LoadedPhoto& photo : photos) photo.role = LoadedPhoto::Role::spare;
    photos[face].role = LoadedPhoto::Role::face;

    std::optional<std::size_t> profile;
    double narrowest = 0;
    for (std::size_t i = 0; i < n; ++i) {
        if (i == face) continue;
        const double aspect = maskAspect(photos[i].mask);
        if (!(aspect < threshold)) continue;
        if (!profile || aspect < narrowest) {
            profile = i;
            narrowest = aspect;
        }
    }
    if (profile) photos[*profile].role = LoadedPhoto::Role::profile;
}

std::optional<double> DriverEditor::faceCoverage(const std::optional<FaceCorners>& corners, const Photo& photo,
                                                 const SubjectMask& mask) {
    if (!corners) return std::nullopt;
    const auto points = corners->points();
    double twiceArea = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const icon_geometry::Vector2 a = points[i];
        const icon_geometry::Vector2 b = points[(i + 1) % points.size()];
        twiceArea += a.x * b.y - a.y * b.x;
    }
    const double subjectArea =
        mask.coverageShare() * static_cast<double>(photo.width()) * static_cast<double>(photo.height());
    return std::abs(twiceArea) / 2 / std::max(1.0, subjectArea);
}

}  // namespace glyphsmith_state
