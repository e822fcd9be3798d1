// The rectangle detector on a few of the photos users take; the whole sweep is
// face_edges_sweep_test.cpp.
#include "face_edges.hpp"

#include <gtest/gtest.h>

#include "photo_analysis/feature_detection.hpp"
#include "photo_analysis/segmenter.hpp"
#include "photo_analysis/subject_extraction.hpp"

namespace photo_analysis {
namespace {

TEST(FaceEdges, ALightFaceWithWellRoundedCornersOnAWhiteWallIsFoundFromTheFront) {
    for (const double radius : {18.0, 22.0}) {
        const face_edges::Case c = face_edges::device(true, 0, 0, 25, radius, 0.953);
        const test_photo::Scene scene = test_photo::renderScene(c.options);
        const auto corners = FeatureDetection::rectangleCandidates(scene.photo(), scene.truth);
        ASSERT_TRUE(corners) << c.name;
        EXPECT_LE(face_edges::cornerError(*corners, scene), 0.01) << c.name;
    }
}

TEST(FaceEdges, ADarkFaceSeenThreeQuarterKeepsItsOwnEdgeNotTheBodysSide) {
    for (const face_edges::Case& c :
         {face_edges::device(false, 25, 6, 25, 6, 0.92), face_edges::device(false, 35, 6, 45, 18, 0.6)}) {
        const test_photo::Scene scene = test_photo::renderScene(c.options);
        const auto corners = FeatureDetection::rectangleCandidates(scene.photo(), scene.truth);
        ASSERT_TRUE(corners) << c.name;
        EXPECT_LE(face_edges::cornerError(*corners, scene), 0.01) << c.name;
    }
}

// The body's side beyond the face's edge has another shade than the face: it is
// not more of the face beyond a line across it, though its top and bottom run on
// nearly in line with the face's.
TEST(FaceEdges, ALightFaceSeenThreeQuarterKeepsItsOwnEdgeNotTheBodysSide) {
    const face_edges::Case c = face_edges::device(true, 20, 6, 30, 6, 0.953);
    const test_photo::Scene scene = test_photo::renderScene(c.options);
    const auto corners = FeatureDetection::rectangleCandidates(scene.photo(), scene.truth);
    ASSERT_TRUE(corners) << c.name;
    EXPECT_LE(face_edges::cornerError(*corners, scene), 0.01) << c.name;
}

// The photo's edge and the mask's, two pixels apart, are one outline: the face
// is not taken for a strip inside a larger one.
TEST(FaceEdges, AMaskAFewPixelsTooWideStillGivesTheFacesOwnCorners) {
    for (const face_edges::Case& c :
         {face_edges::device(false, 35, 6, 25, 6, 0.92), face_edges::device(true, 0, 4, 25, 6, 0.92)}) {
        const test_photo::Scene scene = test_photo::renderScene(c.options);
        const auto corners = FeatureDetection::rectangleCandidates(scene.photo(), face_edges::grown(scene.truth, 2));
        ASSERT_TRUE(corners) << c.name;
        EXPECT_LE(face_edges::cornerError(*corners, scene), 0.01) << c.name;
    }
}

// A light face's edge against a wall of nearly its shade, just outside a mask
// drawn two pixels tight, still carries the face's sides.
TEST(FaceEdges, AMaskAFewPixelsTooTightStillGivesALightFacesCorners) {
    const face_edges::Case c = face_edges::device(true, 0, 4, 25, 18, 0.92);
    const test_photo::Scene scene = test_photo::renderScene(c.options);
    const auto corners = FeatureDetection::rectangleCandidates(scene.photo(), face_edges::shrunk(scene.truth, 2));
    ASSERT_TRUE(corners) << c.name;
    EXPECT_LE(face_edges::cornerError(*corners, scene), 0.01) << c.name;
}

test_photo::SceneOptions sweepScene(const std::string& name) {
    for (const test_photo::SweepScene& scene : test_photo::backdropSweep(1200)) {
        if (scene.name == name) return scene.options;
    }
    ADD_FAILURE() << name << " is not in the sweep";
    return {};
}

// Light falling off down the photo darkens the face below a grille's first rib:
// still more of the face, not a side of the body.
TEST(FaceEdges, AGrilleAcrossAFaceUnderUnevenLightIsMoreOfTheFace) {
    const test_photo::Scene scene = test_photo::renderScene(sweepScene("gradient top-bottom, light, three-quarter"));
    const auto corners = FeatureDetection::rectangleCandidates(scene.photo(), scene.truth);
    ASSERT_TRUE(corners);
    EXPECT_LE(face_edges::cornerError(*corners, scene), 0.01);
}

// A light face's side against a wall of nearly its shade is seen only on the
// cut-out's outline, which wanders by a pixel: its short pieces still carry the
// side.
TEST(FaceEdges, ALightFacesSideOnAWavyCutOutStillCarriesTheFace) {
    const test_photo::Scene scene = test_photo::renderScene(sweepScene("cool light, light, three-quarter"));
    const Photo photo = scene.photo();
    const auto corners =
        FeatureDetection::rectangleCandidates(photo, SubjectExtraction::extract(photo, GrabCutSegmenter{}));
    ASSERT_TRUE(corners);
    EXPECT_LE(face_edges::cornerError(*corners, scene), 0.01);
}

}  // namespace
}  // namespace photo_analysis
