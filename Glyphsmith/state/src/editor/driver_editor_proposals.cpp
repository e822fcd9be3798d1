#include <cmath>
#include <limits>

#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/photo_services.hpp"
#include "icon_geometry/cubic.hpp"
#include "model_edits.hpp"

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
    for (const BezierPath& path : proposal.photoPaths) best = std::min(best, DriverEditor::pathDistance(path, point));
    return best;
}

// What a detection run gives: nothing when no face was found, else the
// proposals of the face it found.
using DetectionResult = std::optional<std::vector<ProposedDetail>>;

}  // namespace

void DriverEditor::detectDetails(bool silent) {
    assertMainThread(this);
    if (!facePhoto_ || !faceMask_ || !model_.hasExtrudedPrimaryBody() || !photoWork_.isAvailable()) {
        if (!silent) setError(AppError::noPhoto());
        return;
    }
    ++detectionsInFlight_;
    updateWorking();

    std::optional<photo_analysis::FaceCorners> knownCorners;
    if (corners_.size() == 4)
        knownCorners = photo_analysis::FaceCorners{corners_[0], corners_[1], corners_[2], corners_[3]};
    const icon_geometry::Rect box = outlineBox(model_.primaryBody().face);
    std::optional<double> forcedAspect;
    if (keepEnteredAspect_ && box.height > 0) forcedAspect = box.width / box.height;
    const std::uint64_t revision = facePhotoRevision();

    photoWork_.runner->run(
        TaskPriority::userInitiated, this,
        [services = photoWork_.services, photo = *facePhoto_, mask = faceMask_, knownCorners, forcedAspect,
         width = box.width, height = box.height]() -> DetectionResult {
            const std::optional<photo_analysis::FeatureDetection::Face> face =
                services->findFace(photo, *mask, knownCorners, forcedAspect);
            if (!face) return std::nullopt;
            std::vector<ProposedDetail> proposals;
            for (const photo_analysis::DetectedFeature& feature : services->detectFeatures(face->image, face->shape)) {
                const std::vector<icon_geometry::FaceDetail> details =
                    services->faceDetails({feature}, width, height, face->aspectRatio);
                if (details.empty()) continue;
                std::vector<BezierPath> photoPaths;
                for (const BezierPath& path : services->featurePaths(feature))
                    photoPaths.push_back(path.mapPoints([&](Vector2 p) { return face->faceToPhoto.apply(p); }));
                proposals.push_back({QUuid::createUuid(), feature, details.front(), std::move(photoPaths), true});
            }
            return proposals;
        },
        [this, silent, revision](TaskOutcome<DetectionResult> outcome) {
            --detectionsInFlight_;
            // Findings on a face photo that has since been replaced mean nothing.
            if (revision != facePhotoRevision()) {
                updateWorking();
                return;
            }
            // A run that failed outright found no face either.
            DetectionResult result = outcome.hasValue() ? std::move(outcome.value()) : std::nullopt;
            if (!result) {
                if (!silent) setError(AppError::noFaceFound());
            } else {
                const bool none = result->empty();
                setProposals(std::move(*result));
                if (none && !silent) setError(AppError::noDetailFound());
            }
            updateWorking();
        });
}

double DriverEditor::pathDistance(const BezierPath& path, Vector2 point) {
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

bool DriverEditor::toggleProposalNear(Vector2 point, double tolerance) {
    std::optional<std::size_t> winner;
    double nearest = infinity;
    for (std::size_t i = 0; i < proposals_.size(); ++i) {
        const double distance = proposalDistance(proposals_[i], point);
        if (!std::isfinite(distance) || !(distance <= tolerance)) continue;
        // The earlier proposal keeps a tie.
        if (!winner || distance < nearest) {
            winner = i;
            nearest = distance;
        }
    }
    if (!winner) return false;
    std::vector<ProposedDetail> next = proposals_;
    next[*winner].isKept = !next[*winner].isKept;
    setProposals(std::move(next));
    return true;
}

void DriverEditor::setAllProposalsKept(bool kept) {
    std::vector<ProposedDetail> next = proposals_;
    for (ProposedDetail& proposal : next) proposal.isKept = kept;
    setProposals(std::move(next));
}

void DriverEditor::addKeptProposals() {
    assertMainThread(this);
    if (!model_.hasExtrudedPrimaryBody()) return;
    std::vector<icon_geometry::FaceDetail> kept;
    for (const ProposedDetail& proposal : proposals_)
        if (proposal.isKept) kept.push_back(proposal.detail);
    if (!kept.empty()) {
        const bool added = changeMainBody([&](icon_geometry::ExtrudedBody& body) {
            body.details.insert(body.details.end(), kept.begin(), kept.end());
        });
        // Refused by the model's limits: the proposals stay, nothing is lost.
        if (!added) return;
    }
    setProposals({});
}

}  // namespace glyphsmith_state
