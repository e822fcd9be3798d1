// Face finding on rendered device photos, against their true corners.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "face/face_finding_detail.hpp"
#include "photo_analysis/feature_detection.hpp"
#include "photo_analysis/subject_extraction.hpp"
#include "test_photo/scene.hpp"

namespace photo_analysis {
namespace {

struct View {
    const char* name;
    int width;  // of the photo; the height is three quarters of it
    double yaw, pitch, depth;
    test_photo::Background background;
    double limit;         // pixels
    bool mayFindNothing;  // the face's sides lie too far inside the silhouette to score
};

test_photo::SceneOptions optionsFor(const View& view) {
    test_photo::SceneOptions o;
    o.width = view.width;
    o.height = view.width * 3 / 4;
    // A 3 : 2 face about 0.47 of the photo's height.
    o.faceWidthMm = 120;
    o.faceHeightMm = 80;
    o.cornerRadiusMm = 6;
    o.subjectSize = 0.467;
    o.yawDegrees = view.yaw;
    o.pitchDegrees = view.pitch;
    o.depthMm = view.depth;
    o.backdrop = view.background;
    return o;
}

// The largest distance between a found corner and the true one.
double cornerError(const FaceCorners& found, const std::array<Vector2, 4>& truth) {
    const auto points = found.points();
    double worst = 0;
    for (int i = 0; i < 4; ++i) worst = std::max(worst, points[i].distance(truth[i]));
    return worst;
}

// Distance of the found corners from the silhouette's box corners: small when
// the detector hugged the whole body instead of the face.
double silhouetteError(const FaceCorners& found, const SubjectMask& mask) {
    const auto box = mask.boundingBox();
    const std::array<Vector2, 4> corners = {Vector2{box->x, box->y},
                                            {box->x + box->width, box->y},
                                            {box->x + box->width, box->y + box->height},
                                            {box->x, box->y + box->height}};
    return cornerError(found, corners);
}

// The face is about 840 × 560 pixels at 1600 × 1200 and half that at 800 × 600,
// where the limits (1 % of the face's longer side) halve too.
const View views[] = {
    {"frontal", 1600, 0, 0, 30, test_photo::Background::uniform, 3, false},
    {"yaw 20 pitch 5 depth 8", 800, 20, 5, 8, test_photo::Background::uniform, 4, false},
    {"yaw 30 pitch 10 depth 30", 800, 30, 10, 30, test_photo::Background::uniform, 4, false},
    {"yaw 35 pitch 5 depth 80", 800, 35, 5, 80, test_photo::Background::uniform, 4, false},
    {"yaw 25 pitch 0 depth 50 textured", 800, 25, 0, 50, test_photo::Background::textured, 4, false},
    {"yaw 30 pitch 10 depth 30 textured", 800, 30, 10, 30, test_photo::Background::textured, 4, false},
    // A thin strip of the top wall above the face, its edge weakened by the strip.
    {"yaw 20 pitch 8 depth 80 textured", 1600, 20, 8, 80, test_photo::Background::textured, 8, false},
    // The top and side walls put two of the face's sides farther inside the
    // silhouette than the scoring's sampling radius: no corners, never the body.
    {"yaw 35 pitch 15 depth 80", 800, 35, 15, 80, test_photo::Background::uniform, 4, true},
    {"yaw 45 pitch 5 depth 30", 800, 45, 5, 30, test_photo::Background::uniform, 6, true},
};

TEST(FaceScenes, DetectedCornersMeetTheTrueFace) {
    for (const auto& view : views) {
        const auto scene = test_photo::renderScene(optionsFor(view));
        const Photo photo = scene.photo();
        std::vector<std::pair<std::string, SubjectMask>> masks = {{"true mask", scene.truth}};
        if (view.background == test_photo::Background::uniform && (view.yaw == 0 || view.yaw == 30)) {
            masks.push_back({"background mask",
                             SubjectExtraction::extractByBackground(photo, SubjectExtraction::defaultTolerance)});
        }
        for (const auto& [maskName, mask] : masks) {
            const auto corners = FeatureDetection::rectangleCandidates(photo, mask);
            if (!corners) {
                EXPECT_TRUE(view.mayFindNothing) << view.name << ", " << maskName << ": no corners";
                continue;
            }
            EXPECT_LE(cornerError(*corners, scene.faceCorners), view.limit) << view.name << ", " << maskName;
            if (view.yaw > 0) {
                EXPECT_GT(silhouetteError(*corners, mask), 4 * view.limit) << view.name << ", " << maskName;
            }
        }
    }
}

// A thermostat face crossed by a separator line and a rib grille: straight lines
// inside the face must not win over the face's own outline.
TEST(FaceScenes, LinesAcrossTheFaceDoNotHideItsOutline) {
    struct Pose {
        double yaw, pitch;
    };
    for (const Pose pose : {Pose{0, 0}, Pose{20, 8}, Pose{35, 12}}) {
        const auto scene = test_photo::renderScene(test_photo::thermostatScene(1600, 1200, pose.yaw, pose.pitch));
        const Photo photo = scene.photo();
        const std::string name = "yaw " + std::to_string(int(pose.yaw));
        const double faceHeight = scene.faceCorners[0].distance(scene.faceCorners[3]);
        const std::pair<std::string, SubjectMask> masks[] = {
            {"true mask", scene.truth},
            {"background mask", SubjectExtraction::extractByBackground(photo, SubjectExtraction::defaultTolerance)}};
        for (const auto& [maskName, mask] : masks) {
            const auto corners = FeatureDetection::rectangleCandidates(photo, mask);
            if (!corners) {
                ADD_FAILURE() << name << ", " << maskName << ": no corners";
                continue;
            }
            EXPECT_LE(cornerError(*corners, scene.faceCorners), 0.02 * faceHeight) << name << ", " << maskName;
        }
    }
}

// The rectified face of a perspective photo: its corners land on the true face.
TEST(FaceScenes, RectifiedFaceMapsOntoTheTrueCorners) {
    const auto scene = test_photo::renderScene(optionsFor(views[2]));
    const auto face = FeatureDetection::face(scene.photo(), scene.truth);
    ASSERT_TRUE(face && face->corners);
    EXPECT_NEAR(face->aspectRatio, 1.5, 0.015);
    EXPECT_EQ(face->image.height(), 600);
    const double r = face->aspectRatio;
    const Vector2 unitCorners[4] = {{-r / 2, -0.5}, {r / 2, -0.5}, {r / 2, 0.5}, {-r / 2, 0.5}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_LE(face->faceToPhoto.apply(unitCorners[i]).distance(scene.faceCorners[i]), 1.0) << i;
    }
}

}  // namespace
}  // namespace photo_analysis
