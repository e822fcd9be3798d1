// Devices of every colour and shape on walls of every paint, and the makers'
// product photos on flat white and on transparency, drawn by the handheld
// generator rather than the test-photo library: no device is ever refused, and
// the share cut out within 0.95 IoU of its truth never falls. Each shot prints
// its row: the list, the shot, the IoU and whether a device was found.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "handheld_scene.hpp"
#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/subject_extraction.hpp"

namespace photo_analysis {
namespace {

using handheld_photos::Shot;

struct Tally {
    int shots = 0;
    int refused = 0;
    int whole = 0;  // within 0.95 IoU
};

Tally judge(const char* list, const std::vector<Shot>& shots) {
    Tally tally;
    for (const Shot& shot : shots) {
        const handheld_photos::HandheldPhoto taken = handheld_photos::take(shot);
        const std::string name = handheld_photos::describe(shot);
        ++tally.shots;
        try {
            const double iou = SubjectExtraction::extract(taken.photo, GrabCutSegmenter{}).overlap(taken.truth);
            std::printf("%s | %s | %.3f | found\n", list, name.c_str(), iou);
            tally.whole += iou >= 0.95;
        } catch (const PhotoAnalysisError&) {
            std::printf("%s | %s | - | refused\n", list, name.c_str());
            ++tally.refused;
            ADD_FAILURE() << name << ": no device found";
        }
    }
    std::printf("%s: %d of %d refused, %d cut out within 0.95 IoU\n", list, tally.refused, tally.shots, tally.whole);
    return tally;
}

// Vivid devices with arms, cables and brackets, and neutral ones of the wall's
// own shade, each beside the soft shadows its parts cast.
TEST(HandheldColourSweep, NoDeviceIsRefusedAndAThirdAtLeastAreCutOutWhole) {
    const Tally tally = judge("colours", handheld_photos::colourShots());
    EXPECT_EQ(tally.refused, 0);
    EXPECT_GE(tally.whole, tally.shots / 3);
}

TEST(HandheldProductSweep, NoProductIsRefusedAndNearlyAllAreCutOutWhole) {
    const Tally tally = judge("products", handheld_photos::productShots());
    EXPECT_EQ(tally.refused, 0);
    EXPECT_GE(tally.whole, 0.85 * tally.shots);
}

}  // namespace
}  // namespace photo_analysis
