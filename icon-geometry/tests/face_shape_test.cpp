#include "icon_geometry/face_shape.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "decoding.hpp"
#include "icon_geometry/cubic.hpp"
#include "icon_geometry/geometry_coding.hpp"
using namespace icon_geometry;

namespace {

using std::numbers::pi;
constexpr double kappa = Cubic::circleKappa;

struct SegmentCount {
    int lines = 0;
    int cubics = 0;
};

SegmentCount count(const Subpath& s) {
    SegmentCount c;
    for (const PathSegment& segment : s.segments) (segment.isLine() ? c.lines : c.cubics) += 1;
    return c;
}

// The enclosed area of one closed subpath, by the shoelace formula over densely
// sampled curves (absolute value: outlines may run either way).
double area(const Subpath& s) {
    std::vector<Vector2> points{s.start};
    Vector2 current = s.start;
    for (const PathSegment& segment : s.segments) {
        if (const auto* c = segment.asCubic()) {
            for (int i = 1; i <= 200; ++i)
                points.push_back(Cubic::point(current, c->control1, c->control2, c->to, i / 200.0));
        } else {
            points.push_back(segment.end());
        }
        current = segment.end();
    }
    double twice = 0;
    for (std::size_t i = 0; i < points.size(); ++i) {
        const Vector2 p = points[i];
        const Vector2 q = points[(i + 1) % points.size()];
        twice += p.x * q.y - p.y * q.x;
    }
    return std::abs(twice) * 0.5;
}

double superellipseRadius(Vector2 p, double a, double b, double n) {
    return std::pow(std::pow(std::abs(p.x / a), n) + std::pow(std::abs(p.y / b), n), 1 / n);
}

bool allFinite(const BezierPath& path) {
    bool finite = true;
    path.mapPoints([&finite](Vector2 p) {
        finite = finite && std::isfinite(p.x) && std::isfinite(p.y);
        return p;
    });
    return finite;
}

}  // namespace

TEST(FaceShapeOutline, RoundedRectangleRunsClockwiseFromTheTopEdge) {
    const BezierPath path = FaceShape::roundedRectangle(86, 86, 6).outline();
    ASSERT_EQ(path.subpaths.size(), 1u);
    const Subpath& s = path.subpaths[0];
    EXPECT_TRUE(s.isClosed);
    EXPECT_EQ(s.start, (Vector2{-37, -43}));
    ASSERT_EQ(s.segments.size(), 8u);
    for (std::size_t i = 0; i < 8; ++i) EXPECT_EQ(s.segments[i].isLine(), i % 2 == 0) << i;
    const auto* corner = s.segments[1].asCubic();
    ASSERT_NE(corner, nullptr);
    EXPECT_EQ(corner->to, (Vector2{43, -37}));
    EXPECT_EQ(corner->control1, (Vector2{37 + 6 * kappa, -43}));
    EXPECT_EQ(corner->control2, (Vector2{43, -37 - 6 * kappa}));
    // The last corner ends on the start point and is kept.
    EXPECT_EQ(s.segments.back().end(), s.start);
}

TEST(FaceShapeOutline, CornerRadiusIsClampedToHalfTheSmallerSide) {
    const BezierPath clamped = FaceShape::roundedRectangle(20, 10, 50).outline();
    EXPECT_EQ(clamped, FaceShape::capsule(20, 10).outline());
    const SegmentCount c = count(clamped.subpaths.at(0));
    EXPECT_EQ(c.lines, 2);
    EXPECT_EQ(c.cubics, 4);

    // A square with radius half its side has no straight stretch left.
    const SegmentCount circle = count(FaceShape::roundedRectangle(10, 10, 5).outline().subpaths.at(0));
    EXPECT_EQ(circle.lines, 0);
    EXPECT_EQ(circle.cubics, 4);
}

TEST(FaceShapeOutline, SharpCornersForZeroNegativeOrMissingRadius) {
    const BezierPath sharp = FaceShape::roundedRectangle(20, 10, 0).outline();
    ASSERT_EQ(sharp.subpaths.size(), 1u);
    EXPECT_TRUE(sharp.subpaths[0].isClosed);
    EXPECT_EQ(count(sharp.subpaths[0]).lines, 3);
    EXPECT_EQ(count(sharp.subpaths[0]).cubics, 0);
    EXPECT_EQ(FaceShape::roundedRectangle(20, 10, -4).outline(), sharp);
    EXPECT_EQ(FaceShape::roundedRectangle(20, 10, std::nan("")).outline(), sharp);
}

