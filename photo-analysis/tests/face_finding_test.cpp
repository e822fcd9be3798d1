#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <numbers>

#include "face/face_finding_detail.hpp"
#include "face_scene.hpp"
#include "photo_analysis/feature_detection.hpp"
#include "photo_analysis/profile_measurement.hpp"

namespace photo_analysis {
namespace {

namespace detail = face_finding_detail;
using test_scene::polygonMask;

// Hands the scoring a fixed list, as a detector would.
struct ListedDetector final : RectangleDetector {
    std::optional<std::vector<RectangleObservation>> observations;
    mutable std::optional<RectangleRequest> lastRequest;
    std::optional<std::vector<RectangleObservation>> detect(const Photo&, const SubjectMask&,
                                                            const RectangleRequest& request,
                                                            const TraceSink&) const override {
        lastRequest = request;
        return observations;
    }
};

// Sets or clears FACE_DEBUG for one test and collects the lines its sink gets.
struct FaceTrace {
    explicit FaceTrace(const char* value) {
        if (value) {
            setenv("FACE_DEBUG", value, 1);
        } else {
            unsetenv("FACE_DEBUG");
        }
    }
    TraceSink sink() {
        return [this](std::string_view line) {
            collected.append(line);
            collected += '\n';
        };
    }
    std::string text() const { return collected; }
    ~FaceTrace() { unsetenv("FACE_DEBUG"); }

