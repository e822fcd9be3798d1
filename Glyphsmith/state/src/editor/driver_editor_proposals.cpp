// The editor's detail proposals: the detection in the background, then the
// proposal set's rules on the main thread.

#include "editor_changes.hpp"
#include "face_shapes.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "photo_tasks.hpp"
#include "proposal_set.hpp"

namespace glyphsmith_state {

using icon_geometry::BezierPath;
using icon_geometry::Vector2;

namespace {

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
    ++work_.detections;
    updateWorking();

    DetectionRequest request{*facePhoto_, faceMask_, std::nullopt, std::nullopt, 0, 0};
    if (corners_.size() == 4)
        request.knownCorners = photo_analysis::FaceCorners{corners_[0], corners_[1], corners_[2], corners_[3]};
    const icon_geometry::Rect box = outlineBox(model_.primaryBody().face);
    if (keepEnteredAspect_ && box.height > 0) request.forcedAspect = box.width / box.height;
    request.faceWidth = box.width;
    request.faceHeight = box.height;
    const std::uint64_t revision = facePhotoRevision();

    photoWork_.runner->run(
        TaskPriority::userInitiated, this,
        [services = photoWork_.services, request = std::move(request)] { return detectProposals(*services, request); },
        [this, silent, revision](TaskOutcome<DetectionResult> outcome) {
            --work_.detections;
            // Findings on a face photo that has since been replaced mean nothing.
            if (revision != facePhotoRevision()) {
                updateWorking();
                return;
            }
            // A run that failed outright says why when the analysis knows.
            DetectionResult result = outcome.hasValue() ? std::move(outcome.value()) : std::nullopt;
            if (!result) {
                if (!silent)
                    setError(outcome.hasValue() ? AppError::noFaceFound()
                                                : photoTaskError(outcome.exception(), AppError::noFaceFound()));
            } else {
                const bool none = result->empty();
                setProposals(std::move(*result));
                if (none && !silent) setError(AppError::noDetailFound());
            }
            updateWorking();
        });
}

double DriverEditor::pathDistance(const BezierPath& path, Vector2 point) {
    return glyphsmith_state::pathDistance(path, point);
}

bool DriverEditor::toggleProposalNear(Vector2 point, double tolerance) {
    const std::optional<std::size_t> winner = nearestProposal(proposals_, point, tolerance);
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
    const std::vector<icon_geometry::FaceDetail> kept = keptDetails(proposals_);
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
