// The subject and the face on handheld photos, drawn by a generator of their
// own rather than the test-photo library the engine was tuned on. Each shot
// prints its row; every device is cut out within 0.95 IoU, and nine faces in
// ten at least are found within 1 % of the diagonal.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "face_judgement.hpp"
#include "handheld_scene.hpp"
#include "photo_analysis/feature_detection.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/subject_extraction.hpp"

namespace photo_analysis {
namespace {

using handheld_photos::HandheldPhoto;
using handheld_photos::Shot;

const std::vector<Shot>& shots() {
    static const std::vector<Shot> list = handheld_photos::sweepShots();
    return list;
}

struct Outcome {
    face_judgement::Judgement face;
    bool refused = true;
    double iou = 0;
    double cornerShare = -1;          // largest corner error over the diagonal; -1 for no corners
    double trueMaskCornerShare = -1;  // the same, the detector given the true mask
};

Outcome judge(const HandheldPhoto& taken) {
    const Photo& photo = taken.photo;
    const auto cornerShareWith = [&](const SubjectMask& mask) {
        const auto corners = FeatureDetection::rectangleCandidates(photo, mask);
        if (!corners) return -1.0;
        const auto found = corners->points();
        double worst = 0;
        for (std::size_t i = 0; i < 4; ++i) worst = std::max(worst, found[i].distance(taken.faceCorners[i]));
        return worst / std::hypot(photo.width(), photo.height());
    };
    Outcome outcome;
    try {
        const SubjectMask mask = SubjectExtraction::extract(photo, GrabCutSegmenter{});
        outcome.refused = false;
        outcome.iou = mask.overlap(taken.truth);
        outcome.cornerShare = cornerShareWith(mask);
        outcome.face = face_judgement::judge(FeatureDetection::face(photo, mask), taken.faceCorners, photo.width(),
                                             photo.height());
    } catch (const PhotoAnalysisError&) {
    }
    outcome.trueMaskCornerShare = cornerShareWith(taken.truth);
    return outcome;
}

bool cornersWithinOnePercent(const Outcome& outcome) {
    return outcome.cornerShare >= 0 && outcome.cornerShare <= 0.01;
}

std::string percent(double share) {
    if (share < 0) return "none";
    char text[24];
    std::snprintf(text, sizeof text, "%.2f %%", 100 * share);
    return text;
}

void printRow(const Shot& shot, const Outcome& outcome) {
    char iou[16] = "refused";
    if (!outcome.refused) std::snprintf(iou, sizeof iou, "%.3f", outcome.iou);
    std::printf("handheld | %s | %s | %s | %s | %s\n", handheld_photos::describe(shot).c_str(), iou,
                percent(outcome.cornerShare).c_str(), percent(outcome.trueMaskCornerShare).c_str(),
                face_judgement::describe(outcome.face).c_str());
}

TEST(HandheldSweep, DevicesAreCutOutAndTheirFacesFound) {
    int refused = 0, cutOut = 0, facesFound = 0, faces = 0, facesOutOfBounds = 0;
    std::vector<std::string> misses;
    for (const Shot& shot : shots()) {
        const Outcome outcome = judge(handheld_photos::take(shot));
        printRow(shot, outcome);
        refused += outcome.refused;
        const bool whole = !outcome.refused && outcome.iou >= 0.95;
        cutOut += whole;
        facesFound += cornersWithinOnePercent(outcome);
        faces += outcome.face.withinOnePercent();
        facesOutOfBounds += !outcome.face.withinBounds();
        if (!whole || !cornersWithinOnePercent(outcome))
            misses.push_back(handheld_photos::describe(shot) + ": IoU " + std::to_string(outcome.iou) + ", corners " +
                             percent(outcome.cornerShare));
    }
    const int count = static_cast<int>(shots().size());
    std::printf(
        "handheld: %d of %d refused, %d cut out within 0.95 IoU, %d corners within 1 %%, %d faces within 1 %%, %d "
        "beyond 5 %% or turned by more than 2°\n",
        refused, count, cutOut, facesFound, faces, facesOutOfBounds);
    for (const std::string& miss : misses) std::printf("  miss: %s\n", miss.c_str());
    EXPECT_EQ(refused, 0);
    EXPECT_EQ(cutOut, count);
    EXPECT_GE(facesFound, 0.9 * count);
    EXPECT_GE(faces, 0.9 * count);
    EXPECT_EQ(facesOutOfBounds, 0);
}

// The face found on the photo's cut-out and on its true mask, by whichever path.
struct FacesFound {
    double iou = -1;  // of the cut-out; -1 where it is refused
    face_judgement::Judgement onCutOut;
    face_judgement::Judgement onTruth;
};

FacesFound facesFound(const HandheldPhoto& taken) {
    const Photo& photo = taken.photo;
    const auto judged = [&](const SubjectMask& mask) {
        return face_judgement::judge(FeatureDetection::face(photo, mask), taken.faceCorners, photo.width(),
                                     photo.height());
    };
    FacesFound found;
    try {
        const SubjectMask mask = SubjectExtraction::extract(photo, GrabCutSegmenter{});
        found.iou = mask.overlap(taken.truth);
        found.onCutOut = judged(mask);
    } catch (const PhotoAnalysisError&) {
    }
    found.onTruth = judged(taken.truth);
    return found;
}

// Plates as wide as high, light on light walls and grey on grey: the face found
// within 1 % and 2° on the true mask and on every cut-out, however loose.
// Cut-outs looser than 0.95 IoU are printed as such.
TEST(HandheldSweep, PlateFacesAreFound) {
    for (const Shot& shot : handheld_photos::plateShots()) {
        const auto [iou, face, onTruth] = facesFound(handheld_photos::take(shot));
        std::printf("plates | %s | %.3f | %s | true mask %s%s\n", handheld_photos::describe(shot).c_str(), iou,
                    face_judgement::describe(face).c_str(), face_judgement::describe(onTruth).c_str(),
                    iou < 0.95 ? " | loose cut-out" : "");
        EXPECT_TRUE(onTruth.withinOnePercent() && onTruth.withinBounds())
            << handheld_photos::describe(shot) << ": face on the true mask " << face_judgement::describe(onTruth);
        EXPECT_TRUE(face.withinOnePercent() && face.withinBounds())
            << handheld_photos::describe(shot) << ": face " << face_judgement::describe(face) << ", IoU " << iou;
    }
}

// Shallow devices turned so that a flat side of the body shows beside the face,
// and rocker plates from the front on walls lit from above: the face found is
// the face's own outline, the side left out. On the true mask every face lies
// within 1 % of the diagonal and 2° of the true frame; on the cut-out, however
// loose, nine in ten at least within 1 % and every one within 5 % and 2°.
TEST(HandheldSweep, TurnedFacesLeaveTheSideOut) {
    const std::vector<Shot> shots = handheld_photos::threeQuarterShots();
    int withinOnePercent = 0;
    for (const Shot& shot : shots) {
        const auto [iou, face, onTruth] = facesFound(handheld_photos::take(shot));
        std::printf("three-quarter | %s | %.3f | %s | true mask %s\n", handheld_photos::describe(shot).c_str(), iou,
                    face_judgement::describe(face).c_str(), face_judgement::describe(onTruth).c_str());
        withinOnePercent += face.withinOnePercent();
        EXPECT_TRUE(onTruth.withinOnePercent() && onTruth.withinBounds())
            << handheld_photos::describe(shot) << ": face on the true mask " << face_judgement::describe(onTruth);
        EXPECT_TRUE(face.withinBounds()) << handheld_photos::describe(shot) << ": face "
                                         << face_judgement::describe(face) << ", IoU " << iou;
    }
    std::printf("three-quarter: %d of %zu faces on the cut-out within 1 %%\n", withinOnePercent, shots.size());
    EXPECT_GE(withinOnePercent, 0.9 * static_cast<double>(shots.size()));
}

}  // namespace
}  // namespace photo_analysis
