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
    try {
        const SubjectMask mask = SubjectExtraction::extract(photo, GrabCutSegmenter{});
        iou = mask.overlap(scene.truth);
        cornerShare = cornerShareWith(mask);
    } catch (const PhotoAnalysisError&) {
    }
    // For the table: what the detector makes of the true mask.
    const double trueMaskShare = cornerShareWith(scene.truth);
    const auto percent = [](double share) {
        if (share < 0) return std::string("none");
        char text[24];
        std::snprintf(text, sizeof text, "%.2f %%", 100 * share);
        return std::string(text);
    };
    std::printf("sweep | %s | %s | %s | %.3f | %s | %s\n", entry.backdrop.c_str(), entry.device.c_str(),
                entry.view.c_str(), iou, percent(cornerShare).c_str(), percent(trueMaskShare).c_str());
    EXPECT_GE(iou, 0.95) << entry.name;
    EXPECT_GE(cornerShare, 0) << entry.name << ": no corners";
    EXPECT_LE(cornerShare, 0.01) << entry.name;
}

std::string testName(const testing::TestParamInfo<std::size_t>& info) {
    std::string name;
    for (const char c : sweep()[info.param].name) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Backdrops, SubjectSweep, testing::Range<std::size_t>(0, sweep().size()), testName);

}  // namespace
}  // namespace photo_analysis
