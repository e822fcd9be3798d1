#include "icon_geometry/vector.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "decoding.hpp"
#include "icon_geometry/affine_transform.hpp"
#include "icon_geometry/geometry_coding.hpp"
#include "icon_geometry/rect.hpp"
using namespace icon_geometry;

namespace {
constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
}

TEST(Vector, NormalisingZeroOrNaNGivesZeroInThePlaneButKeepsSpaceVectors) {
    EXPECT_EQ(Vector2::zero().normalized(), (Vector2{0, 0}));
    EXPECT_EQ(Vector3::zero().normalized(), (Vector3{0, 0, 0}));
    EXPECT_EQ((Vector2{kNaN, 1}.normalized()), (Vector2{0, 0}));
    const Vector3 withNaN = Vector3{kNaN, 1, 2}.normalized();
    EXPECT_TRUE(std::isnan(withNaN.x));
    EXPECT_EQ(withNaN.y, 1);
    EXPECT_EQ(withNaN.z, 2);
}

TEST(Vector, SignedZerosAreEqualAndHashAlikeWhileNaNIsUnequalToItself) {
    const Vector2 a{0, -0.0};
    const Vector2 b{-0.0, 0};
    EXPECT_EQ(a, b);
    EXPECT_EQ(std::hash<Vector2>{}(a), std::hash<Vector2>{}(b));
    const Vector2 n{kNaN, 0};
    EXPECT_FALSE(n == n);
}

TEST(Vector, AffineTransformMapsColumnsThenTranslates) {
    const AffineTransform m{1, 2, 3, 4, 5, 6};
    EXPECT_EQ((Vector2{1, 1}).applying(m), (Vector2{9, 12}));
    const auto t = AffineTransform::translation(10, 20).scaledBy(2, 3);
    EXPECT_EQ(t.apply({1, 1}), (Vector2{12, 23}));
    const auto r = AffineTransform::identity().translatedBy(5, 0).scaledBy(2, 2);
    EXPECT_EQ(r.apply({1, 0}), (Vector2{7, 0}));
}

TEST(Rect, UnionIgnoresTheNullRectangle) {
    const Rect r{1, 2, 3, 4};
    EXPECT_TRUE(Rect::null().isNull());
    EXPECT_EQ(Rect::null().united(r), r);
    EXPECT_EQ(r.united(Rect::null()), r);
    EXPECT_EQ(r.united({0, 0, 1, 1}), (Rect{0, 0, 4, 6}));
    EXPECT_EQ(Canvas::rect, (Rect{0, 0, 960, 960}));
}

TEST(VectorJSON, ReadsItsMembersAndIgnoresOthers) {
    EXPECT_EQ(json::decode<Vector2>(R"({"x": 1, "y": 2, "z": 3})"), (Vector2{1, 2}));
    EXPECT_EQ(json::decode<Vector3>(R"({"x": 1, "y": 2.5, "z": -3})"), (Vector3{1, 2.5, -3}));
    EXPECT_EQ(decodingFailure<Vector2>(R"({"x": 1})").kind, json::DecodingError::Kind::keyNotFound);
    const auto mistyped = decodingFailure<Vector2>(R"({"x": 1, "y": "2"})");
    EXPECT_EQ(mistyped.kind, json::DecodingError::Kind::typeMismatch);
    EXPECT_EQ(json::describe(mistyped.codingPath), "y");
}
