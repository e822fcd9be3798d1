// Every scene of the face-edge sweep: the face's corners within 1 % of the
// photo's diagonal. Prints the table of corner errors.
#include <gtest/gtest.h>

#include <iostream>

#include "face_edges.hpp"
#include "icon_geometry/number_text.hpp"
#include "photo_analysis/feature_detection.hpp"

namespace photo_analysis {
namespace {

TEST(FaceEdgesSweep, EveryFaceIsFoundWithinOnePercentOfTheDiagonal) {
    for (const face_edges::Case& c : face_edges::sweep()) {
        const test_photo::Scene scene = test_photo::renderScene(c.options);
        const auto corners = FeatureDetection::rectangleCandidates(scene.photo(), scene.truth);
        const double error = corners ? face_edges::cornerError(*corners, scene) : INFINITY;
        std::cout << c.name << " | "
                  << (corners ? icon_geometry::NumberText::fixed(100 * error, 3) + " %" : "no corners") << "\n";
        EXPECT_LE(error, 0.01) << c.name;
    }
}

}  // namespace
}  // namespace photo_analysis
