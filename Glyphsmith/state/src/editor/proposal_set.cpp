#include "proposal_set.hpp"

#include <QUuid>
#include <algorithm>
#include <cmath>
#include <limits>

#include "icon_geometry/cubic.hpp"

namespace glyphsmith_state {

using icon_geometry::BezierPath;
using icon_geometry::Vector2;

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
// Points a cubic is flattened to for the hit test.
constexpr int samplesPerCubic = 8;

std::vector<Vector2> polyline(const icon_geometry::Subpath& subpath) {
    std::vector<Vector2> points{subpath.start};
    Vector2 current = subpath.start;
    for (const icon_geometry::PathSegment& segment : subpath.segments) {
        if (const auto* cubic = segment.asCubic()) {
            for (int k = 1; k <= samplesPerCubic; ++k)
                points.push_back(icon_geometry::Cubic::point(current, cubic->control1, cubic->control2, cubic->to,
                                                             static_cast<double>(k) / samplesPerCubic));
        } else {
            points.push_back(segment.end());
        }
        current = segment.end();
    }
    if (subpath.isClosed) points.push_back(subpath.start);
    return points;
}

double segmentDistance(Vector2 p, Vector2 a, Vector2 b) {
    const Vector2 d = b - a;
    const double lengthSquared = d.dot(d);
    const double u = lengthSquared == 0 ? 0 : std::clamp((p - a).dot(d) / lengthSquared, 0.0, 1.0);
    return p.distance(a + u * d);
}

double proposalDistance(const ProposedDetail& proposal, Vector2 point) {
    double best = infinity;
    for (const BezierPath& path : proposal.photoPaths) best = std::min(best, pathDistance(path, point));
    return best;
}

}  // namespace

double pathDistance(const BezierPath& path, Vector2 point) {
    double best = infinity;
    for (const icon_geometry::Subpath& subpath : path.subpaths) {
        const std::vector<Vector2> points = polyline(subpath);
        if (points.size() == 1) {
            best = std::min(best, point.distance(points.front()));
            continue;
        }
        for (std::size_t i = 0; i + 1 < points.size(); ++i)
            best = std::min(best, segmentDistance(point, points[i], points[i + 1]));
    }
    return best;
}

std::optional<std::size_t> nearestProposal(const std::vector<ProposedDetail>& proposals, Vector2 point,
                                           double tolerance) {
    std::optional<std::size_t> winner;
    double nearest = infinity;
    for (std::size_t i = 0; i < proposals.size(); ++i) {
        const double distance = proposalDistance(proposals[i], point);
        if (!std::isfinite(distance) || !(distance <= tolerance)) continue;
        // The earlier proposal keeps a tie.
        if (!winner || distance < nearest) {
            winner = i;
            nearest = distance;
        }
    }
    return winner;
}

std::vector<icon_geometry::FaceDetail> keptDetails(const std::vector<ProposedDetail>& proposals) {
    std::vector<icon_geometry::FaceDetail> kept;
    for (const ProposedDetail& proposal : proposals)
        if (proposal.isKept) kept.push_back(proposal.detail);
    return kept;
}

icon_geometry::IconModel withKeptProposals(const icon_geometry::IconModel& model,
                                           const std::vector<ProposedDetail>& proposals) {
    if (proposals.empty() || !model.hasExtrudedPrimaryBody()) return model;
    icon_geometry::IconModel shown = model;
    const std::vector<icon_geometry::FaceDetail> kept = keptDetails(proposals);
    shown.changePrimaryBody(
        [&](icon_geometry::ExtrudedBody& body) { body.details.insert(body.details.end(), kept.begin(), kept.end()); });
    return shown;
}

std::optional<std::vector<ProposedDetail>> detectProposals(const PhotoServices& services,
                                                           const DetectionRequest& request) {
    const std::optional<photo_analysis::FeatureDetection::Face> face =
        services.findFace(request.photo, *request.mask, request.knownCorners, request.forcedAspect);
    if (!face) return std::nullopt;
    std::vector<ProposedDetail> proposals;
    for (const photo_analysis::DetectedFeature& feature : services.detectFeatures(face->image, face->shape)) {
        const std::vector<icon_geometry::FaceDetail> details =
            services.faceDetails({feature}, request.faceWidth, request.faceHeight, face->aspectRatio);
        if (details.empty()) continue;
        std::vector<BezierPath> photoPaths;
        for (const BezierPath& path : services.featurePaths(feature))
            photoPaths.push_back(path.mapPoints([&](Vector2 p) { return face->faceToPhoto.apply(p); }));
        proposals.push_back({QUuid::createUuid(), feature, details.front(), std::move(photoPaths), true});
    }
    return proposals;
}

}  // namespace glyphsmith_state
