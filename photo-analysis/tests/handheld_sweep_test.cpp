// The subject and the face on handheld photos, drawn by a generator of their
// own rather than the test-photo library the engine was tuned on. One test per
// shot for the subject; the face corners are judged over the whole sweep.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

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
    std::printf("handheld | %s | %s | %s | %s\n", handheld_photos::describe(shot).c_str(), iou,
                percent(outcome.cornerShare).c_str(), percent(outcome.trueMaskCornerShare).c_str());
}

class HandheldSweep : public testing::TestWithParam<std::size_t> {};

TEST_P(HandheldSweep, TheDeviceIsFoundWithItsSilhouette) {
    const Shot& shot = shots()[GetParam()];
    const Outcome outcome = judge(handheld_photos::take(shot));
    printRow(shot, outcome);
    EXPECT_FALSE(outcome.refused) << handheld_photos::describe(shot);
    EXPECT_GE(outcome.iou, 0.95) << handheld_photos::describe(shot);
}

std::string testName(const testing::TestParamInfo<std::size_t>& info) {
    std::string name;
    for (const char c : handheld_photos::describe(shots()[info.param]))
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Shots, HandheldSweep, testing::Range<std::size_t>(0, shots().size()), testName);

// Nine shots in ten at least with every face corner within 1 % of the diagonal.
TEST(HandheldSweepCorners, NineInTenFacesWithinOnePercentOfTheDiagonal) {
    std::vector<std::string> misses;
    for (const Shot& shot : shots()) {
        const Outcome outcome = judge(handheld_photos::take(shot));
        printRow(shot, outcome);
        if (!cornersWithinOnePercent(outcome))
            misses.push_back(handheld_photos::describe(shot) + ": " + percent(outcome.cornerShare));
    }
    const double share = 1 - static_cast<double>(misses.size()) / static_cast<double>(shots().size());
    std::printf("handheld corners within 1 %%: %.2f of %zu shots\n", share, shots().size());
    for (const std::string& miss : misses) std::printf("  miss: %s\n", miss.c_str());
    EXPECT_GE(share, 0.9);
}

}  // namespace
}  // namespace photo_analysis
