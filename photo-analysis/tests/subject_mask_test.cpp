#include "photo_analysis/subject_mask.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "icon_geometry/json.hpp"
#include "photo/photo_role.hpp"
#include "photo/photo_role_coding.hpp"
#include "photo_analysis/photo_analysis_error.hpp"

namespace photo_analysis {
namespace {

SubjectMask maskOf(int width, int height, std::initializer_list<std::uint8_t> values) {
    return SubjectMask{width, height, std::vector<std::uint8_t>(values)};
}

TEST(SubjectMask, BoundingBoxHoldsEveryInsidePixel) {
    const SubjectMask mask = maskOf(4, 3,
                                    {0, 0, 0, 0,      //
                                     0, 128, 127, 0,  //
                                     0, 0, 255, 0});
    const auto box = mask.boundingBox();
    ASSERT_TRUE(box);
    EXPECT_EQ(*box, (icon_geometry::Rect{1, 1, 2, 2}));
}

TEST(SubjectMask, NothingInsideOrMalformedHasNoBox) {
    EXPECT_FALSE(maskOf(2, 1, {127, 1}).boundingBox());
    EXPECT_FALSE(SubjectMask{}.boundingBox());
    EXPECT_FALSE(maskOf(2, 2, {255, 255, 255}).boundingBox());
}

TEST(SubjectMask, CoverageShare) {
    EXPECT_DOUBLE_EQ(maskOf(2, 1, {255, 255}).coverageShare(), 1.0);
    EXPECT_DOUBLE_EQ(maskOf(2, 1, {255, 0}).coverageShare(), 0.5);
    // An empty mask has no share rather than 0 / 0.
    EXPECT_EQ(SubjectMask{}.coverageShare(), 0.0);
}

TEST(SubjectMask, CoverageAtOutsideTheMaskIsZero) {
    const SubjectMask mask = maskOf(2, 2, {1, 2, 3, 4});
    EXPECT_EQ(mask.coverageAt(1, 0), 2);
    EXPECT_EQ(mask.coverageAt(0, 1), 3);
    for (auto [x, y] : {std::pair{-1, 0}, {2, 0}, {0, 2}, {0, -1}, {5, 5}}) EXPECT_EQ(mask.coverageAt(x, y), 0);
}

TEST(SubjectMask, OverlapIsIntersectionOverUnionOfInsidePixels) {
    const SubjectMask a = maskOf(2, 2, {255, 255, 0, 0});
    const SubjectMask b = maskOf(2, 2, {255, 0, 200, 0});
    EXPECT_DOUBLE_EQ(a.overlap(b), 1.0 / 3.0);
    EXPECT_DOUBLE_EQ(a.overlap(a), 1.0);
    EXPECT_EQ(maskOf(1, 1, {0}).overlap(maskOf(1, 1, {0})), 0.0);
}

TEST(SubjectMask, OverlapOfMasksOfDifferentShapesIsZero) {
    // Same entry count, other shape; and a longer other mask, once read past this one's end.
    EXPECT_EQ(maskOf(4, 1, {255, 255, 255, 255}).overlap(maskOf(2, 2, {255, 255, 255, 255})), 0.0);
    EXPECT_EQ(maskOf(1, 1, {255}).overlap(maskOf(2, 1, {255, 255})), 0.0);
    EXPECT_EQ(maskOf(2, 1, {255, 255}).overlap(SubjectMask{}), 0.0);
}

TEST(SubjectMask, FromPathFillsEvenOddWithSoftEdgesAndYDown) {
    icon_geometry::PathBuilder path;
    // Outer square 2..18 and inner square 6..14 at the top-left of a 40 × 30 mask.
    path.moveTo({2, 2});
    path.lineTo({18, 2});
    path.lineTo({18, 18});
    path.lineTo({2, 18});
    path.closeSubpath();
    path.moveTo({6, 6});
    path.lineTo({14, 6});
    path.lineTo({14, 14});
    path.lineTo({6, 14});
    path.closeSubpath();
    const SubjectMask mask = SubjectMask::fromPath(path.finish(), 40, 30);
    ASSERT_EQ(mask.coverage.size(), 1200u);
    EXPECT_EQ(mask.coverageAt(3, 3), 255);  // ring, near row 0
    EXPECT_EQ(mask.coverageAt(10, 10), 0);  // even-odd hole
    EXPECT_EQ(mask.coverageAt(30, 25), 0);
    EXPECT_EQ(mask.boundingBox(), (icon_geometry::Rect{2, 2, 16, 16}));

    icon_geometry::PathBuilder half;  // an edge through pixel centres gives half coverage
    half.moveTo({0, 0});
    half.lineTo({2.5, 0});
    half.lineTo({2.5, 4});
    half.lineTo({0, 4});
    half.closeSubpath();
    const SubjectMask soft = SubjectMask::fromPath(half.finish(), 4, 4);
    EXPECT_NEAR(soft.coverageAt(2, 1), 128, 2);
    EXPECT_EQ(soft.coverageAt(1, 1), 255);
}

TEST(SubjectMask, FromPathRefusesSizesBeforeAllocating) {
    const icon_geometry::BezierPath path;
    for (auto [w, h] : {std::pair{0, 10}, {10, 0}, {-1, 5}, {8193, 10}, {10, 100000}}) {
        try {
            (void)SubjectMask::fromPath(path, w, h);
            ADD_FAILURE() << w << " x " << h;
        } catch (const PhotoAnalysisError& e) {
            EXPECT_EQ(e.kind(), PhotoAnalysisError::Kind::renderingFailed);
        }
    }
}

TEST(PhotoRole, CodesAsItsNameAndRefusesOthers) {
    namespace json = icon_geometry::json;
    for (PhotoRole role : allPhotoRoles) {
        const json::Tree tree = json::Coding<PhotoRole>::encode(role);
        EXPECT_EQ(tree.get<std::string>(), rawValue(role));
        EXPECT_EQ(json::Coding<PhotoRole>::decode(json::Decoder(tree)), role);
    }
    EXPECT_EQ(rawValue(PhotoRole::threeQuarter), "threeQuarter");
    for (const char* text : {"\"Front\"", "\"three_quarter\"", "\"\""}) {
        try {
            const json::Tree parsed = json::parse(text);
            (void)json::Coding<PhotoRole>::decode(json::Decoder(parsed));
            ADD_FAILURE() << text;
        } catch (const json::DecodingError& e) {
            EXPECT_EQ(e.kind, json::DecodingError::Kind::dataCorrupted) << text;
        }
    }
}

}  // namespace
}  // namespace photo_analysis
