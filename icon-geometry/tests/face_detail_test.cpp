#include "icon_geometry/face_detail.hpp"

#include <gtest/gtest.h>

#include <cmath>

#include "decoding.hpp"
#include "icon_geometry/geometry_coding.hpp"

using namespace icon_geometry;

namespace {

constexpr double kappa = 0.5522847498307935;

// A circle of radius r about c drawn with four cubic arcs; its control points
// reach beyond the circle's own bounds.
BezierPath circle(Vector2 c, double r) {
    PathBuilder b;
    const double k = r * kappa;
    b.moveTo({c.x, c.y - r});
    b.curveTo({c.x + r, c.y}, {c.x + k, c.y - r}, {c.x + r, c.y - k});
    b.curveTo({c.x, c.y + r}, {c.x + r, c.y + k}, {c.x + k, c.y + r});
    b.curveTo({c.x - r, c.y}, {c.x - k, c.y + r}, {c.x - r, c.y + k});
    b.curveTo({c.x, c.y - r}, {c.x - r, c.y - k}, {c.x - k, c.y - r});
    b.closeSubpath();
    return b.finish();
}

BezierPath openLine(Vector2 from, Vector2 to) {
    return BezierPath{{Subpath{from, {PathSegment::line(to)}, false}}};
}

// One of every kind, with distinct numbers.
std::vector<FaceDetail> everyKind() {
    return {
        FaceDetail::button(FaceShape::roundedRectangle(12, 8, 2), {3, -4}, DetailStyle::stroke),
        FaceDetail::indicator({0, -20}, 4, DetailStyle::fill),
        FaceDetail::dotGrid({1, 2}, 3, 5, 2.5, 1.2, true, DetailStyle::hole),
        FaceDetail::screen({0, 5}, 40, 25, 3),
        FaceDetail::slot({-10, 0}, {10, 0.5}, 2),
        FaceDetail::socketHoles({0, 0}, 19, 4.8, true),
        FaceDetail::separator({-30, 12}, {30, 12}),
        FaceDetail::cable({{0, 40}, {5, 60}, {-3, 80}}, StrokeWeight::custom(12)),
        FaceDetail::pictogram(Pictogram::sun, {8, 8}, 14),
        FaceDetail::imported(circle({3, 3}, 5), DetailStyle::automatic),
        FaceDetail::elements({IconElement::stroke(openLine({0, 0}, {4, 0}), StrokeWeight::outer()),
                              IconElement::fill(circle({1, 1}, 1)), IconElement::hole(circle({1, 1}, 0.5))}),
    };
}

}  // namespace

TEST(FaceDetailCenter, ByKind) {
    struct Case {
        const char* name;
        FaceDetail detail;
        Vector2 center;
    };
    for (const Case& c : std::vector<Case>{
             {"indicator", FaceDetail::indicator({3, 4}, 2, DetailStyle::fill), {3, 4}},
             {"slot", FaceDetail::slot({0, 0}, {10, 4}, 1), {5, 2}},
             {"separator", FaceDetail::separator({-2, 0}, {2, 6}), {0, 3}},
             {"cable without points", FaceDetail::cable({}, StrokeWeight::inner()), {0, 0}},
             {"cable with one point", FaceDetail::cable({{7, -1}}, StrokeWeight::inner()), {7, -1}},
             {"empty import", FaceDetail::imported({}, DetailStyle::fill), {0, 0}},
             {"empty elements", FaceDetail::elements({}), {0, 0}},
             {"elements without segments",
              FaceDetail::elements({IconElement::fill(BezierPath{{Subpath{{4, 4}, {}, true}}})}),
              {0, 0}},
             {"elements",
              FaceDetail::elements({IconElement::fill(openLine({0, 0}, {4, 0})),
                                    IconElement::stroke(openLine({10, 2}, {10, 6}), StrokeWeight::outer())}),
              {5, 3}},
         }) {
        EXPECT_EQ(c.detail.center(), c.center) << c.name;
    }
    // The curve's own bounds, not its control points'.
    const Vector2 c = FaceDetail::imported(circle({3, 3}, 5), DetailStyle::fill).center();
    EXPECT_NEAR(c.x, 3, 1e-9);
    EXPECT_NEAR(c.y, 3, 1e-9);
}

