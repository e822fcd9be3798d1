#pragma once

// Sets what an editor's own work derives (the face photo and its mask, the
// driver images, the loaded photos, the depth read on a profile) and what the
// store records (reports, what was written), for tests that start from such a
// state without running the work. No view can.

#include "glyphsmith_state/driver_editor.hpp"

namespace glyphsmith_state_testing {

class EditorFields {
public:
    explicit EditorFields(glyphsmith_state::DriverEditor& editor) : editor_(editor) {}

    void setFacePhoto(std::optional<photo_analysis::Photo> photo) { editor_.setFacePhoto(std::move(photo)); }
    void setFacePhotoData(std::optional<QByteArray> data) { editor_.setFacePhotoData(std::move(data)); }
    void setFacePhotoExtension(QString extension) { editor_.setFacePhotoExtension(std::move(extension)); }
    void setFaceMask(glyphsmith_state::SharedMask mask) { editor_.setFaceMask(std::move(mask)); }
    void setFaceMask(std::optional<photo_analysis::SubjectMask> mask) { editor_.setFaceMask(std::move(mask)); }
    void setProfileDepthRatio(std::optional<double> ratio) { editor_.setProfileDepthRatio(ratio); }
    void setDriverImages(glyphsmith_state::DriverEditor::DriverImages images) {
        editor_.setDriverImages(std::move(images));
    }
    void setImageWarnings(std::vector<homey_project::DriverImageIssue> warnings) {
        editor_.setImageWarnings(std::move(warnings));
    }
    void setReport(std::optional<homey_project::ComplianceReport> report) { editor_.setReport(std::move(report)); }
    void setLoadedPhotos(std::vector<glyphsmith_state::LoadedPhoto> photos) {
        editor_.setLoadedPhotos(std::move(photos));
    }
    void setSavedModel(icon_geometry::IconModel model) { editor_.setSavedModel(std::move(model)); }
    void setSavedPhotoData(std::optional<QByteArray> data) { editor_.setSavedPhotoData(std::move(data)); }

private:
    glyphsmith_state::DriverEditor& editor_;
};

}  // namespace glyphsmith_state_testing