TEST(FaceShapeOutline, AreasAndBoundsMatchTheirClosedForms) {
    // Cubic quarter circles stray from the true arc by under 0.03 % of the radius.
    struct Case {
        const char* name;
        FaceShape shape;
        double area;
        double width;
        double height;
    };
    const double r = 6;
    const std::vector<Case> cases{
        {"rounded rectangle", FaceShape::roundedRectangle(86, 60, r), 86 * 60 - (4 - pi) * r * r, 86, 60},
        {"sharp rectangle", FaceShape::roundedRectangle(86, 60, 0), 86 * 60, 86, 60},
        {"ellipse", FaceShape::ellipse(80, 50), pi * 40 * 25, 80, 50},
        {"capsule", FaceShape::capsule(100, 40), 60 * 40 + pi * 20 * 20, 100, 40},
        {"superellipse of exponent 2", FaceShape::superellipse(80, 50, 2), pi * 40 * 25, 80, 50},
        // Area of abs(x/a)^4 + abs(y/b)^4 = 1 is 4ab·Γ(1 + 1/4)² / Γ(1 + 2/4).
        {"superellipse of exponent 4", FaceShape::superellipse(80, 50, 4),
         4 * 40 * 25 * std::tgamma(1.25) * std::tgamma(1.25) / std::tgamma(1.5), 80, 50},
    };
    for (const Case& c : cases) {
        const BezierPath path = c.shape.outline();
        ASSERT_EQ(path.subpaths.size(), 1u) << c.name;
        EXPECT_NEAR(area(path.subpaths[0]), c.area, c.area * 5e-4) << c.name;
        // Sampled superellipse cubics may bulge by their tolerance, a thousandth of the radius.
        const double slack = std::holds_alternative<FaceShape::Superellipse>(c.shape.value) ? c.width * 1e-3 : 1e-9;
        const Rect box = path.bounds();
        EXPECT_NEAR(box.minX(), -c.width / 2, slack) << c.name;
        EXPECT_NEAR(box.maxX(), c.width / 2, slack) << c.name;
        EXPECT_NEAR(box.minY(), -c.height / 2, slack) << c.name;
        EXPECT_NEAR(box.maxY(), c.height / 2, slack) << c.name;
    }
}

TEST(FaceShapeOutline, ZeroSizedOrNonFiniteShapesHaveNoOutline) {
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::nan("");
    for (const FaceShape& shape :
         {FaceShape::roundedRectangle(0, 0, 3), FaceShape::ellipse(0, 0), FaceShape::capsule(0, 0),
          FaceShape::superellipse(0, 0, 4), FaceShape::superellipse(0, 30, 4), FaceShape::superellipse(30, 0, 3),
          FaceShape::roundedPolygon({{0, 0}, {1, 1}}, 2), FaceShape::roundedRectangle(nan, 10, 2),
          FaceShape::ellipse(inf, 10), FaceShape::capsule(10, nan), FaceShape::superellipse(inf, 10, 4),
          FaceShape::superellipse(10, 10, nan), FaceShape::superellipse(10, 10, inf),
          FaceShape::roundedPolygon({{0, 0}, {nan, 0}, {0, 5}}, 1)}) {
        EXPECT_TRUE(shape.outline().subpaths.empty());
    }
}

TEST(FaceShapeOutline, SuperellipseNearExponentTwoIsTheEllipse) {
    EXPECT_EQ(FaceShape::superellipse(80, 50, 2).outline(), FaceShape::ellipse(80, 50).outline());
    EXPECT_EQ(FaceShape::superellipse(80, 50, 2 + 1e-13).outline(), FaceShape::ellipse(80, 50).outline());
    EXPECT_NE(FaceShape::superellipse(80, 50, 2.001).outline(), FaceShape::ellipse(80, 50).outline());
    EXPECT_EQ(FaceShape::superellipse(80, 50, 0.5).outline(), FaceShape::superellipse(80, 50, 1.01).outline());
}

