// Devices of every colour and silhouette on the walls users paint, each beside
// its own soft shadow, and product photos on flat white and on transparency:
// no device is ever refused, through the segmenter or the background path
// alone; every product is cut out close to its truth, and the share of devices
// cut out so never falls. Each scene prints its row.
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "photo_analysis/photo_analysis_error.hpp"
#include "photo_analysis/subject_extraction.hpp"
#include "test_photo/scene.hpp"

namespace photo_analysis {
namespace {

constexpr int sweepWidth = 1200;

const std::vector<test_photo::ColourScene>& products() {
    static const std::vector<test_photo::ColourScene> scenes = test_photo::productSweep(sweepWidth);
    return scenes;
}

// The scene cut out one way, its row printed; the IoU, or -1 when refused.
double cutOut(const char* sweep, const test_photo::ColourScene& entry, const Segmenter& segmenter, const char* way) {
    const test_photo::Scene scene = test_photo::renderScene(entry.options);
    double iou = -1;
    try {
        iou = SubjectExtraction::extract(scene.photo(), segmenter).overlap(scene.truth);
    } catch (const PhotoAnalysisError&) {
    }
    std::printf("%s | %s, %s | %.3f | %s\n", sweep, entry.name.c_str(), way, iou < 0 ? 0.0 : iou,
                iou < 0 ? "refused" : "found");
    return iou;
}

// Eighty-four devices: white to dark and five vivid hues, plates, discs, L
// brackets, T valves, lamps with a thin arm, plugs with their cables and fans.
TEST(ColourSweep, NoDeviceIsRefusedAndMostAreCutOutWhole) {
    for (const bool segmented : {true, false}) {
        int refused = 0, whole = 0, count = 0;
        for (const test_photo::ColourScene& entry : test_photo::colourSweep(sweepWidth, 84)) {
            const double iou = segmented ? cutOut("colours", entry, GrabCutSegmenter{}, "GrabCut")
                                         : cutOut("colours", entry, NoSegmenter{}, "no segmenter");
            ++count;
            refused += iou < 0;
            whole += iou >= 0.95;
        }
        std::printf("colours, %s: %d of %d refused, %d cut out within 0.95 IoU\n",
                    segmented ? "GrabCut" : "no segmenter", refused, count, whole);
        EXPECT_EQ(refused, 0);
        EXPECT_GE(whole, (segmented ? 0.8 : 0.75) * count);
    }
}

std::string nameOf(const std::string& text) {
    std::string name;
    for (const char c : text) name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
}

class ProductSweep : public testing::TestWithParam<std::size_t> {};

TEST_P(ProductSweep, TheSegmenterFindsTheWholeProduct) {
    EXPECT_GE(cutOut("products", products()[GetParam()], GrabCutSegmenter{}, "GrabCut"), 0.95);
}

TEST_P(ProductSweep, TheBackgroundPathFindsTheWholeProduct) {
    EXPECT_GE(cutOut("products", products()[GetParam()], NoSegmenter{}, "no segmenter"), 0.95);
}

INSTANTIATE_TEST_SUITE_P(Products, ProductSweep, testing::Range<std::size_t>(0, products().size()),
                         [](const testing::TestParamInfo<std::size_t>& info) {
                             return nameOf(products()[info.param].name);
                         });

}  // namespace
}  // namespace photo_analysis
