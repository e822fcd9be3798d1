#pragma once

// The detail proposals as a set of values: what a detection run proposes, the
// hit test that picks one by a point on the photo, keeping them, and the model
// they would give. Plain functions, usable off the main thread.

#include <cstddef>
#include <optional>
#include <vector>

#include "glyphsmith_state/photo_services.hpp"
#include "glyphsmith_state/proposed_detail.hpp"
#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/icon_model.hpp"
#include "icon_geometry/vector.hpp"

namespace glyphsmith_state {

// Distance from a point to a path flattened at 8 points per cubic; infinite
// for a path without subpaths.
double pathDistance(const icon_geometry::BezierPath& path, icon_geometry::Vector2 point);

// The proposal nearest to a photo point within the tolerance, the earlier one
// on a tie; nothing when none is that near.
std::optional<std::size_t> nearestProposal(const std::vector<ProposedDetail>& proposals, icon_geometry::Vector2 point,
                                           double tolerance);

// The kept proposals' details, in order.
std::vector<icon_geometry::FaceDetail> keptDetails(const std::vector<ProposedDetail>& proposals);

// The model with the kept proposals' details after the main body's own; the
// model itself without proposals or without an extruded main body.
icon_geometry::IconModel withKeptProposals(const icon_geometry::IconModel& model,
                                           const std::vector<ProposedDetail>& proposals);

// What a detection asks: the face photo, its mask, the clicked corners when
// there are four, the aspect to impose, and the face's size in millimetres.
struct DetectionRequest {
    photo_analysis::Photo photo;
    std::shared_ptr<const photo_analysis::SubjectMask> mask;
    std::optional<photo_analysis::FaceCorners> knownCorners;
    std::optional<double> forcedAspect;
    double faceWidth = 0;
    double faceHeight = 0;
};

// Finds the face and proposes one detail per detected feature that converts,
// kept, with its outline on the photo; nothing when no face was found.
std::optional<std::vector<ProposedDetail>> detectProposals(const PhotoServices& services,
                                                           const DetectionRequest& request);

}  // namespace glyphsmith_state
