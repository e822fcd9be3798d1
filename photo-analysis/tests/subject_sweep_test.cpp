// The subject and the face on the photos users take: every backdrop of the
// test-photo library with light and dark devices, from the front and
// three-quarter. Each scene is one test, so the sweep spreads over the cores.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "face_judgement.hpp"
#include "photo_analysis/feature_detection.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/subject_extraction.hpp"
#include "test_photo/scene.hpp"

namespace photo_analysis {
namespace {

constexpr int sweepWidth = 1200;

const std::vector<test_photo::SweepScene>& sweep() {
    static const std::vector<test_photo::SweepScene> scenes = test_photo::backdropSweep(sweepWidth);
    return scenes;
}

const std::vector<test_photo::SweepScene>& threeQuarterScenes() {
    static const std::vector<test_photo::SweepScene> scenes = test_photo::threeQuarterSweep(sweepWidth);
    return scenes;
}

const std::vector<test_photo::SweepScene>& plates() {
    static const std::vector<test_photo::SweepScene> scenes = test_photo::plateSweep(sweepWidth);
    return scenes;
}

std::string percent(double share) {
    if (share < 0) return "none";
    char text[24];
    std::snprintf(text, sizeof text, "%.2f %%", 100 * share);
    return text;
}

// The face the engine finds on the cut-out, judged against the truth.
face_judgement::Judgement faceOn(const test_photo::Scene& scene, const Photo& photo, const SubjectMask& mask) {
    const std::array<Vector2, 4> truth{scene.faceCorners[0], scene.faceCorners[1], scene.faceCorners[2],
                                       scene.faceCorners[3]};
    return face_judgement::judge(FeatureDetection::face(photo, mask), truth, scene.width, scene.height);
}

class SubjectSweep : public testing::TestWithParam<std::size_t> {};

TEST_P(SubjectSweep, SubjectAndFaceCornersMatchTheTruth) {
    const test_photo::SweepScene& entry = sweep()[GetParam()];
    const test_photo::Scene scene = test_photo::renderScene(entry.options);
    const Photo photo = scene.photo();
    // The largest corner error as a share of the photo's diagonal; -1 for none.
    const auto cornerShareWith = [&](const SubjectMask& mask) {
        const auto corners = FeatureDetection::rectangleCandidates(photo, mask);
        if (!corners) return -1.0;
        const auto found = corners->points();
        double worst = 0;
        for (std::size_t i = 0; i < 4; ++i) worst = std::max(worst, found[i].distance(scene.faceCorners[i]));
        return worst / std::hypot(scene.width, scene.height);
    };
    double iou = 0, cornerShare = -1;
    face_judgement::Judgement face;
    try {
        const SubjectMask mask = SubjectExtraction::extract(photo, GrabCutSegmenter{});
        iou = mask.overlap(scene.truth);
        cornerShare = cornerShareWith(mask);
        face = faceOn(scene, photo, mask);
    } catch (const PhotoAnalysisError&) {
    }
    // For the table: what the detector makes of the true mask.
    const double trueMaskShare = cornerShareWith(scene.truth);
    std::printf("sweep | %s | %s | %s | %.3f | %s | %s | %s\n", entry.backdrop.c_str(), entry.device.c_str(),
                entry.view.c_str(), iou, percent(cornerShare).c_str(), percent(trueMaskShare).c_str(),
                face_judgement::describe(face).c_str());
    EXPECT_GE(iou, 0.95) << entry.name;
    EXPECT_GE(cornerShare, 0) << entry.name << ": no corners";
    EXPECT_LE(cornerShare, 0.01) << entry.name;
    EXPECT_TRUE(face.withinOnePercent() && face.withinBounds())
        << entry.name << ": face " << face_judgement::describe(face);
}

std::string nameOf(const std::string& text) {
    std::string name;
    for (const char c : text) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

std::string testName(const testing::TestParamInfo<std::size_t>& info) {
    return nameOf(sweep()[info.param].name);
}

INSTANTIATE_TEST_SUITE_P(Backdrops, SubjectSweep, testing::Range<std::size_t>(0, sweep().size()), testName);

// The face found on the scene's cut-out and on its true mask, by whichever
// path, printed as a row of `table`: each within 1 % of the diagonal and 2° of
// the true frame.
void expectFacesOnCutOutAndTruth(const test_photo::SweepScene& entry, const char* table) {
    const test_photo::Scene scene = test_photo::renderScene(entry.options);
    const Photo photo = scene.photo();
    double iou = 0;
    face_judgement::Judgement face;
    try {
        const SubjectMask mask = SubjectExtraction::extract(photo, GrabCutSegmenter{});
        iou = mask.overlap(scene.truth);
        face = faceOn(scene, photo, mask);
    } catch (const PhotoAnalysisError&) {
    }
    const face_judgement::Judgement onTruth = faceOn(scene, photo, scene.truth);
    std::printf("%s | %s | %.3f | %s | true mask %s\n", table, entry.name.c_str(), iou,
                face_judgement::describe(face).c_str(), face_judgement::describe(onTruth).c_str());
    EXPECT_TRUE(face.withinOnePercent() && face.withinBounds())
        << entry.name << ": face " << face_judgement::describe(face);
    EXPECT_TRUE(onTruth.withinOnePercent() && onTruth.withinBounds())
        << entry.name << ": face on the true mask " << face_judgement::describe(onTruth);
}

class PlateSweep : public testing::TestWithParam<std::size_t> {};

// Plates as wide as high, light on light walls and grey on grey.
TEST_P(PlateSweep, FaceMatchesTheTruth) {
    expectFacesOnCutOutAndTruth(plates()[GetParam()], "plates");
}

INSTANTIATE_TEST_SUITE_P(Plates, PlateSweep, testing::Range<std::size_t>(0, plates().size()),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                             return nameOf(plates()[info.param].name);
                         });

class ThreeQuarterSweep : public testing::TestWithParam<std::size_t> {};

// Devices turned so that a side of the body shows beside the face, and rocker
// plates from the front on a graded wall: the face found is the face's own
// outline, the side left out.
TEST_P(ThreeQuarterSweep, TheFaceLeavesTheSideOut) {
    expectFacesOnCutOutAndTruth(threeQuarterScenes()[GetParam()], "three-quarter");
}

INSTANTIATE_TEST_SUITE_P(Turned, ThreeQuarterSweep, testing::Range<std::size_t>(0, threeQuarterScenes().size()),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                             return nameOf(threeQuarterScenes()[info.param].name);
                         });

}  // namespace
}  // namespace photo_analysis
