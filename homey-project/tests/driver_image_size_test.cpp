#include <gtest/gtest.h>

#include <unordered_set>

#include "homey_project/driver_image_check.hpp"
#include "homey_project/homey_project_error.hpp"

namespace homey_project {
namespace {

TEST(DriverImageSize, SidesAndFileNamesInListOrder) {
    const std::array<std::pair<int, std::string_view>, 3> expected{
        {{75, "small.png"}, {500, "large.png"}, {1000, "xlarge.png"}}};
    for (std::size_t i = 0; i < allDriverImageSizes.size(); ++i) {
        EXPECT_EQ(rawValue(allDriverImageSizes[i]), expected[i].first);
        EXPECT_EQ(fileName(allDriverImageSizes[i]), expected[i].second);
        EXPECT_EQ(driverImageSize(expected[i].first), allDriverImageSizes[i]);
    }
}

TEST(DriverImageSize, OnlyTheThreeSidesNameASize) {
    for (std::int64_t side : std::initializer_list<std::int64_t>{0, -75, 74, 76, 499, 1001, 750, 4294967371LL})
        EXPECT_FALSE(driverImageSize(side).has_value()) << side;
}

TEST(DriverImageIssue, EqualByCaseAndPayload) {
    EXPECT_EQ(DriverImageIssue::wrongSize(500, 500, 75), DriverImageIssue::wrongSize(500, 500, 75));
    EXPECT_NE(DriverImageIssue::wrongSize(500, 500, 75), DriverImageIssue::wrongSize(500, 501, 75));
    EXPECT_EQ(DriverImageIssue::backgroundNotWhite(0.0), DriverImageIssue::backgroundNotWhite(-0.0));
    EXPECT_EQ(std::hash<DriverImageIssue>{}(DriverImageIssue::backgroundNotWhite(0.0)),
              std::hash<DriverImageIssue>{}(DriverImageIssue::backgroundNotWhite(-0.0)));
    EXPECT_NE(DriverImageIssue::upscaled(2.5), DriverImageIssue::backgroundNotWhite(2.5));
    const std::unordered_set<DriverImageIssue> set{DriverImageIssue::unreadable(), DriverImageIssue::unreadable(),
                                                   DriverImageIssue::upscaled(3)};
    EXPECT_EQ(set.size(), 2u);
}

TEST(HomeyProjectError, EqualByCaseAndPayload) {
    EXPECT_EQ(HomeyProjectError::writeFailed("a"), HomeyProjectError::writeFailed("a"));
    EXPECT_NE(HomeyProjectError::writeFailed("a"), HomeyProjectError::unreadableSource("a"));
    EXPECT_NE(HomeyProjectError::wouldOverwrite({"a", "b"}), HomeyProjectError::wouldOverwrite({"b", "a"}));
    const std::unordered_set<HomeyProjectError> set{
        HomeyProjectError::notAHomeyApp(), HomeyProjectError::notAHomeyApp(), HomeyProjectError::newerModel("x")};
    EXPECT_EQ(set.size(), 2u);
}

}  // namespace
}  // namespace homey_project
