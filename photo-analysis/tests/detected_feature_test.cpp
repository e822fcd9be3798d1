#include "photo_analysis/detected_feature.hpp"

#include <gtest/gtest.h>

#include "photo_analysis/feature_detection.hpp"

using namespace photo_analysis;
using icon_geometry::FaceShape;

TEST(DetectionOptions, DefaultsAreTheAppsTuning) {
    const FeatureDetection::Options options;
    EXPECT_EQ(options.workingHeight, 720);
    EXPECT_EQ(options.margin, 0.06);
    EXPECT_EQ(options.backgroundRadius, 0.08);
    EXPECT_EQ(options.minimumContrast, 5.0);
    EXPECT_EQ(options.regionContrast, 22.0);
    EXPECT_EQ(options.minimumRegionShare, 0.06);
    EXPECT_EQ(options.minimumMarkSize, 0.018);
    EXPECT_EQ(options.dotMaximumSize, 0.07);
    EXPECT_TRUE(options.excludesText);
}

TEST(DetectionOptions, WorkingHeightBelowSixteenBehavesAsSixteen) {
    FeatureDetection::Options options;
    for (const auto& [asked, used] : std::vector<std::pair<int, int>>{{15, 16}, {16, 16}, {-4, 16}, {17, 17}}) {
        options.workingHeight = asked;
        EXPECT_EQ(options.effectiveWorkingHeight(), used);
    }
}

TEST(DetectedFeature, OutlinesWithAndWithoutShapeDiffer) {
    const auto path = FaceShape::roundedRectanglePath(0.1, 0.1, 0.02);
    const DetectedFeature bare{DetectedFeature::Outline{path, std::nullopt, {0.1, 0.2}}};
    const DetectedFeature shaped{
        DetectedFeature::Outline{path, FaceShape::roundedRectangle(0.1, 0.1, 0.02), {0.1, 0.2}}};
    EXPECT_NE(bare, shaped);
    EXPECT_EQ(bare, (DetectedFeature{DetectedFeature::Outline{path, std::nullopt, {0.1, 0.2}}}));
    EXPECT_EQ(shaped.kind(), DetectedFeature::Kind::outline);
}

TEST(DetectedFeature, KindIsTheCaseAndCasesNeverEqualEachOther) {
    const auto path = FaceShape::ellipsePath(0.2, 0.1);
    const std::vector<std::pair<DetectedFeature, DetectedFeature::Kind>> features{
        {{DetectedFeature::Dot{{0, 0}, 0.02}}, DetectedFeature::Kind::dot},
        {{DetectedFeature::Outline{path, std::nullopt, {0, 0}}}, DetectedFeature::Kind::outline},
        {{DetectedFeature::Stroke{path}}, DetectedFeature::Kind::stroke},
        {{DetectedFeature::Boundary{path}}, DetectedFeature::Kind::boundary},
        {{DetectedFeature::Pictogram{icon_geometry::Pictogram::sun, {0, 0}, 0.1}}, DetectedFeature::Kind::pictogram},
    };
    for (std::size_t i = 0; i < features.size(); ++i) {
        EXPECT_EQ(features[i].first.kind(), features[i].second);
        for (std::size_t j = 0; j < features.size(); ++j) EXPECT_EQ(features[i].first == features[j].first, i == j);
    }
    EXPECT_NE((DetectedFeature{DetectedFeature::Pictogram{icon_geometry::Pictogram::sun, {0, 0}, 0.1}}),
              (DetectedFeature{DetectedFeature::Pictogram{icon_geometry::Pictogram::wifi, {0, 0}, 0.1}}));
}