    std::string collected;
};

// A 512 × 256 photo with a 384 × 192 device at (64, 32): exact in normalised units.
constexpr int W = 512, H = 256;
const SubjectMask deviceMask = polygonMask(W, H, {{64, 32}, {448, 32}, {448, 224}, {64, 224}});

RectangleObservation observed(std::array<Vector2, 4> corners, double confidence) {
    return {corners[0], corners[1], corners[2], corners[3], confidence};
}

std::array<Vector2, 4> box(double x, double y, double w, double h) {
    return {Vector2{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}};
}

TEST(FaceFinding, EdgeTestPassesOnlyAcrossTheSilhouette) {
    // A 1-pixel line at x = 101 inside a 200 × 200 mask.
    const SubjectMask line = test_scene::maskOf(200, 200, [](double x, double) { return x > 101 && x < 102; });
    struct Case {
        const char* what;
        const SubjectMask& mask;
        Vector2 point;
        double radius;
        bool passes;
    };
    const Case cases[] = {
        {"deep inside", deviceMask, {256, 128}, 25.6, false},
        {"far outside", deviceMask, {10, 128}, 25.6, false},
        {"straddling the left side", deviceMask, {64, 128}, 25.6, true},
        {"just inside, window reaching out", deviceMask, {80, 128}, 25.6, true},
        {"outside, window reaching in", deviceMask, {50, 128}, 25.6, true},
        {"beyond the photo, window reaching in", deviceMask, {-10, 128}, 80, true},
        {"far beyond the photo", deviceMask, {-1000, 128}, 25.6, false},
        {"not a number", deviceMask, {NAN, 128}, 25.6, false},
        {"huge", deviceMask, {1e300, 128}, 25.6, false},
        // Step 1 up to R = 5 sees a one-pixel line; R = 12 samples every second
        // column from −12 and steps over x = 101.
        {"thin line, dense walk", line, {100, 100}, 5, true},
        {"thin line, sparse walk", line, {100, 100}, 12, false},
    };
    for (const auto& c : cases) EXPECT_EQ(detail::passesEdgeTest(c.point, c.radius, c.mask), c.passes) << c.what;

    // A subject filling the photo: samples beyond the mask count as outside, so a
    // window over the photo's border straddles.
    const SubjectMask full = test_scene::maskOf(100, 100, [](double, double) { return true; });
    EXPECT_TRUE(detail::passesEdgeTest({2, 50}, 5, full));
    EXPECT_FALSE(detail::passesEdgeTest({50, 50}, 5, full));
}

TEST(FaceFinding, ScoringKeepsTheLargestQuadrilateralOnTheSilhouette) {
    const auto face = box(64, 32, 384, 192);
    struct Case {
        const char* what;
        std::vector<RectangleObservation> observations;
        std::optional<std::array<Vector2, 4>> winner;
    };
    // 80 % of the subject, sharing its top, left and right sides.
    const auto upper = box(64, 32, 384, 154);
    const auto oversized = box(20, 10, 472, 236);  // 150 % of the subject
    const auto inset = box(64, 60, 300, 164);      // left and bottom on the silhouette, ≈ 70 %
    const Case cases[] = {
        {"face on the silhouette", {observed(upper, 0.9), observed(face, 0.5)}, face},
        {"larger than the subject", {observed(oversized, 0.9), observed(upper, 0.8)}, upper},
        {"equal areas: the first", {observed(upper, 0.5), observed(box(64, 70, 384, 154), 0.9)}, upper},
        {"two sides only", {observed(inset, 0.9)}, std::nullopt},
        {"area zero", {observed({Vector2{64, 32}, {64, 32}, {64, 32}, {64, 32}}, 0.9)}, std::nullopt},
        {"corners off the photo",
         {observed({Vector2{-5000, -5000}, {5000, -5000}, {5000, 5000}, {-5000, 5000}}, 0.9), observed(face, 0.5)},
         face},
        {"corners not finite", {observed({Vector2{NAN, 32}, {448, 32}, {448, 224}, {64, 224}}, 0.9)}, std::nullopt},
        {"corners huge", {observed({Vector2{1e300, 32}, {448, 32}, {448, 224}, {64, 224}}, 0.9)}, std::nullopt},
    };
    for (const auto& c : cases) {
        const auto found = detail::bestQuadrilateral(c.observations, deviceMask, W, H);
        ASSERT_EQ(found.has_value(), c.winner.has_value()) << c.what;
        if (!found) continue;
        const auto expected = *c.winner;
        const auto got = found->points();
        for (int i = 0; i < 4; ++i) {
            EXPECT_NEAR(got[i].x, expected[i].x, 1e-9) << c.what;
            EXPECT_NEAR(got[i].y, expected[i].y, 1e-9) << c.what;
        }
    }
    // A mask of another size than the photo is no subject.
    EXPECT_FALSE(detail::bestQuadrilateral(std::vector{observed(face, 0.9)}, deviceMask, W + 1, H));
}

TEST(FaceFinding, RequestCoversTheSubjectBoxGrownByTwoHundredths) {
    const auto request = detail::requestFor({64, 32, 384, 192}, W, H);
    // In photo pixels: 0.02 of 512 is 10.24, of 256 is 5.12.
    EXPECT_NEAR(request.regionOfInterest.left, 64 - 10.24, 1e-9);
    EXPECT_NEAR(request.regionOfInterest.top, 32 - 5.12, 1e-9);
    EXPECT_NEAR(request.regionOfInterest.right, 448 + 10.24, 1e-9);
    EXPECT_NEAR(request.regionOfInterest.bottom, 224 + 5.12, 1e-9);
    const auto clipped = detail::requestFor({0, 0, 512, 256}, W, H);
    EXPECT_DOUBLE_EQ(clipped.regionOfInterest.left, 0);
    EXPECT_DOUBLE_EQ(clipped.regionOfInterest.top, 0);
    EXPECT_DOUBLE_EQ(clipped.regionOfInterest.right, 512);
    EXPECT_DOUBLE_EQ(clipped.regionOfInterest.bottom, 256);
    EXPECT_EQ(clipped.maximumObservations, 12);
    EXPECT_DOUBLE_EQ(clipped.minimumConfidence, 0.4);
}

TEST(FaceFinding, TraceIsWrittenOnlyWithFaceDebug) {
    const Photo photo = test_scene::photoOf(deviceMask);
    ListedDetector detector;
    detector.observations = {observed(box(64, 32, 384, 192), 0.87), observed(box(0, 0, 100, 50), 0.456)};
    const std::string expected =
        "    2 quadrilatères\n"
        "    quad conf 0.87 aire 1.00 dedans oui\n"
        "      côtés sur la silhouette : 4 ; coins (64,32) (448,32) (448,224) (64,224) ; objet (64.0, 32.0, 384.0, "
        "192.0)\n"
        "    quad conf 0.46 aire 0.07 dedans non\n";
    for (const char* value : {"", "1"}) {
        FaceTrace trace(value);
        EXPECT_TRUE(detail::rectangleCandidates(photo, deviceMask, detector, trace.sink()));
        EXPECT_EQ(trace.text(), expected) << "FACE_DEBUG=" << value;
    }
    FaceTrace silent(nullptr);
    EXPECT_TRUE(detail::rectangleCandidates(photo, deviceMask, detector, silent.sink()));
    // With the variable set but no sink, nothing is written anywhere.
    FaceTrace noSink("1");
    testing::internal::CaptureStdout();
    EXPECT_TRUE(detail::rectangleCandidates(photo, deviceMask, detector));
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
    EXPECT_EQ(silent.text(), "");
}

TEST(FaceFinding, GivenCornersGiveTheRectifiedFace) {
    const std::vector<Vector2> quad = {{70, 40}, {440, 30}, {450, 226}, {60, 220}};
    const SubjectMask mask = polygonMask(W, H, quad);
    const Photo photo = test_scene::photoOf(mask);
    const FaceCorners corners{quad[0], quad[1], quad[2], quad[3]};
    const ListedDetector none;
    const auto face = detail::face(photo, mask, corners, std::nullopt, none);
    ASSERT_TRUE(face);
    ASSERT_TRUE(face->corners);
    EXPECT_EQ(*face->corners, corners);
    EXPECT_EQ(face->image.height(), 600);
    EXPECT_NEAR(face->image.width(), face->aspectRatio * 600, 1);
    const double r = face->aspectRatio;
    const Vector2 faceCorners[4] = {{-r / 2, -0.5}, {r / 2, -0.5}, {r / 2, 0.5}, {-r / 2, 0.5}};
    for (int i = 0; i < 4; ++i) {
        const Vector2 p = face->faceToPhoto.apply(faceCorners[i]);
        EXPECT_NEAR(p.x, quad[i].x, 1);
        EXPECT_NEAR(p.y, quad[i].y, 1);
    }
    const auto& shape = std::get<icon_geometry::FaceShape::RoundedRectangle>(face->shape.value);
    EXPECT_DOUBLE_EQ(shape.width, r);
    EXPECT_DOUBLE_EQ(shape.height, 1);
    EXPECT_LT(shape.cornerRadius, 0.03);  // sharp corners
    // An imposed ratio replaces the estimate.
    EXPECT_DOUBLE_EQ(detail::face(photo, mask, corners, 1.25, none)->aspectRatio, 1.25);
}

TEST(FaceFinding, FewOutlinePointsNearTheCornersGiveTheDefaultRadius) {
    // A small round subject well inside the given corners.
    const SubjectMask mask =
        test_scene::maskOf(W, H, [](double x, double y) { return std::hypot(x - 256, y - 128) < 30; });
    const auto face =
        detail::face(test_scene::photoOf(mask), mask, FaceCorners{{64, 32}, {448, 32}, {448, 224}, {64, 224}},
                     std::nullopt, ListedDetector{});
    ASSERT_TRUE(face);
    EXPECT_DOUBLE_EQ(std::get<icon_geometry::FaceShape::RoundedRectangle>(face->shape.value).cornerRadius, 0.06);
}

TEST(FaceFinding, RoundDeviceWithoutRectangleIsItsUprightOutline) {
    // An ellipse 300 × 160 turned by 20°.
    const double turn = 20 * std::numbers::pi / 180;
    const SubjectMask mask = test_scene::maskOf(W, H, [&](double x, double y) {
        const double dx = x - 250, dy = y - 130;
        const double u = dx * std::cos(turn) + dy * std::sin(turn), v = dy * std::cos(turn) - dx * std::sin(turn);
        return (u / 150) * (u / 150) + (v / 80) * (v / 80) < 1;
    });
    const auto face = detail::face(test_scene::photoOf(mask), mask, std::nullopt, std::nullopt, ListedDetector{});
    ASSERT_TRUE(face);
    EXPECT_FALSE(face->corners);
    EXPECT_NEAR(face->aspectRatio, 300.0 / 160, 0.05);
    EXPECT_NEAR(face->image.width(), 300, 3);
    EXPECT_NEAR(face->image.height(), 160, 3);
    ASSERT_TRUE(std::holds_alternative<icon_geometry::FaceShape::Ellipse>(face->shape.value));
    EXPECT_NEAR(std::get<icon_geometry::FaceShape::Ellipse>(face->shape.value).height, 1, 1e-9);
    // The face's centre maps to the ellipse's centre; its right end along the turn.
    const Vector2 centre = face->faceToPhoto.apply(0, 0);
    EXPECT_NEAR(centre.x, 250, 1);
    EXPECT_NEAR(centre.y, 130, 1);
    const Vector2 right = face->faceToPhoto.apply(face->aspectRatio / 2, 0);
    EXPECT_NEAR(right.x, 250 + 150 * std::cos(turn), 2);
    EXPECT_NEAR(right.y, 130 + 150 * std::sin(turn), 2);
    // The face image is upright: its middle is the subject, its corners background.
    const auto pixel = [&](int x, int y) {
        return face->image.pixels()[(static_cast<std::size_t>(y) * face->image.width() + x) * 4];
    };
    EXPECT_EQ(pixel(face->image.width() / 2, face->image.height() / 2), 60);
    EXPECT_EQ(pixel(face->image.width() / 2 - 120, face->image.height() / 2), 60);
    EXPECT_EQ(pixel(2, 2), 255);
}

// Plates seen from the front, square or a tenth taller, their corners rounded
// from not at all to nearly half their width, turned in the picture by up to
// 9°: where no quadrilateral is kept, the face follows the plate's outline, its
// frame on the plate's sharp corners.
TEST(FaceFinding, WithoutAQuadrilateralTheFaceFollowsThePlatesOutline) {
    constexpr int width = 640, height = 480;
    const double diagonal = std::hypot(width, height);
    for (const double taller : {1.0, 1.1}) {
        for (double rounding = 0; rounding <= 0.45; rounding += 0.05) {
            for (const double degrees : {0.0, 4.0, 9.0}) {
                const double turn = degrees * std::numbers::pi / 180, c = std::cos(turn), s = std::sin(turn);
                const double half = 130, halfHeight = half * taller, r = rounding * 2 * half;
                const SubjectMask mask = test_scene::maskOf(width, height, [&](double x, double y) {
                    const double dx = x - 320, dy = y - 240;
                    const double u = std::abs(dx * c + dy * s) - (half - r),
                                 v = std::abs(dy * c - dx * s) - (halfHeight - r);
                    return std::hypot(std::max(u, 0.0), std::max(v, 0.0)) + std::min(std::max(u, v), 0.0) <= r;
                });
                const auto face =
                    detail::face(test_scene::photoOf(mask), mask, std::nullopt, std::nullopt, ListedDetector{});
                ASSERT_TRUE(face);
                const double aspect = face->aspectRatio;
                const Vector2 corners[4] = {
                    face->faceToPhoto.apply(-aspect / 2, -0.5), face->faceToPhoto.apply(aspect / 2, -0.5),
                    face->faceToPhoto.apply(aspect / 2, 0.5), face->faceToPhoto.apply(-aspect / 2, 0.5)};
                const auto placed = [&](double u, double v) {
                    return Vector2{320 + u * c - v * s, 240 + u * s + v * c};
                };
                const Vector2 truth[4] = {placed(-half, -halfHeight), placed(half, -halfHeight),
                                          placed(half, halfHeight), placed(-half, halfHeight)};
                for (int k = 0; k < 4; ++k) {
                    EXPECT_LT(corners[k].distance(truth[k]), 0.01 * diagonal)
                        << "rounding " << rounding << ", taller " << taller << ", turn " << degrees << ", corner " << k;
                }
                const Vector2 across = corners[1] - corners[0];
                EXPECT_NEAR(std::atan2(across.y, across.x) * 180 / std::numbers::pi, degrees, 2);
            }
        }
    }
}

TEST(FaceFinding, UnusableCornersFallBackOnTheOutlineFit) {
    const Photo photo = test_scene::photoOf(deviceMask);
    const ListedDetector none;
    // Estimated ratio far beyond 20.
    const FaceCorners sliver{{10, 100}, {500, 100}, {500, 102}, {10, 102}};
    const auto face = detail::face(photo, deviceMask, sliver, std::nullopt, none);
    ASSERT_TRUE(face);
    EXPECT_FALSE(face->corners);
    EXPECT_NEAR(face->aspectRatio, 2, 0.05);
    FaceCorners notFinite = sliver;
    notFinite.topLeft.x = NAN;
    EXPECT_TRUE(detail::face(photo, deviceMask, notFinite, std::nullopt, none));
    // No subject of the photo's size: no face.
    EXPECT_FALSE(detail::face(photo, polygonMask(W, H + 1, {{64, 32}, {448, 32}, {448, 224}}), sliver, 1.0, none));
}

TEST(FaceFinding, SliverSubjectGivesNoFace) {
    // 480 × 3 pixels: an outline of 160 : 1 would need a 160-fold face image.
    const SubjectMask mask = polygonMask(W, H, {{16, 100}, {496, 100}, {496, 103}, {16, 103}});
    EXPECT_FALSE(detail::face(test_scene::photoOf(mask), mask, std::nullopt, std::nullopt, ListedDetector{}));
}

TEST(ProfileMeasurement, DepthRatioIsTheSubjectBoxRatio) {
    EXPECT_DOUBLE_EQ(
        *ProfileMeasurement::aspectRatio(polygonMask(400, 200, {{50, 50}, {350, 50}, {350, 150}, {50, 150}})), 3.0);
    EXPECT_FALSE(ProfileMeasurement::aspectRatio(SubjectMask{10, 10, std::vector<std::uint8_t>(100, 0)}));

    // A 30 mm deep, 86 mm high box seen from the side through a long lens.
    const double depth = 30, height = 86, focal = 12000, distance = 1500;
    std::vector<Vector2> hull;
    for (const Vector2 corner : {Vector2{-depth / 2, -height / 2},
                                 {depth / 2, -height / 2},
                                 {depth / 2, height / 2},
                                 {-depth / 2, height / 2}}) {
        // Slightly turned so that the near face shows too, as a hand-held shot would.
        const double turn = 5 * std::numbers::pi / 180;
        const double x = corner.x * std::cos(turn), z = distance + corner.x * std::sin(turn) + 43 * std::sin(turn);
        hull.push_back({400 + focal * x / z, 500 + focal * corner.y / z});
    }
    const auto ratio = ProfileMeasurement::aspectRatio(polygonMask(800, 1000, hull));
    ASSERT_TRUE(ratio);
    EXPECT_NEAR(*ratio, depth / height, 0.05 * depth / height);
}

}  // namespace
}  // namespace photo_analysis