TEST(FaceShapeOutline, SuperellipseCubicsStayWithinTolerance) {
    for (const double n : {2.5, 3.0, 4.0, 5.0}) {
        const double a = 43;
        const double b = 30;
        const BezierPath path = FaceShape::superellipse(2 * a, 2 * b, n).outline();
        ASSERT_EQ(path.subpaths.size(), 1u);
        const Subpath& s = path.subpaths[0];
        EXPECT_TRUE(s.isClosed);
        EXPECT_NEAR(s.start.x, 0, 1e-9);
        EXPECT_NEAR(s.start.y, -b, 1e-9);
        EXPECT_GE(s.segments.size(), 4u);
        EXPECT_LE(s.segments.size(), 256u);
        Vector2 current = s.start;
        for (const PathSegment& segment : s.segments) {
            const auto* c = segment.asCubic();
            ASSERT_NE(c, nullptr);
            EXPECT_NEAR(superellipseRadius(c->to, a, b, n), 1, 1e-12);
            for (const double t : {0.25, 0.5, 0.75})
                EXPECT_LE(
                    std::abs(superellipseRadius(Cubic::point(current, c->control1, c->control2, c->to, t), a, b, n) -
                             1),
                    0.001)
                    << "exponent " << n;
            current = c->to;
        }
    }
}

TEST(FaceShapeOutline, SuperellipseWithLargeExponentStaysFinite) {
    // The sum of powers underflows for a large face at high exponents.
    const BezierPath path = FaceShape::superellipse(86, 86, 400).outline();
    ASSERT_EQ(path.subpaths.size(), 1u);
    EXPECT_TRUE(allFinite(path));
    // Nearly square; its sharp corners exhaust the subdivision depth, so it keeps within 1 %.
    const Rect box = path.bounds();
    EXPECT_NEAR(box.width, 86, 0.86);
    EXPECT_NEAR(box.height, 86, 0.86);
    EXPECT_NEAR(area(path.subpaths[0]), 86 * 86, 86 * 86 * 0.01);
    // On a tiny face the same sum overflows instead.
    const BezierPath tiny = FaceShape::superellipse(0.002, 0.002, 200).outline();
    ASSERT_EQ(tiny.subpaths.size(), 1u);
    EXPECT_TRUE(allFinite(tiny));
    EXPECT_NEAR(tiny.bounds().width, 0.002, 0.002 * 0.01);
}

