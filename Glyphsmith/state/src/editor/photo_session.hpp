#pragma once

// The photo session's work away from the main thread: reading and analysing a
// photo file, measuring a mask, fitting the face's corner radius and drawing
// the driver images. Each is a plain function of the photo services and values,
// run by the editor on its task runner; the editor applies what they give.

#include <QUrl>
#include <cstddef>
#include <optional>
#include <vector>

#include "glyphsmith_state/app_error.hpp"
#include "glyphsmith_state/driver_editor.hpp"
#include "glyphsmith_state/loaded_photo.hpp"
#include "glyphsmith_state/photo_services.hpp"
#include "glyphsmith_state/task_runner.hpp"
#include "homey_project/driver_image_check.hpp"
#include "photo_analysis/face_rectification.hpp"
#include "photo_roles.hpp"

namespace glyphsmith_state {

// A photo file as the background read and analysed it.
struct AnalysedPhoto {
    LoadedPhoto photo;
    MaskFigures figures;
};

// What the analysis of a file looks for besides the subject.
enum class PhotoAnalysis {
    // The face corners, whose coverage helps choosing the face.
    withFaceCoverage,
    // The subject's proportions only (a profile).
    subjectOnly,
};

// Reads the local file once (the bytes analysed are the bytes kept), decodes
// it, finds its subject and measures it; a fresh id, the spare role. Throws the
// photo analysis's failures; a remote address is an unreadable image.
AnalysedPhoto analysePhotoFile(const PhotoServices& services, const QUrl& url, PhotoAnalysis analysis);

// The files of one load, filled in as their work ends, kept in batch order.
class LoadBatch {
public:
    explicit LoadBatch(std::size_t count) : files_(count), failures_(count), remaining_(count) {}

    // Records the file at `index`, analysed or failed; true once every file is in.
    bool record(std::size_t index, TaskOutcome<AnalysedPhoto> outcome);

    struct Result {
        // The files that loaded, in batch order.
        std::vector<LoadedPhoto> photos;
        std::vector<MaskFigures> figures;
        // The last failure in batch order.
        std::optional<AppError> lastFailure;
    };
    // Hands over what the batch holds.
    Result take();

private:
    std::vector<std::optional<AnalysedPhoto>> files_;
    std::vector<std::optional<AppError>> failures_;
    std::size_t remaining_;
};

// The figures of a mask with its profile ratio.
MaskFigures measureMask(const PhotoServices& services, const photo_analysis::SubjectMask& mask);

// The corner radius, as a share of the face height, when none can be fitted.
inline constexpr double fallbackCornerRadius = 0.08;

// The corner radius, as a share of the face height, of the rounded rectangle
// of aspect `aspect` fitted on the subject's boundary points near the face
// that `toFace` maps; the fallback when none can be fitted.
double fittedCornerRadius(const PhotoServices& services, const photo_analysis::SubjectMask& mask,
                          const photo_analysis::Homography& toFace, double aspect);

struct RenderedImages {
    DriverEditor::DriverImages images;
    std::vector<homey_project::DriverImageIssue> warnings;
};

// The three driver images with their findings, a size that cannot be drawn
// left out; a warning for an image drawn more than twice the photo's pixels.
RenderedImages renderDriverImageSet(const PhotoServices& services, const photo_analysis::Photo& photo,
                                    const photo_analysis::SubjectMask& mask);

}  // namespace glyphsmith_state