TEST(FaceDetailCopies, ScalingMovesPositionsAboutTheCentreAndGrowsSizes) {
    const FaceDetail separator = FaceDetail::separator({0, 0}, {10, 0});
    EXPECT_EQ(separator.scaledAboutCenter(2), FaceDetail::separator({-5, 0}, {15, 0}));
    EXPECT_EQ(separator.scaledAboutCenter(1), separator);

    EXPECT_EQ(FaceDetail::indicator({3, 4}, 5, DetailStyle::fill).scaledAboutCenter(2),
              FaceDetail::indicator({3, 4}, 10, DetailStyle::fill));
    EXPECT_EQ(FaceDetail::dotGrid({1, 1}, 3, 4, 2, 1, false, DetailStyle::fill).scaledAboutCenter(2),
              FaceDetail::dotGrid({1, 1}, 3, 4, 4, 2, false, DetailStyle::fill));
    EXPECT_EQ(FaceDetail::button(FaceShape::superellipse(10, 6, 3.5), {2, 2}, DetailStyle::hole).scaledAboutCenter(3),
              FaceDetail::button(FaceShape::superellipse(30, 18, 3.5), {2, 2}, DetailStyle::hole));
    EXPECT_EQ(FaceDetail::button(FaceShape::roundedPolygon({{0, -2}, {2, 2}, {-2, 2}}, 0.5), {9, 9}, DetailStyle::fill)
                  .scaledAboutCenter(2),
              FaceDetail::button(FaceShape::roundedPolygon({{0, -4}, {4, 4}, {-4, 4}}, 1), {9, 9}, DetailStyle::fill));
    EXPECT_EQ(FaceDetail::pictogram(Pictogram::plus, {1, 2}, 10).scaledAboutCenter(0.5),
              FaceDetail::pictogram(Pictogram::plus, {1, 2}, 5));

    // A cable grows away from its first point and keeps its canvas width.
    EXPECT_EQ(FaceDetail::cable({{1, 1}, {2, 3}}, StrokeWeight::custom(12)).scaledAboutCenter(3),
              FaceDetail::cable({{1, 1}, {4, 7}}, StrokeWeight::custom(12)));
}

TEST(FaceDetailCopies, TranslationMovesEveryPointAndKeepsStructure) {
    const BezierPath path{
        {Subpath{{0, 0}, {PathSegment::cubic({1, 0}, {2, 1}, {2, 2}), PathSegment::line({0, 2})}, true},
         Subpath{{5, 5}, {PathSegment::line({6, 5})}, false}}};
    const BezierPath moved{
        {Subpath{{3, 4}, {PathSegment::cubic({4, 4}, {5, 5}, {5, 6}), PathSegment::line({3, 6})}, true},
         Subpath{{8, 9}, {PathSegment::line({9, 9})}, false}}};
    EXPECT_EQ(FaceDetail::imported(path, DetailStyle::hole).translated(3, 4),
              FaceDetail::imported(moved, DetailStyle::hole));
    EXPECT_EQ(FaceDetail::elements({IconElement::stroke(path, StrokeWeight::outer())}).translated(3, 4),
              FaceDetail::elements({IconElement::stroke(moved, StrokeWeight::outer())}));
}

TEST(FaceDetailCopies, MovingToAPointPutsTheCentreThere) {
    const Vector2 target{-7, 11};
    for (const FaceDetail& detail : everyKind()) {
        const Vector2 c = detail.center();
        const Vector2 moved = detail.translated(target.x - c.x, target.y - c.y).center();
        EXPECT_NEAR(moved.x, target.x, 1e-9) << detail.caseIndex();
        EXPECT_NEAR(moved.y, target.y, 1e-9) << detail.caseIndex();
        // Scaling keeps the centre where it was.
        const Vector2 scaled = detail.scaledAboutCenter(2.5).center();
        EXPECT_NEAR(scaled.x, c.x, 1e-9) << detail.caseIndex();
        EXPECT_NEAR(scaled.y, c.y, 1e-9) << detail.caseIndex();
    }
    // Without any segment the points still move; the centre stays at the origin.
    const FaceDetail bare = FaceDetail::imported(BezierPath{{Subpath{{1, 1}, {}, false}}}, DetailStyle::fill);
    EXPECT_EQ(bare.translated(2, 2), FaceDetail::imported(BezierPath{{Subpath{{3, 3}, {}, false}}}, DetailStyle::fill));
    EXPECT_EQ(bare.translated(2, 2).center(), (Vector2{0, 0}));
}

