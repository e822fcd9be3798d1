#pragma once

#include <QUuid>
#include <vector>

#include "icon_geometry/bezier_path.hpp"
#include "icon_geometry/face_detail.hpp"
#include "photo_analysis/detected_feature.hpp"

namespace glyphsmith_state {

// A face detail the detection found on the face photo, for the user to keep or
// reject before it enters the model.
struct ProposedDetail {
    // Fresh for every proposal.
    QUuid id;
    // What the detection found, in face units.
    photo_analysis::DetectedFeature feature;
    // The face detail it becomes, in face millimetres.
    icon_geometry::FaceDetail detail;
    // The feature's outline in photo pixels, for the overlay and the hit test.
    std::vector<icon_geometry::BezierPath> photoPaths;
    // Whether the detail will be added; true when proposed.
    bool isKept = true;

    friend bool operator==(const ProposedDetail&, const ProposedDetail&) = default;
};

}  // namespace glyphsmith_state