TEST(FaceShapeOutline, RoundedPolygonCorners) {
    const std::vector<Vector2> square{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const BezierPath sharp = FaceShape::roundedPolygon(square, 0).outline();
    ASSERT_EQ(sharp.subpaths.size(), 1u);
    EXPECT_TRUE(sharp.subpaths[0].isClosed);
    EXPECT_EQ(count(sharp.subpaths[0]).lines, 3);
    EXPECT_EQ(sharp.subpaths[0].start, (Vector2{0, 0}));

    // An equilateral triangle of side 10 with an oversized radius: tangent points
    // on the edge midpoints, so the outline is three arcs.
    const std::vector<Vector2> triangle{{0, 0}, {10, 0}, {5, 10 * std::sqrt(3.0) / 2}};
    const BezierPath rounded = FaceShape::roundedPolygon(triangle, 100).outline();
    ASSERT_EQ(rounded.subpaths.size(), 1u);
    const Subpath& s = rounded.subpaths[0];
    EXPECT_EQ(count(s).lines, 0);
    EXPECT_EQ(count(s).cubics, 3);
    const std::vector<Vector2> midpoints{{7.5, 10 * std::sqrt(3.0) / 4}, {2.5, 10 * std::sqrt(3.0) / 4}, {5, 0}};
    for (std::size_t i = 0; i < 3; ++i) {
        EXPECT_NEAR(s.segments[i].end().x, midpoints[i].x, 1e-9);
        EXPECT_NEAR(s.segments[i].end().y, midpoints[i].y, 1e-9);
    }
    EXPECT_NEAR(s.start.x, 5, 1e-9);
    EXPECT_NEAR(s.start.y, 0, 1e-9);
}

TEST(FaceShapeInset, ShrinksEverySideAndStopsAtZero) {
    EXPECT_EQ(FaceShape::ellipse(10, 4).inset(3), FaceShape::ellipse(4, 0));
    EXPECT_EQ(FaceShape::superellipse(20, 10, 3.5).inset(2), FaceShape::superellipse(16, 6, 3.5));
    EXPECT_EQ(FaceShape::roundedRectangle(20, 10, 2).inset(3), FaceShape::roundedRectangle(14, 4, 0));
    EXPECT_EQ(FaceShape::capsule(20, 10).inset(-1), FaceShape::capsule(22, 12));
    EXPECT_EQ(FaceShape::roundedRectangle(20, 10, 2).inset(-1), FaceShape::roundedRectangle(22, 12, 3));
    // A bevel that eats a narrow face leaves a flat superellipse, which draws nothing.
    EXPECT_TRUE(FaceShape::superellipse(10, 4, 4).inset(2).outline().subpaths.empty());
}

TEST(FaceShapeInset, PolygonVerticesMoveInwardsWhicheverWayTheyRun) {
    const std::vector<Vector2> counterClockwise{{0, 0}, {10, 0}, {10, 10}, {0, 10}};
    const std::vector<Vector2> clockwise{{0, 0}, {0, 10}, {10, 10}, {10, 0}};
    EXPECT_EQ(FaceShape::roundedPolygon(counterClockwise, 3).inset(1),
              FaceShape::roundedPolygon({{1, 1}, {9, 1}, {9, 9}, {1, 9}}, 2));
    EXPECT_EQ(FaceShape::roundedPolygon(clockwise, 0.5).inset(1),
              FaceShape::roundedPolygon({{1, 1}, {1, 9}, {9, 9}, {9, 1}}, 0));
    // Fewer than three vertices are kept as they are.
    EXPECT_EQ(FaceShape::offsetVertices({{0, 0}, {4, 0}}, 1), (std::vector<Vector2>{{0, 0}, {4, 0}}));
}

TEST(FaceShapeScaled, StretchesSidesAndScalesRadiiByTheSmallerFactor) {
    EXPECT_EQ(FaceShape::roundedRectangle(10, 20, 2).scaled(2, 0.5), FaceShape::roundedRectangle(20, 10, 1));
    EXPECT_EQ(FaceShape::superellipse(10, 20, 3).scaled(2, 3), FaceShape::superellipse(20, 60, 3));
    EXPECT_EQ(FaceShape::capsule(10, 20).scaled(3, 2), FaceShape::capsule(30, 40));
    EXPECT_EQ(FaceShape::roundedPolygon({{1, 2}, {3, -4}, {-5, 6}}, 4).scaled(2, 0.5),
              FaceShape::roundedPolygon({{2, 1}, {6, -2}, {-10, 3}}, 2));
}

TEST(FaceShapeJSON, EveryCaseRoundTrips) {
    for (const FaceShape& shape :
         {FaceShape::roundedRectangle(86, 86, 6), FaceShape::superellipse(80, 50.5, 3.25), FaceShape::ellipse(12, 7),
          FaceShape::capsule(30, 10), FaceShape::roundedPolygon({{-10, -5}, {10, -5}, {0, 12.5}}, 1.5)}) {
        EXPECT_EQ(json::decode<FaceShape>(json::write(json::encode(shape))), shape);
    }
    EXPECT_EQ(json::encode(FaceShape::roundedRectangle(86, 86, 6)),
              json::parse(R"({"roundedRectangle": {"width": 86, "height": 86, "cornerRadius": 6}})"));
}

TEST(FaceShapeJSON, ReadingFailures) {
    const auto failure = decodingFailure<FaceShape>;
    for (const char* text :
         {R"({})", R"({"ellipse": {"width": 1, "height": 2}, "capsule": {"width": 1, "height": 2}})"}) {
        const auto e = failure(text);
        EXPECT_EQ(e.kind, json::DecodingError::Kind::typeMismatch) << text;
        EXPECT_EQ(e.debugDescription, json::invalidNumberOfKeys) << text;
    }
    const auto missing = failure(R"({"superellipse": {"width": 1, "height": 2}})");
    EXPECT_EQ(missing.kind, json::DecodingError::Kind::keyNotFound);
    EXPECT_EQ(json::describe(missing.codingPath), "superellipse");
    // Members are read in order: the first bad one is reported.
    const auto mistyped = failure(R"({"roundedRectangle": {"width": "wide"}})");
    EXPECT_EQ(mistyped.kind, json::DecodingError::Kind::typeMismatch);
    EXPECT_EQ(json::describe(mistyped.codingPath), "roundedRectangle.width");
    // Unknown keys beside the case name are ignored.
    EXPECT_EQ(json::decode<FaceShape>(R"({"ellipse": {"width": 1, "height": 2, "colour": 3}, "note": 1})"),
              FaceShape::ellipse(1, 2));
}
