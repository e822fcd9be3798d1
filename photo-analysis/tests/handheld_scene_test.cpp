// The handheld photo generator itself: its truth fits its photo, a shot always
// gives the same bytes, and the devices and walls look as they are meant to.
#include "handheld_scene.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <opencv2/core.hpp>

namespace handheld_photos {
namespace {

TEST(HandheldScene, TruthLiesInsideTheUprightPhoto) {
    // A turned device in a portrait photo stored on its side.
    const Shot shot{Device::light, Wall::graded, -35, 6, 80, 6, true, 7};
    const HandheldPhoto taken = take(shot);
    ASSERT_EQ(taken.photo.width(), 900);
    ASSERT_EQ(taken.photo.height(), 1200);
    ASSERT_EQ(taken.truth.width, 900);
    ASSERT_EQ(taken.truth.height, 1200);
    const auto box = taken.truth.boundingBox();
    ASSERT_TRUE(box);
    EXPECT_GT(box->minX(), 0);
    EXPECT_GT(box->minY(), 0);
    EXPECT_LT(box->maxX(), 900);
    EXPECT_LT(box->maxY(), 1200);
    // The sharp corners lie off the rounded silhouette, by less than a tenth of its box.
    const double slack = 0.1 * std::max(box->width, box->height);
    for (const auto& corner : taken.faceCorners) {
        EXPECT_GE(corner.x, box->minX() - slack);
        EXPECT_LE(corner.x, box->maxX() + slack);
        EXPECT_GE(corner.y, box->minY() - slack);
        EXPECT_LE(corner.y, box->maxY() + slack);
    }
    // The middle of each face edge, 3 pixels in, is inside the silhouette.
    const auto& c = taken.faceCorners;
    const icon_geometry::Vector2 centre = (c[0] + c[1] + c[2] + c[3]) * 0.25;
    for (std::size_t i = 0; i < 4; ++i) {
        const icon_geometry::Vector2 middle = (c[i] + c[(i + 1) % 4]) * 0.5;
        const icon_geometry::Vector2 in = middle + (centre - middle) * (3 / middle.distance(centre));
        EXPECT_GE(taken.truth.coverageAt(static_cast<int>(in.x), static_cast<int>(in.y)), 128) << i;
    }
    EXPECT_LT(taken.faceCorners[0].x, taken.faceCorners[1].x);
    EXPECT_LT(taken.faceCorners[1].y, taken.faceCorners[2].y);
}

TEST(HandheldScene, AFileStoredOnItsSideReadsBackUpright) {
    Shot shot{Device::dark, Wall::coloured, 20, 5, 90, 1, false, 5};
    const photo_analysis::Photo plain = take(shot).photo;
    shot.orientation = 8;
    const HandheldPhoto taken = take(shot);
    const photo_analysis::Photo& turned = taken.photo;
    ASSERT_EQ(turned.width(), plain.width());
    ASSERT_EQ(turned.height(), plain.height());
    double difference = 0;
    for (std::size_t i = 0; i < plain.pixels().size(); ++i)
        difference += std::abs(plain.pixels()[i] - turned.pixels()[i]);
    EXPECT_LT(difference / static_cast<double>(plain.pixels().size()), 2.0);
    // The dark device is where the truth says.
    double inside = 0, outside = 0, insideCount = 0;
    for (std::size_t i = 0; i < taken.truth.coverage.size(); ++i) {
        const bool in = taken.truth.coverage[i] >= 128;
        (in ? inside : outside) += turned.pixels()[4 * i + 1];
        insideCount += in;
    }
    inside /= insideCount;
    outside /= static_cast<double>(taken.truth.coverage.size()) - insideCount;
    EXPECT_LT(inside, 0.5 * outside);
}

TEST(HandheldScene, TheSameShotGivesTheSameBytes) {
    const Shot shot{Device::dark, Wall::wood, 25, 4, 85, 1, false, 11};
    const std::vector<std::uint8_t> first = take(shot).jpeg;
    EXPECT_EQ(take(shot).jpeg, first);
    Shot other = shot;
    other.seed = 12;
    EXPECT_NE(take(other).jpeg, first);
}

// FNV-1a over the file's bytes.
std::uint64_t fingerprint(const std::vector<std::uint8_t>& bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (const std::uint8_t byte : bytes) hash = (hash ^ byte) * 0x100000001b3ULL;
    return hash;
}

// The sweeps judge the cut-out against numbers measured on these photos: the
// generator may learn other devices and walls, but the shots it already takes
// keep their bytes (fingerprints taken on the project's Debian 12 build).
TEST(HandheldScene, ExistingShotsKeepTheirBytes) {
    EXPECT_EQ(fingerprint(take(sweepShots()[9]).jpeg), 0xf45eb5f903d8b802ULL);
    EXPECT_EQ(fingerprint(take(plateShots()[13]).jpeg), 0x02468b0f4a5c1945ULL);
}

// The photo's channel k (0 red … 3 alpha) at every pixel, and the truth, as
// images.
cv::Mat channel(const HandheldPhoto& taken, int k) {
    const photo_analysis::Photo& photo = taken.photo;
    cv::Mat out(photo.height(), photo.width(), CV_8U);
    for (int i = 0; i < photo.width() * photo.height(); ++i)
        out.data[i] = photo.pixels()[4 * static_cast<std::size_t>(i) + static_cast<std::size_t>(k)];
    return out;
}
cv::Mat truthOf(const HandheldPhoto& taken) {
    return cv::Mat(taken.truth.height, taken.truth.width, CV_8U, const_cast<std::uint8_t*>(taken.truth.coverage.data()))
        .clone();
}
TEST(HandheldScene, AVividDeviceStaysVividAndAWallOfItsOwnHueFollowsIt) {
    const Shot shot{Device::blue, Wall::ownHue, 30, 4, 90, 1, false, 21};
    const HandheldPhoto taken = take(shot);
    const cv::Mat truth = truthOf(taken), device = truth == 255, wall = truth == 0;
    const cv::Scalar onDevice(cv::mean(channel(taken, 0), device)[0], cv::mean(channel(taken, 1), device)[0],
                              cv::mean(channel(taken, 2), device)[0]);
    const cv::Scalar onWall(cv::mean(channel(taken, 0), wall)[0], cv::mean(channel(taken, 1), wall)[0],
                            cv::mean(channel(taken, 2), wall)[0]);
    EXPECT_GT(onDevice[2], onDevice[0] + 80) << onDevice;
    // A paler blue.
    EXPECT_GT(onWall[2], onWall[0] + 15) << onWall;
    EXPECT_GT(onWall[1], onDevice[1] + 60) << onWall << onDevice;
}

}  // namespace
}  // namespace handheld_photos
