#include "photo_roles.hpp"

#include <algorithm>
#include <cmath>

#include "face_shapes.hpp"

namespace glyphsmith_state {

namespace {

// A subject narrower than this share of the face's aspect is seen from the side.
constexpr double profileAspectShare = 0.55;

// Width ÷ height of the subject's box; 1 without a box.
double maskAspect(const MaskFigures& figures) {
    if (!figures.box || !(figures.box->height > 0)) return 1.0;
    return figures.box->width / figures.box->height;
}

// How much a photo looks like the face: a profile scores −1, a photo with a face
// quadrilateral above 1, others by how much of its box the subject fills.
double faceScore(const LoadedPhoto& photo, const MaskFigures& figures, double threshold) {
    if (maskAspect(figures) < threshold) return -1;
    if (photo.faceCoverage) return *photo.faceCoverage + 1;
    const std::optional<icon_geometry::Rect>& box = figures.box;
    if (box && box->width > 0 && box->height > 0) {
        const double maskArea = static_cast<double>(photo.mask->width) * static_cast<double>(photo.mask->height);
        return figures.coverageShare * maskArea / (box->width * box->height);
    }
    return 0;
}

}  // namespace

MaskFigures MaskFigures::of(const photo_analysis::SubjectMask& mask) {
    return {mask.boundingBox(), mask.coverageShare(), std::nullopt};
}

void assignRoles(std::vector<LoadedPhoto>& photos, const std::vector<MaskFigures>& figures, bool firstIsFace,
                 double faceAspect) {
    const std::size_t n = photos.size();
    if (n == 0) return;
    const double threshold = faceAspect * profileAspectShare;
    std::size_t face = 0;
    if (!firstIsFace && n > 1) {
        double best = faceScore(photos[0], figures[0], threshold);
        for (std::size_t i = 1; i < n; ++i) {
            const double score = faceScore(photos[i], figures[i], threshold);
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
        const double aspect = maskAspect(figures[i]);
        if (!(aspect < threshold)) continue;
        if (!profile || aspect < narrowest) {
            profile = i;
            narrowest = aspect;
        }
    }
    if (profile) photos[*profile].role = LoadedPhoto::Role::profile;
}

std::optional<std::vector<LoadedPhoto>> withRole(const std::vector<LoadedPhoto>& photos, const QUuid& id,
                                                 LoadedPhoto::Role role) {
    const auto found = std::find_if(photos.begin(), photos.end(), [&](const LoadedPhoto& p) { return p.id == id; });
    if (found == photos.end()) return std::nullopt;
    const std::size_t index = static_cast<std::size_t>(found - photos.begin());
    // The masks are shared: the copy holds no pixels of its own.
    std::vector<LoadedPhoto> changed = photos;
    if (role != LoadedPhoto::Role::spare)
        for (LoadedPhoto& photo : changed)
            if (photo.role == role) photo.role = LoadedPhoto::Role::spare;
    changed[index].role = role;
    return changed;
}

std::optional<double> faceCoverage(const std::optional<photo_analysis::FaceCorners>& corners,
                                   const photo_analysis::Photo& photo, const photo_analysis::SubjectMask& mask) {
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

double faceAspectOf(const icon_geometry::IconModel& model) {
    const icon_geometry::Rect box = outlineBox(model.primaryBody().face);
    return box.height > 0 ? box.width / box.height : 1.0;
}

bool areUsableCorners(const std::vector<icon_geometry::Vector2>& corners, const photo_analysis::Photo& photo) {
    if (corners.size() != 4) return false;
    return std::all_of(corners.begin(), corners.end(), [&](icon_geometry::Vector2 c) {
        return std::isfinite(c.x) && std::isfinite(c.y) && c.x >= 0 && c.y >= 0 && c.x <= photo.width() &&
               c.y <= photo.height();
    });
}

}  // namespace glyphsmith_state
