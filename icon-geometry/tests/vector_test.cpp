#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "icon_geometry/affine_transform.hpp"
#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/rect.hpp"
#include "icon_geometry/vector.hpp"

using namespace icon_geometry;

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
}

TEST(Vector, NormalisingZeroOrNaNGivesZeroInThePlaneButKeepsSpaceVectors) {
    EXPECT_EQ(Vector2::zero().normalized(), Vector2(0, 0));
    EXPECT_EQ(Vector3::zero().normalized(), Vector3(0, 0, 0));
    EXPECT_EQ(Vector2(kNaN, 1).normalized(), Vector2(0, 0));
    const Vector3 withNaN = Vector3(kNaN, 1, 2).normalized();
    EXPECT_TRUE(std::isnan(withNaN.x));
    EXPECT_EQ(withNaN.y, 1);
    EXPECT_EQ(withNaN.z, 2);
}

TEST(Vector, LengthCrossAndLerp) {
    EXPECT_EQ((Vector2{3, 4}).length(), 5);
    EXPECT_EQ((Vector2{3, 4}).normalized(), Vector2(0.6, 0.8));
    EXPECT_EQ((Vector2{1, 0}).cross({0, 1}), 1);
    EXPECT_EQ((Vector2{0, 1}).cross({1, 0}), -1);
    EXPECT_EQ((Vector2{2, 4}).lerp({4, 8}, 0.5), Vector2(3, 6));
    EXPECT_EQ((Vector2{2, 4}).lerp({4, 8}, 2), Vector2(6, 12));
    EXPECT_EQ((Vector2{1, 1}).distance({4, 5}), 5);
    EXPECT_EQ((Vector3{1, 0, 0}).cross({0, 1, 0}), Vector3(0, 0, 1));
    EXPECT_EQ((Vector3{0, 3, 4}).normalized(), Vector3(0, 0.6000000000000001, 0.8));
}

TEST(Vector, SignedZerosAreEqualAndHashAlikeWhileNaNIsUnequalToItself) {
    const Vector2 a{0, -0.0};
    const Vector2 b{-0.0, 0};
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<Vector2>{}(a), std::hash<Vector2>{}(b));
    const Vector2 n{kNaN, 0};
    EXPECT_FALSE(n == n);
}

TEST(Vector, AffineTransformMapsAsThePlatformDid) {
    const AffineTransform m{1, 2, 3, 4, 5, 6};
    EXPECT_EQ((Vector2{1, 1}).applying(m), Vector2(9, 12));
    const auto t = AffineTransform::translation(10, 20).scaledBy(2, 3);
    EXPECT_EQ(t.apply({1, 1}), Vector2(12, 23));
    const auto r = AffineTransform::identity().translatedBy(5, 0).scaledBy(2, 2);
    EXPECT_EQ(r.apply({1, 0}), Vector2(7, 0));
}

TEST(Rect, UnionIgnoresTheNullRectangle) {
    const Rect r{1, 2, 3, 4};
    EXPECT_TRUE(Rect::null().isNull());
    EXPECT_EQ(Rect::null().united(r), r);
    EXPECT_EQ(r.united(Rect::null()), r);
    EXPECT_EQ(r.united({0, 0, 1, 1}), Rect(0, 0, 4, 6));
    EXPECT_EQ(Canvas::rect, Rect(0, 0, 960, 960));
}

TEST(VectorJSON, ReadsItsMembersAndIgnoresOthers) {
    EXPECT_EQ(json::decode<Vector2>(R"({"x": 1, "y": 2, "z": 3})"), Vector2(1, 2));
    EXPECT_EQ(json::decode<Vector3>(R"({"x": 1, "y": 2.5, "z": -3})"), Vector3(1, 2.5, -3));
    try {
        (void)json::decode<Vector2>(R"({"x": 1})");
        FAIL();
    } catch (const json::DecodingError& e) {
        EXPECT_EQ(e.kind, json::DecodingError::Kind::keyNotFound);
    }
    try {
        (void)json::decode<Vector2>(R"({"x": 1, "y": "2"})");
        FAIL();
    } catch (const json::DecodingError& e) {
        EXPECT_EQ(e.kind, json::DecodingError::Kind::typeMismatch);
        EXPECT_EQ(json::describe(e.codingPath), "y");
    }
}