TEST(FaceDetailValue, EqualDetailsHashAlikeWithMinusZeroFolded) {
    std::hash<FaceDetail> hash;
    EXPECT_EQ(FaceDetail::separator({0.0, 1}, {2, 3}), FaceDetail::separator({-0.0, 1}, {2, 3}));
    EXPECT_EQ(hash(FaceDetail::separator({0.0, 1}, {2, 3})), hash(FaceDetail::separator({-0.0, 1}, {2, 3})));
    EXPECT_NE(hash(FaceDetail::indicator({0, 0}, 1, DetailStyle::fill)),
              hash(FaceDetail::indicator({0, 0}, 1, DetailStyle::hole)));
}

TEST(FaceDetailJSON, EveryKindRoundTrips) {
    for (const FaceDetail& detail : everyKind()) {
        const std::string text = json::write(json::encode(detail));
        EXPECT_EQ(json::decode<FaceDetail>(text), detail) << text;
    }
    EXPECT_EQ(json::encode(FaceDetail::indicator({0, -20}, 4, DetailStyle::fill)),
              json::parse(R"({"indicator":{"center":{"x":0,"y":-20},"diameter":4,"style":"fill"}})"));
    EXPECT_EQ(
        json::decode<FaceDetail>(R"({"indicator":{"center":{"x":0,"y":-20},"diameter":4,"style":"fill"},"note":1})"),
        FaceDetail::indicator({0, -20}, 4, DetailStyle::fill));
}

TEST(FaceDetailJSON, ReadingFailures) {
    using Kind = json::DecodingError::Kind;
    struct Case {
        const char* text;
        Kind kind;
        const char* path;
    };
    const std::string slot = R"({"from":{"x":0,"y":0},"to":{"x":1,"y":0},"width":1})";
    const std::string indicator = R"({"center":{"x":0,"y":0},"diameter":1,"style":"fill"})";
    const std::string both = R"({"button":)" + indicator + R"(,"slot":)" + slot + "}";
    for (
        const Case& c : std::vector<Case>{
            {"{}", Kind::typeMismatch, ""},
            {both.c_str(), Kind::typeMismatch, ""},
            // The first failing key in table order is reported.
            {R"({"dotGrid":{"center":{"x":0,"y":0},"rows":2,"columns":2,"pitch":1,"dotDiameter":1,"style":"fill"}})",
             Kind::keyNotFound, "dotGrid"},
            {R"({"dotGrid":{"center":{"x":0,"y":0},"rows":1.5,"columns":"two"}})", Kind::typeMismatch, "dotGrid.rows"},
            {R"({"dotGrid":{"center":{"x":0,"y":0},"rows":2,"columns":2,"pitch":1,"dotDiameter":1,"circular":1,"style":"fill"}})",
             Kind::typeMismatch, "dotGrid.circular"},
            {R"({"indicator":{"center":{"x":0,"y":0},"diameter":1,"style":"Fill"}})", Kind::dataCorrupted,
             "indicator.style"},
            {R"({"indicator":{"diameter":"big","style":"Fill"}})", Kind::keyNotFound, "indicator"},
            {R"({"pictogram":{"_0":"moon","center":{"x":0,"y":0},"size":1}})", Kind::dataCorrupted, "pictogram._0"},
            {R"({"cable":{"points":[],"weight":{"outer":{},"inner":{}}}})", Kind::typeMismatch, "cable.weight"},
            {R"({"socketHoles":{"center":{"x":0,"y":0},"spacing":null,"holeDiameter":1,"earthPin":true}})",
             Kind::valueNotFound, "socketHoles.spacing"},
        }) {
        const json::DecodingError e = decodingFailure<FaceDetail>(c.text);
        EXPECT_EQ(e.kind, c.kind) << c.text;
        EXPECT_EQ(json::describe(e.codingPath), c.path) << c.text;
    }
    EXPECT_EQ(decodingFailure<FaceDetail>("{}").debugDescription, json::invalidNumberOfKeys);
    EXPECT_EQ(decodingFailure<FaceDetail>(both).debugDescription, json::invalidNumberOfKeys);
}
